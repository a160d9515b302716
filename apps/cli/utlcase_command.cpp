// sovrel utlcase [--keep-amp] [FILE]: the XML as the data service normalises it (UTLCase).
#include <cstdio>
#include <string>

#include "commands.h"
#include "common/prog_ids.h"
#include "platform/object_factory.h"
#include "service/iclscommon.h"
#include "session.h"
#include "terminal.h"

namespace sovrel::cli {

int RunUtlCase(const GlobalOptions&, std::span<const std::string> args) {
    bool keepAmpersands = false;
    std::string file;
    for (const auto& arg : args) {
        if (arg == "--keep-amp") keepAmpersands = true;
        else if (arg.starts_with("--")) throw UsageError("utlcase: unknown option " + arg);
        else if (file.empty()) file = arg;
        else throw UsageError("utlcase: give one FILE at most");
    }
    std::string xml = ReadInput(file, "utlcase");

    // A text operation: the service needs neither a login nor a connection for it.
    RegisterObjects();
    auto service = platform::Create<IClsCommon>(progid::IClsCommon);
    if (!service) throw ConnectionError(std::string("nothing is registered as ") + progid::IClsCommon);
    service->UTLCase(xml, !keepAmpersands);
    Write(stdout, xml);
    return kOk;
}

}  // namespace sovrel::cli

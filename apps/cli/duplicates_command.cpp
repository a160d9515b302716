// sovrel duplicates [--vendor V]: the groups of contacts that look like one person, by the
// card's duplicate rule.
#include <cstdio>
#include <string>

#include "commands.h"
#include "common/context.h"
#include "options.h"
#include "service/duplicates.h"
#include "session.h"
#include "tsv.h"
#include "terminal.h"

namespace sovrel::cli {

int RunDuplicates(const GlobalOptions& options, std::span<const std::string> args) {
    std::string vendor;
    for (std::size_t i = 0; i < args.size();) {
        auto v = TakeValue(args, i, "--vendor");  // moves past what it takes
        if (!v) throw UsageError("duplicates: unknown argument " + args[i]);
        vendor = *v;
    }
    ServiceSession session(options, {.rights = {right::Browse}});
    std::vector<std::vector<DuplicateFields>> groups;
    if (!DuplicateGroups(session.Service(), vendor, groups)) {
        PrintMessage(Ctx().PendingMessage);
        return kFailed;
    }
    std::string out = "group\tcContactCode\tcVenCode\tcContactName\tcMobilePhone\tcEmail\n";
    for (std::size_t g = 0; g < groups.size(); ++g)
        for (const auto& c : groups[g]) {
            out += std::to_string(g + 1);
            for (const std::string* f : {&c.code, &c.vendor, &c.name, &c.mobile, &c.email}) {
                out += '\t';
                AppendEscaped(out, *f);
            }
            out += '\n';
        }
    Write(stdout, out);
    return kOk;
}

}  // namespace sovrel::cli

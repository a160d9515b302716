#include "common/prog_ids.h"
#include "host/filter.h"
#include "host/register.h"
#include "host/services.h"

namespace host {

void RegisterServices() {
    namespace id = sovrel::progid;
    platform::Register(id::ColumnSetSvc, [] { return std::make_shared<ColumnSetService>(); });
    platform::Register(id::RowAuthSvc, [] { return std::make_shared<RowAuthService>(); });
    platform::Register(id::ColAuthSvc, [] { return std::make_shared<ColAuthService>(); });
    platform::Register(id::ArchiveService, [] { return std::make_shared<ArchiveService>(); });
    platform::Register(id::SysStart, [] { return std::make_shared<SysStartService>(); });
    platform::Register(id::StringBuilder, [] { return std::make_shared<StringBuilder>(); });
    platform::Register(id::FilterSrv, [] { return std::make_shared<FilterService>(); });
}

}  // namespace host

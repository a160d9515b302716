// The host interfaces compile, every one can come out of the object factory, and the
// public-utility object's facets are reached through one program identifier.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "common/hosts/chart.h"
#include "common/hosts/column_settings.h"
#include "common/hosts/controls.h"
#include "common/hosts/filter.h"
#include "common/hosts/login.h"
#include "common/hosts/mail.h"
#include "common/hosts/overview.h"
#include "common/hosts/pickers.h"
#include "common/hosts/portal.h"
#include "common/hosts/print.h"
#include "common/hosts/pub_util.h"
#include "common/hosts/pub_util_columns.h"
#include "common/hosts/pub_util_editors.h"
#include "common/hosts/pub_util_lists.h"
#include "common/hosts/pub_util_print.h"
#include "common/hosts/services.h"
#include "common/hosts/sms.h"
#include "common/hosts/text_service.h"
#include "common/prog_ids.h"

namespace sovrel {
namespace {

// Create<T> casts from platform::Object, so an interface that does not derive from it could never
// be created.
template <class... T>
constexpr bool AllCreatable = ((std::is_abstract_v<T> && std::is_base_of_v<platform::Object, T>) && ...);
static_assert(AllCreatable<IFilterSrv, IPrintControl, IPubUtilPrint, IPubUtilLists, IPubUtilEditors, IPubUtilColumns,
                           IMailTool, IMailSender, IContactPicker, IBaseCodeRefer, IRefListClient, ISmsClient,
                           IRefLookup, IGenerals, IChart, IColumnSetControl, IPortalHelp, IVisualStyle>);

// Two facets of the public-utility object, as the host's one object offers them together.
class PrintAndColumns : public IPubUtilPrint, public IPubUtilColumns {
public:
    void GetPrnStyle(const std::string&, std::string& style, const std::string& table,
                     const std::shared_ptr<IClsCommon>&, IFlexGrid&) override {
        style = "style of " + table;
    }
    void SavePrnStyle(std::shared_ptr<IClsCommon>&, const std::string&, const std::string&) override {}
    bool InitParameter(std::string& parameter) override {
        parameter = "seen " + parameter;
        return false;
    }
    void GetData(const std::shared_ptr<IClsCommon>&, IFlexGrid&, const std::string&, const std::string&,
                 const std::string&, const std::string&, std::string&) override {}
    void GetTypeSize(const std::shared_ptr<platform::db::Rowset>&, std::string&, std::string&) override {}
    void PrintMsg(long, const std::string&) override {}
    void SaveColSet(std::shared_ptr<IClsCommon>&, IFlexGrid&, const std::string&, const std::string&) override {}
    std::string GetUnSavedColSet(const std::string& columnInfo) override { return "<unsaved>" + columnInfo; }
    void ColSetResize(IColumnSetControl&, IForm&) override {}
};

TEST(HostInterfaces, OneUtilityObjectAnswersForEachFacetItImplements) {
    auto object = std::make_shared<PrintAndColumns>();
    // Each facet brings its own platform::Object base, so the creator hands the object out through
    // one of them; the factory's cast reaches the others from there.
    platform::ScopedRegistration registration(
        progid::PubUtil, [object] { return std::static_pointer_cast<IPubUtilPrint>(object); });

    auto print = platform::Create<IPubUtilPrint>(progid::PubUtil);
    auto columns = platform::Create<IPubUtilColumns>(progid::PubUtil);
    ASSERT_NE(print, nullptr);
    ASSERT_NE(columns, nullptr);
    EXPECT_EQ(dynamic_cast<void*>(columns.get()), dynamic_cast<void*>(object.get()));
    EXPECT_EQ(dynamic_cast<void*>(print.get()), dynamic_cast<void*>(object.get()));

    // A facet the object lacks comes back as nothing, not as a wrong object.
    EXPECT_EQ(platform::Create<IPubUtilLists>(progid::PubUtil), nullptr);
    EXPECT_EQ(platform::Create<IPubUtil>(progid::PubUtil), nullptr);
}

}  // namespace
}  // namespace sovrel

// The list's filter command and the column-settings window over scripted host objects.
#include "common/hosts/column_settings.h"
#include "common/hosts/filter.h"
#include "common/hosts/pub_util_columns.h"
#include "common/prog_ids.h"
#include "list_fixture.h"
#include "platform/object_factory.h"
#include "ui/columns/frm_item_set.h"

namespace sovrel::test {
namespace {

struct FilterScript {
    bool confirm = true;
    std::string where;
    std::string askedName;
};

class ScriptedFilter : public IFilterSrv {
public:
    explicit ScriptedFilter(FilterScript& s) : s_(s) {}
    bool OpenFilter(const std::shared_ptr<ILogin>&, const std::string& name, const std::string& a, const std::string& b,
                    std::string&) override {
        s_.askedName = name + "|" + a + "|" + b;
        return s_.confirm;
    }
    std::string GetSQLWhere() override { return s_.where; }

private:
    FilterScript& s_;
};

class FilterTest : public ListFixture {
protected:
    FilterTest() : registration_(progid::FilterSrv, [this] { return std::make_shared<ScriptedFilter>(script); }) {
        Load(ContactRows(3));
        window->SetFilterClause("(old)");
        ClearLog();
    }
    std::vector<std::string> Statements() const {
        std::vector<std::string> out;
        for (const auto& c : host.log.calls)
            if (c.rfind("OpenX ", 0) == 0) out.push_back(c.substr(6));
        return out;
    }
    FilterScript script;

private:
    platform::ScopedRegistration registration_;
};

TEST_F(FilterTest, aConfirmedConditionIsKeptAndReloadsTheListOrChangesNothing) {
    struct Case {
        const char* what;
        bool confirm;
        const char* where;
        bool refused;
        const char* clauseAfter;
        std::vector<std::string> statementEnds;  // what each statement run ends with
    };
    const Case cases[] = {
        {"cancelled", false, "(x = 1)", false, "(old)", {}},
        {"blank clears the filter", true, "  ", false, "", {"((1=1))   AND  1=1  ORDER BY cContactCode"}},
        {"condition", true, "(Ven_Contact.cMemo LIKE N'%[%]%')", false, "(Ven_Contact.cMemo LIKE N'%[%]%')",
         {"AND  1=0  AND (Ven_Contact.cMemo LIKE N'%[%]%') ORDER BY cContactCode",
          "AND (Ven_Contact.cMemo LIKE N'%[%]%') AND (Ven_Contact.cMemo LIKE N'%[%]%') ORDER BY cContactCode"}},
        {"refused by the database", true, "(nonsense(", true, "(old)",
         {"AND  1=0  AND (nonsense( ORDER BY cContactCode"}},
    };
    for (const auto& k : cases) {
        window->SetFilterClause("(old)");
        script = {k.confirm, k.where, ""};
        host.data->onOpenX = [&](const std::string& sql) -> RowsetPtr {
            return k.refused && sql.find(" 1=0 ") != std::string::npos ? nullptr : ContactRows(2);
        };
        ClearLog();
        const auto shown = Messages().size();
        window->Operating("Filter");
        EXPECT_EQ(script.askedName, "AA[__]供应商联系人档案||") << k.what;
        EXPECT_EQ(window->FilterClause(), k.clauseAfter) << k.what;
        const auto run = Statements();
        ASSERT_EQ(run.size(), k.statementEnds.size()) << k.what;
        for (std::size_t i = 0; i < run.size(); ++i)
            EXPECT_TRUE(run[i].ends_with(k.statementEnds[i])) << k.what << ": " << run[i];
        EXPECT_EQ(Messages().size(), shown + (k.refused ? 1 : 0)) << k.what;
        if (k.refused) {
            EXPECT_EQ(Messages().back().rfind("Hx.CRM.TkContact.frmcontactlist.FilterRefused", 0), 0u);
        }
    }
    // The list that was refused a filter still shows what it showed.
    EXPECT_EQ(window->Grid().Rows(), 3);

    // Refresh keeps the filter in force.
    script = {true, "(a = 1)", ""};
    host.data->onOpenX = nullptr;
    host.data->openResult = ContactRows(1);
    window->Operating("Filter");
    ClearLog();
    window->Operating("Refresh");
    ASSERT_EQ(Statements().size(), 1u);
    EXPECT_TRUE(Statements()[0].ends_with("((1=1))   AND (a = 1) ORDER BY cContactCode")) << Statements()[0];
}

TEST_F(FilterTest, noFilterServiceSaysSoAndKeepsTheList) {
    platform::ScopedRegistration none(progid::FilterSrv, platform::Creator{});
    window->Operating("Find");
    EXPECT_EQ(Messages().back(), "Hx.CRM.TkContact.frmcontactlist.NoFilter(TkGeneralFilter.FilterSrv)");
    EXPECT_EQ(window->FilterClause(), "(old)");
    EXPECT_TRUE(Statements().empty());
}

// ---- The column-settings window ----

class ScriptedControl : public IColumnSetControl {
public:
    void Load(const std::string& info) override { loads.push_back(info); }
    void OnReload(std::function<void(int)> h) override { reload = std::move(h); }
    void OnConfirm(std::function<void(bool, const std::string&)> h) override { confirm = std::move(h); }
    void OnClose(std::function<void()> h) override { close = std::move(h); }
    std::vector<std::string> loads;
    std::function<void(int)> reload;
    std::function<void(bool, const std::string&)> confirm;
    std::function<void()> close;
};

class ModeColumns : public fakes::ColumnSetSvc {
public:
    using fakes::ColumnSetSvc::ColumnSetSvc;
    std::string getColInfo(const std::string& key, int mode) override {
        return "server " + key + " " + std::to_string(mode);
    }
    bool Save(const std::string&, const std::string& info, std::string& message) override {
        saved.push_back(info);
        message = refuse;
        return refuse.empty();
    }
    std::vector<std::string> saved;
    std::string refuse;
};

class ColumnsPub : public fakes::PubUtil, public IPubUtilColumns {
public:
    using fakes::PubUtil::PubUtil;
    void SaveColSet(std::shared_ptr<IClsCommon>&, IFlexGrid&, const std::string&, const std::string&) override {}
    std::string GetUnSavedColSet(const std::string& info) override { return "laid out " + info; }
    void ColSetResize(IColumnSetControl&, IForm&) override {}
};

class ItemSetTest : public ListFixture {
protected:
    ItemSetTest()
        : registration_(progid::ColumnSetControl, [this] {
              control = std::make_shared<ScriptedControl>();
              return control;
          }) {
        pub->captions = host.pub->captions;
        Ctx().PubUtil = pub;
        Ctx().ColumnSetSvc = columns;
        Ctx().UnsavedColumnSet.clear();
        Load(ContactRows(2));
    }
    ~ItemSetTest() override { Ctx().UnsavedColumnSet.clear(); }
    std::shared_ptr<frmItemSet> Open() {
        auto w = std::make_shared<frmItemSet>(*window);
        w->FormLoad();
        return w;
    }
    std::shared_ptr<ScriptedControl> control;
    std::shared_ptr<ModeColumns> columns = std::make_shared<ModeColumns>(host.log);
    std::shared_ptr<ColumnsPub> pub = std::make_shared<ColumnsPub>(host.log);

private:
    platform::ScopedRegistration registration_;
};

TEST_F(ItemSetTest, reloadModesAskTheServerAndClosingChangesNothing) {
    Ctx().ColumnInfo = "before";
    auto w = Open();
    ASSERT_TRUE(control);
    EXPECT_EQ(control->loads, std::vector<std::string>{"server Ven_Contact 1"});
    for (int mode : {0, 15, 2}) control->reload(mode);
    EXPECT_EQ(control->loads, (std::vector<std::string>{"server Ven_Contact 1", "server Ven_Contact 0",
                                                        "server Ven_Contact 15", "server Ven_Contact 2"}));
    ClearLog();
    control->close();
    EXPECT_EQ(Ctx().ColumnInfo, "before");
    EXPECT_EQ(Ctx().UnsavedColumnSet, "");
    EXPECT_EQ(host.log.Count("OpenX"), 0);
    EXPECT_FALSE(host.log.Has("getColSet"));
    std::int16_t cancel = 5, mode = 5;
    w->ExitForm(cancel, mode);
    EXPECT_EQ(cancel, 0);
}

TEST_F(ItemSetTest, confirmingRebuildsTheListSavedOrNot) {
    struct Case {
        bool save;
        const char* refuse;
        std::size_t savedCount, messages;
    };
    const Case cases[] = {{false, "", 0, 0}, {true, "", 1, 0}, {true, "Hx.AA.COLSET.UnknownColumn(cX)", 1, 1}};
    for (const auto& k : cases) {
        columns->saved.clear();
        columns->refuse = k.refuse;
        const auto shown = Messages().size();
        auto w = Open();
        ClearLog();
        control->confirm(k.save, "<mine/>");
        EXPECT_EQ(columns->saved.size(), k.savedCount) << k.save;
        EXPECT_EQ(Messages().size(), shown + k.messages);
        if (k.messages) {
            EXPECT_EQ(Messages().back(), k.refuse);
        }
        EXPECT_EQ(Ctx().UnsavedColumnSet, "<mine/>");
        EXPECT_EQ(Ctx().ColumnInfo, "laid out <mine/>");
        EXPECT_TRUE(host.log.Has("getColSet")) << "the header was not rebuilt";
        EXPECT_EQ(host.log.Count("OpenX"), 1) << "the list was not reloaded";
        // Reopened in this run, the window shows the confirmed description, not the server's.
        auto again = Open();
        EXPECT_EQ(control->loads, std::vector<std::string>{"<mine/>"});
        Ctx().UnsavedColumnSet.clear();
    }
}

}  // namespace
}  // namespace sovrel::test

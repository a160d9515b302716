#pragma once
// The contact list window over the scripted host objects, loaded but not shown; rows come from
// detached rowsets the fake data service hands out.
#include <gtest/gtest.h>

#include <QApplication>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../support/fakes.h"
#include "common/context.h"
#include "common/logs.h"
#include "entry/icontact.h"
#include "../../support/file_text.h"
#include "platform/db/field.h"
#include "platform/db/rowset.h"
#include "ui/list/frm_contact_list.h"
#include "ui/list/list_statement.h"

namespace sovrel::test {

using platform::db::FieldInfo;
using platform::db::Rowset;

inline constexpr const char* kCodeCaption = "Hx.CRM.TkContact.frmcontactlist.00027";
inline const std::vector<std::string> kSixReleases = {
    "ReleaseRight AS020306", "ReleaseRight AS020305", "ReleaseRight AS020301",
    "ReleaseRight AS020303", "ReleaseRight AS020302", "ReleaseRight AS020304"};

inline FieldInfo Field(std::string name, int type, long size = 0) {
    FieldInfo f;
    f.name = std::move(name);
    f.type = type;
    f.definedSize = size;
    return f;
}

// n contacts "V01" + 8-digit serial with a name and a flag; extra fields are appended empty.
inline RowsetPtr ContactRows(long n, std::vector<FieldInfo> extra = {}) {
    std::vector<FieldInfo> fields = {Field("cSelect", platform::db::adVarWChar, 2),
                                     Field("cContactCode", platform::db::adVarWChar, 20),
                                     Field("cContactName", platform::db::adVarWChar, 40),
                                     Field("bMajor", platform::db::adBoolean)};
    fields.insert(fields.end(), extra.begin(), extra.end());
    auto rs = Rowset::CreateDetached(fields);
    for (long i = 1; i <= n; ++i) {
        rs->AddNew();
        char code[32];
        std::snprintf(code, sizeof code, "V01%08ld", i);
        rs->Set(1, std::string(code));
        rs->Set(2, "Contact " + std::to_string(i));
        rs->Set(3, i % 2 == 1);
        rs->Update();
    }
    if (n > 0) rs->MoveFirst();
    return rs;
}

class ListFixture : public ::testing::Test {
protected:
    ListFixture() {
        logs_ = std::filesystem::temp_directory_path() / ("sovrel-list-" + std::to_string(::getpid()) + "-" +
                                                          std::to_string(++counter_));
        std::filesystem::create_directories(logs_);
        SetLogDirectory(logs_.string());
        host.login->db = "Provider=SQLite;Data Source=" + logs_.string() + ";Initial Catalog=TKDATA_001_2024";
        host.pub->captions = {"", kCodeCaption, "Name", "Main"};
        Context& c = Ctx();
        c.Login = host.login;
        c.DataService = host.data;
        c.PubUtil = host.pub;
        c.ColumnSetSvc = host.columns;
        c.VendorRowAuth = "(1=1)";
        c.PageSize = 10000;
        c.WebFrameOn = true;
        c.UserId = "demo";
        c.HelpFile = "/help/sovrel.html";
        Reopen();
    }
    // A new list window, loaded with the context as it is now (the vendor it was opened for).
    void Reopen() {
        window = std::make_shared<frmContactList>();
        Ctx().ListWindow = window;
        window->SetEntryObject(entry);
        window->FormLoad();
        activated_ = false;
    }
    ~ListFixture() override {
        window.reset();
        SetLogDirectory("");
        std::error_code ignored;
        std::filesystem::remove_all(logs_, ignored);
    }

    // The first activation over these rows (header, query, first page); later, a refresh.
    void Load(RowsetPtr rows) {
        host.data->openResult = std::move(rows);
        if (activated_) window->DataRefresh("");
        else window->FormActivate();
        activated_ = true;
    }
    // The calls logged from now on.
    void ClearLog() { host.log.calls.clear(); }
    std::vector<std::string> Releases() const {
        std::vector<std::string> out;
        for (const auto& c : host.log.calls)
            if (c.rfind("ReleaseRight", 0) == 0) out.push_back(c);
        return out;
    }
    std::string ErrorLog() const { return FileText(logs_ / "error.log"); }
    std::vector<std::string> Messages() const { return host.crm->messages; }
    template <class T>
    T* Child(const char* name) const {
        return window->findChild<T*>(name);
    }

    fakes::Host host;
    std::shared_ptr<IContact> entry = std::make_shared<IContact>();
    std::shared_ptr<frmContactList> window;

private:
    std::filesystem::path logs_;
    bool activated_ = false;
    static inline int counter_ = 0;
};

}  // namespace sovrel::test

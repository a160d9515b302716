#pragma once
// Scripted stand-ins for the host objects and the component's own classes, for tests that need a
// refusal, a failure or a record of the calls. Register() puts them under their program
// identifiers for the life of the fixture.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/context.h"
#include "common/form.h"
#include "common/hosts/login.h"
#include "common/hosts/pub_util.h"
#include "common/hosts/services.h"
#include "common/hosts/text_service.h"
#include "common/prog_ids.h"
#include "platform/error.h"
#include "platform/object_factory.h"
#include "service/iclscommon.h"

namespace sovrel::fakes {

// Everything the fakes were asked, in order ("AcquireRight AS020302", "ShowMessage ...", ...).
struct CallLog {
    std::vector<std::string> calls;
    void Add(std::string s) { calls.push_back(std::move(s)); }
    int Count(const std::string& prefix) const;
    bool Has(const std::string& prefix) const { return Count(prefix) > 0; }
};

// A host object that records its calls in log_.
template <class Interface>
class Logged : public Interface {
public:
    explicit Logged(CallLog& log) : log_(log) {}

protected:
    CallLog& log_;
};

class Login : public ILogin {
public:
    std::string user = "demo", name = "演示用户", db = "Provider=SQLite;Data Source=/tmp;Initial Catalog=TKDATA_001_2024";
    std::string date = "2024-05-01", employee = "E001", share;
    std::map<std::string, bool> rights;
    std::string cUserId() const override { return user; }
    std::string cUserName() const override { return name; }
    std::string tkDBName() const override { return db; }
    std::string CurDate() const override { return date; }
    std::string cEmployeeId() const override { return employee; }
    bool TaskExec(std::string& code, int&) override { return rights.count(code) ? rights[code] : true; }
    std::string ShareString() const override { return share; }
};

class RightChecker : public Logged<IRightChecker> {
public:
    using Logged::Logged;
    bool answer = true;
    bool AcquireRight(const std::shared_ptr<ILogin>&, const std::string& code) override {
        log_.Add("AcquireRight " + code);
        return answer;
    }
    void ReleaseRight(const std::shared_ptr<ILogin>&, const std::string& code) override { log_.Add("ReleaseRight " + code); }
};

// Texts are their keys (with parameters in parentheses), as in the host's test language.
class CrmCommonSvc : public Logged<ICrmCommonSvc> {
public:
    using Logged::Logged;
    std::string language = "keys";
    int answer = 1;
    std::string GetLanguage(const std::shared_ptr<ILogin>&) override { return language; }
    int GetToolbarStyle() override { return 0; }
    std::string GetText(const std::string& key, std::string&, bool&) override { return key; }
    std::string GetTextWithParams(const std::string& key, std::vector<platform::db::Value>& params, std::string&) override;
    void SetFormCaption(IForm& w, std::string& caption, bool&) override { w.SetCaption(caption); }
    int ShowMessage(const std::string& prompt, int style, const std::string& title, const std::string& lang, int,
                    int) override {
        log_.Add("ShowMessage " + prompt);
        messages.push_back(prompt);
        lastStyle = style;
        boxes.push_back({prompt, style, title, lang});
        return answer;
    }
    void LocalizeForm(const std::string&, IForm&) override {}
    void Trace(const std::string&, const std::string&, bool&) override {}
    std::string GetHelpFile() override { return "/help/sovrel.html"; }
    void FormUnloaded() override {}
    void QuoteSqlText(const std::string& t, std::string& r) override { r = t; }
    void EscapeXmlText(const std::string& t, std::string& r) override { r = t; }
    std::string GetSmsConfig() override { return ""; }
    std::vector<std::string> messages;
    int lastStyle = 0;
    struct Box {
        std::string prompt;
        int style;
        std::string title, language;
    };
    std::vector<Box> boxes;
};

class TitleSvc : public Logged<ITitleSvc> {
public:
    using Logged::Logged;
    std::string GetTitle(const std::string& language) override {
        log_.Add("GetTitle " + language);
        return "Sovrel";
    }
};

class PubUtil : public Logged<IPubUtil> {
public:
    using Logged::Logged;
    bool lockHeld = false;
    bool IsLockFun(std::shared_ptr<IClsCommon>&, const std::shared_ptr<ILogin>&, const std::string& table, int code) override {
        log_.Add("IsLockFun " + table + " " + std::to_string(code));
        return code > 0 && lockHeld;
    }
    std::string GetResString(const std::string& key) override { return key; }
    void DebugPrint(const std::string&) override {}
    std::string FormatNum(const std::string& v, int) override { return v; }
    std::string GetRegEdit(const std::string&, const std::string&, bool&, const std::string&) override { return ""; }
    void SaveRegEdit(const std::string&, const std::string&, const std::string&, bool&, const std::string&) override {}
    void FlipPageFillGrid(IListWindow&, IFlexGrid&, RowsetPtr&, long, long, std::int32_t&) override {}
    bool getColSet(std::string&, std::string&, std::string&, IFlexGrid&, std::int16_t&, std::int16_t&,
                   std::string&) override {
        return true;
    }
    void SetGridRow(IFlexGrid&, const std::string&, const platform::db::Value&, long) override {}
    std::string GetEleVal(const std::string&, const std::string&) override { return ""; }
    void FrmUniteFont(IForm&) override {}
    void FrmLoadInit(IForm&, std::shared_ptr<clsLogin>&, std::shared_ptr<IClsCommon>&, const std::string&) override {}
    void FrmPreCompile(std::shared_ptr<IClsCommon>&) override {}
    void FrmResize(IForm&) override {}
    void FrmOpt(IForm&, const std::string&, const std::string&, const std::shared_ptr<ILogin>&,
                std::shared_ptr<IClsCommon>&) override {}
    void HelpShow(const std::string&, IForm&) override {}
    long HelpX(bool&, const std::shared_ptr<ILogin>&, IForm&, const std::string&) override { return 0; }
    void HelpHide() override {}
};

class ColumnSetSvc : public Logged<IColumnSetSvc> {
public:
    using Logged::Logged;
    void Init(const std::string& cnn, const std::string& user) override { log_.Add("ColumnSet.Init " + user); }
    std::string getColInfo(const std::string&, int) override { return ""; }
    std::shared_ptr<platform::db::Rowset> getColSet(const std::string&, int) override { return nullptr; }
    bool Save(const std::string&, const std::string&, std::string&) override { return true; }
};

class RowAuthSvc : public Logged<IRowAuthSvc> {
public:
    using Logged::Logged;
    std::string answer;
    void Init(const std::string&, const std::string& user) override { log_.Add("RowAuth.Init " + user); }
    std::string GetAuthString(const std::string& object) override { return answer; }
};

class ColAuthSvc : public Logged<IColAuthSvc> {
public:
    using Logged::Logged;
    std::string read, write, connection, request;  // request: the last one asked
    bool fail = false;                              // throws, as a failing host object would
    void Init(const std::string& cnn, const std::string& user) override {
        connection = cnn;
        log_.Add("ColAuth.Init " + user);
    }
    std::string GetAuthString(const std::string& r) override {
        if (fail) throw platform::Error(5, "clsColAuth", "refused");
        request = r;
        return r.find("'R'") != std::string::npos ? read : write;
    }
};

// A data service that answers what the test sets and records what it was asked.
class DataService : public Logged<IClsCommon> {
public:
    using Logged::Logged;
    bool status = true;
    RowsetPtr openResult;
    bool Status() const override { return status; }
    void SetStatus(bool s) override { status = s; }
    void Init(std::string& cnn) override { log_.Add("DataService.Init " + cnn); }
    bool Add(std::string&, std::string&, std::string&) override { return false; }
    bool Modify(std::string&, std::string&, std::string&) override { return false; }
    bool Delete(platform::db::Value&, std::string&, std::string&, std::string&, const std::string&) override { return false; }
    RowsetPtr OpenX(const std::string& sql, bool* flag, std::string*) override {
        log_.Add("OpenX " + sql);
        if (flag) *flag = openResult != nullptr;
        return openResult;
    }
    void OpenPage(const std::string&, long&, long&, long&, RowsetPtr&, std::string*, bool*) override {}
    RowsetPtr OpenForward(const std::string&, bool*, std::string*) override { return nullptr; }
    RowsetPtr Find(std::string&, std::vector<std::string>&, std::vector<std::string>&, std::string&) override { return nullptr; }
    bool ExecuteX(const std::string&) override { return false; }
    bool SetLogin(std::shared_ptr<ILogin>&) override { return true; }
    bool GetFunAuth(std::shared_ptr<ILogin>, const std::string&, int, std::string*, int, const std::string&, int) override { return true; }
    void Terminate() override {}
    bool zy_ConvertDB(const std::string&, std::string&) override { return false; }
    bool AddInDiffDB(const std::string&, std::vector<std::string>&, const std::string&, std::string&, std::string&) override { return false; }
    std::string ReIdVal(const platform::db::Value&) override { return ""; }
    ConnectionPtr m_cnn() override { return nullptr; }
    std::string m_CnnString() const override { return ""; }
    bool BArchIsUsed(std::string&, std::string&, platform::db::Value&) override { return false; }
    bool CheckRefed(platform::db::Value&, std::string&, bool&, std::string*, const std::string&) override { return false; }
    void UTLCase(std::string&, bool) override {}
    RowsetPtr OpenRs(const std::string&, ConnectionPtr&, bool&, std::string&) override { return nullptr; }
};

class ListWindow : public Logged<IListWindow> {
public:
    using Logged::Logged;
    std::string Name() const override { return "frmContactList"; }
    void BringToFront() override { log_.Add("BringToFront"); }
    void ShowModal() override {
        log_.Add("ShowModal");
        statusDuringShow = Ctx().VendorCode;
    }
    void ShowModeless() override { log_.Add("ShowModeless"); }
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& c) override { caption = c; }
    void SetEntryObject(std::weak_ptr<platform::Object> e) override { entry = e; }
    void FillGrid(RowsetPtr) override {}
    void LblPageEnabled(bool, bool) override {}
    std::string StatusText() const override { return status; }
    void SetStatusText(const std::string& t) override { status = t; }
    std::string caption, status, statusDuringShow;
    std::weak_ptr<platform::Object> entry;
};

// All of the above, registered for the life of the object; each can be withdrawn or replaced.
class Host {
public:
    Host();
    ~Host();
    CallLog log;
    std::shared_ptr<Login> login = std::make_shared<Login>();
    std::shared_ptr<RightChecker> rights = std::make_shared<RightChecker>(log);
    std::shared_ptr<CrmCommonSvc> crm = std::make_shared<CrmCommonSvc>(log);
    std::shared_ptr<TitleSvc> title = std::make_shared<TitleSvc>(log);
    std::shared_ptr<PubUtil> pub = std::make_shared<PubUtil>(log);
    std::shared_ptr<ColumnSetSvc> columns = std::make_shared<ColumnSetSvc>(log);
    std::shared_ptr<RowAuthSvc> rowAuth = std::make_shared<RowAuthSvc>(log);
    std::shared_ptr<ColAuthSvc> colAuth = std::make_shared<ColAuthSvc>(log);
    std::shared_ptr<DataService> data = std::make_shared<DataService>(log);
    std::shared_ptr<ListWindow> window = std::make_shared<ListWindow>(log);
    // Makes progId create nothing.
    void Withdraw(const std::string& progId);

private:
    std::vector<std::unique_ptr<platform::ScopedRegistration>> registrations_;
};

}  // namespace sovrel::fakes

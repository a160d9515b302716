#pragma once
// "CrmWorkLib.clsGenerals": the contact overview. One window per contact shows the contact's
// data, the vendor, the chain of superiors, the direct reports and the documents that refer to
// the contact (the tables crm_ref_relation names for Ven_Contact).
#include <QDialog>

#include <memory>
#include <string>
#include <vector>

#include "common/hosts/overview.h"

class QTreeWidget;

namespace host {

struct OverviewData {
    std::vector<std::pair<std::string, std::string>> contact;  // caption, value
    std::vector<std::pair<std::string, std::string>> vendor;
    std::vector<std::string> superiors;  // "code name", nearest first
    std::vector<std::string> reports;    // "code name"
    std::vector<std::vector<std::string>> documents;  // kind, table, key values
};

// Reads the overview of contactCode from the account database of connectionText in language.
// Throws platform::Error when the database cannot be read; an unknown code gives empty data.
OverviewData ReadOverview(const std::string& connectionText, const std::string& contactCode,
                          const std::string& language);

class OverviewWindow final : public QDialog {
public:
    OverviewWindow(const OverviewData& data, const std::string& title, const std::string& language);
};

class Generals final : public sovrel::IGenerals {
public:
    void IiniGenerals(const std::shared_ptr<sovrel::ILogin>& login, std::shared_ptr<platform::Object> product,
                      std::shared_ptr<platform::Object> activeFrmMgr, std::shared_ptr<platform::Object> viewManager,
                      std::shared_ptr<platform::Object> formEnv, const std::string& overviewKey,
                      const std::string& code, const std::string& name) override;
    // The window last opened (nullptr before the first).
    OverviewWindow* Window() const { return window_.get(); }

private:
    std::unique_ptr<OverviewWindow> window_;
};

}  // namespace host

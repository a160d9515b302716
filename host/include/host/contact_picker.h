#pragma once
// The contact picker "TkCRMArcCO.clsContact" and the number box's lookup "TkRefEdit.TkRefLookup"
// (reference key "Sovrel_Msg"): a dialog over the contacts the user may see (the vendors of the
// user's row authority), with a search box and multi-select.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/hosts/pickers.h"
#include "common/hosts/sms.h"

namespace host {

// Decides what the user picks instead of the dialog (tests): gets the codes offered, in order,
// and answers the codes picked (empty: cancelled). An empty presenter restores the dialog.
using ContactPickPresenter = std::function<std::vector<std::string>(const std::vector<std::string>& offered)>;
ContactPickPresenter SetContactPickPresenter(ContactPickPresenter presenter);

// The contacts login may see, picked by the user: cContactCode, cContactName, cVenCode, cVenName,
// cMobilePhone, cEmail by code; nullptr when the user cancelled.
std::shared_ptr<platform::db::Rowset> PickContacts(const std::shared_ptr<sovrel::ILogin>& login, bool multiSelect);

class ContactPicker final : public sovrel::IContactPicker {
public:
    std::shared_ptr<platform::db::Rowset> GetRecordRst(const std::shared_ptr<sovrel::ILogin>& login, bool flag1,
                                                       const std::string& keyField, const std::string& condition,
                                                       bool flag2) override;
};

class RefLookup final : public sovrel::IRefLookup {
public:
    void Init(const std::shared_ptr<sovrel::ILogin>& login, const std::string& refKey, bool flag,
              const std::string& settings) override;
    void OnRowsReturned(std::function<void(std::shared_ptr<platform::db::Rowset> rows)> handler) override;
    bool Show() override;

private:
    std::weak_ptr<sovrel::ILogin> login_;
    std::string refKey_, settings_;
    std::function<void(std::shared_ptr<platform::db::Rowset>)> handler_;
};

}  // namespace host

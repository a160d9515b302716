#pragma once
// The host's choosers: the contact picker, the base-code chooser and the reference-list client.
#include <memory>
#include <optional>
#include <string>

#include "platform/db/connection.h"
#include "platform/db/rowset.h"
#include "platform/object_factory.h"

namespace sovrel {

class ILogin;

// "TkCRMArcCO.clsContact": lets the user pick contacts.
class IContactPicker : public platform::Object {
public:
    // Shows the picker keyed by keyField ("cContactCode") and narrowed by condition ("" = all);
    // the picked contacts (at least cEmail and cMobilePhone, the first one current), or nullptr
    // when the user cancelled. The component passes flag1 and flag2 true.
    virtual std::shared_ptr<platform::db::Rowset> GetRecordRst(const std::shared_ptr<ILogin>& login, bool flag1,
                                                               const std::string& keyField,
                                                               const std::string& condition, bool flag2) = 0;
};

// "BaseCodeLib.IBaseCodeRefer": lets the user choose a base code of one type.
class IBaseCodeRefer : public platform::Object {
public:
    // Shows the codes of codeType ("Duty", "Taste") narrowed by filter ("" = all); result receives
    // the chosen code (fields ID and cname) or nullptr when none was chosen.
    virtual void Show(const std::shared_ptr<ILogin>& login, const std::string& codeType, const std::string& filter,
                      std::shared_ptr<platform::db::Rowset>& result) = 0;
};

// Data sources of the reference-list client.
namespace refsource {
constexpr int ValueList = 0, Archive = 1;
}

// The reference-list client: offers the values of one column of a table to choose from.
class IRefListClient : public platform::Object {
public:
    // Binds the client to the component's connection; false when it cannot use it.
    virtual bool Init(std::shared_ptr<platform::db::Connection> connection) = 0;
    // The list to offer: column of table (refsource::ValueList: "UserDefine"/"cValue"; Archive:
    // the related archive), under caption, pageSize rows at a time.
    virtual void SetUp(int dataSource, const std::string& table, const std::string& column,
                       const std::string& caption, long pageSize) = 0;
    // Shows the list; the value chosen, or nothing when the user cancelled.
    virtual std::optional<std::string> Choose() = 0;
};

}  // namespace sovrel

#pragma once
// The editor operations of "HxPub.IPub" the contact card uses: the same host object implements
// IPubUtil and this interface.
#include <memory>
#include <string>

#include "common/controls.h"
#include "common/form.h"
#include "platform/db/rowset.h"
#include "platform/object_factory.h"

namespace sovrel {

class IClsCommon;

class IPubUtilEditors : public platform::Object {
public:
    // Prepares the reference editor of window for a changed text (before it is resolved).
    virtual void SetRefEdt(IForm& window, IControl& editor) = 0;
    // Editor accepts whole numbers only.
    virtual void SetIntLen(IControl& editor) = 0;
    // Editor accepts decimal numbers with at most decimalDigits decimals.
    virtual void SetDblLen(IControl& editor, int decimalDigits) = 0;
    // The length of text as the host measures it for a label's width (0 for "").
    virtual long GetStrLen(const std::string& text) = 0;
    // The user-defined item definitions (rows of userdef) of archiveClass ("供应商联系人"), in item
    // order, after giving window's user-defined editors their input kinds; nullptr when there are
    // none.
    virtual std::shared_ptr<platform::db::Rowset> SetUserDefEle(IForm& window,
                                                                const std::shared_ptr<IClsCommon>& dataService,
                                                                const std::string& archiveClass) = 0;
    // Restyles window's controls after their contents changed (colours of read-only and mandatory
    // fields).
    virtual void FormatCon(IForm& window) = 0;
    // Applies the user's stored window options to window; the card passes option 1.
    virtual void FrmOptInit(IForm& window, int option) = 0;
};

}  // namespace sovrel

// The editor operations of the public-utility object: input kinds of the card's boxes, label
// widths, the user-defined item definitions and the restyling after a change.
#include <QApplication>
#include <QStyle>
#include <QWidget>

#include "common/hosts/ref_edit.h"
#include "host/pub_util.h"
#include "platform/error.h"
#include "platform/text.h"
#include "service/iclscommon.h"

namespace host {

namespace txt = platform::text;

namespace {

sovrel::IRefEdit& RefEditOf(sovrel::IControl& editor, const char* who) {
    auto* box = dynamic_cast<sovrel::IRefEdit*>(&editor);
    if (!box) throw platform::Error(platform::errnum::InvalidOperation, who, "the control is not a reference edit box");
    return *box;
}

bool Wide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

void PubUtil::SetRefEdt(sovrel::IForm& /*window*/, sovrel::IControl& editor) {
    auto& box = RefEditOf(editor, "PubUtil.SetRefEdt");
    box.SetTag("");
    box.SetDescription("");
}

void PubUtil::SetIntLen(sovrel::IControl& editor) { RefEditOf(editor, "PubUtil.SetIntLen").SetKind(sovrel::refkind::Integer); }

void PubUtil::SetDblLen(sovrel::IControl& editor, int decimalDigits) {
    RefEditOf(editor, "PubUtil.SetDblLen").SetKind(sovrel::refkind::Decimal, std::clamp(decimalDigits, 0, kMaxDecimalDigits));
}

long PubUtil::GetStrLen(const std::string& text) {
    long units = 0;
    for (std::size_t i = 0; i < text.size();) units += Wide(txt::DecodeUtf8(text, i)) ? 2 : 1;
    return units;
}

std::shared_ptr<platform::db::Rowset> PubUtil::SetUserDefEle(sovrel::IForm& /*window*/,
                                                             const std::shared_ptr<sovrel::IClsCommon>& dataService,
                                                             const std::string& archiveClass) {
    if (!dataService) return nullptr;
    std::string quoted = txt::Replace(archiveClass, "'", "''");
    // "自定义项10" sorts after "自定义项9" by length first.
    auto rows = dataService->OpenX("SELECT * FROM userdef WHERE cClass = N'" + quoted + "' ORDER BY LEN(cItem), cItem");
    if (!platform::db::HasRows(rows)) return nullptr;
    return rows;
}

void PubUtil::FormatCon(sovrel::IForm& window) {
    auto* w = dynamic_cast<QWidget*>(&window);
    if (!w || !qApp) return;
    for (QWidget* child : w->findChildren<QWidget*>()) {
        if (!child->property("mandatory").isValid() && !child->property("readOnlyField").isValid()) continue;
        child->style()->unpolish(child);
        child->style()->polish(child);
        child->update();
    }
}

void PubUtil::FrmOptInit(sovrel::IForm& window, int /*option*/) {
    auto* w = dynamic_cast<QWidget*>(&window);
    if (!w) return;
    // The card has no stored options beyond its size, which the window keeps itself; the call
    // only makes sure nothing of the window lies outside the screen.
    FrmResize(window);
}

}  // namespace host

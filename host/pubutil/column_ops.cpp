// The public-utility object's column-settings operations: the grid's widths kept before the
// column-settings window opens, the description the list lays out after it, the control's size.
#include <QWidget>

#include "../services/xml_tree.h"
#include "common/form.h"
#include "common/hosts/column_settings.h"
#include "common/hosts/controls.h"
#include "common/logs.h"
#include "host/pub_util.h"
#include "host/services.h"
#include "host/session.h"
#include "platform/error.h"
#include "platform/text.h"
#include "ui/widget_host.h"

namespace host {

namespace txt = platform::text;

namespace {

std::shared_ptr<sovrel::ILogin> LoginNow(const std::weak_ptr<sovrel::ILogin>& last) {
    if (auto l = last.lock()) return l;
    return CurrentLogin();
}

}  // namespace

void PubUtil::SaveColSet(std::shared_ptr<sovrel::IClsCommon>& /*dataService*/, sovrel::IFlexGrid& grid,
                         const std::string& table, const std::string& userId) {
    std::shared_ptr<sovrel::ILogin> login;
    {
        std::lock_guard lock(mutex_);
        login = LoginNow(lastLogin_);
    }
    if (!login || grid.Rows() < 1) return;
    ColumnSetService service;
    service.Init(login->tkDBName(), userId.empty() ? login->cUserId() : userId);
    auto columns = service.Columns(table, 1);
    bool changed = false;
    // Grid column 1 is the selection column; the others show the visible columns by caption.
    for (long col = 2; col < grid.Cols(); ++col) {
        const std::string caption = txt::Trim(grid.TextMatrix(0, col));
        const long width = grid.ColWidth(col);
        if (caption.empty() || width <= 0) continue;
        for (auto& c : columns)
            if (c.visible && !c.fixed && c.caption == caption && c.width != width) {
                c.width = static_cast<int>(std::min(width, 2000L));
                changed = true;
                break;
            }
    }
    if (!changed) return;
    std::string x = "<ColumnSet key=\"" + detail::XmlEscape(table) + "\" version=\"1\">";
    for (const auto& c : columns)
        x += "<Column name=\"" + c.name + "\" width=\"" + std::to_string(c.width) + "\" visible=\"" +
             (c.visible ? "1" : "0") + "\" sort=\"" + c.sort + "\" sortIndex=\"" + std::to_string(c.sortIndex) + "\"" +
             (c.userCaption.empty() ? std::string() : " userCaption=\"" + detail::XmlEscape(c.caption) + "\"") + "/>";
    x += "</ColumnSet>";
    std::string message;
    if (!service.Save(table, x, message))
        sovrel::WriteErrorLog("PubUtil.SaveColSet", true,
                              platform::Error(platform::errnum::InvalidOperation, "PubUtil.SaveColSet", message));
}

std::string PubUtil::GetUnSavedColSet(const std::string& columnInfo) {
    if (Describe(columnInfo)) return columnInfo;
    sovrel::WriteErrorLog("PubUtil.GetUnSavedColSet", true,
                          platform::Error(platform::errnum::InvalidOperation, "PubUtil.GetUnSavedColSet",
                                          "the confirmed column description cannot be laid out; the default "
                                          "columns are shown instead"));
    std::shared_ptr<sovrel::ILogin> login;
    {
        std::lock_guard lock(mutex_);
        login = LoginNow(lastLogin_);
    }
    if (!login) return columnInfo;
    ColumnSetService service;
    service.Init(login->tkDBName(), login->cUserId());
    return service.getColInfo("Ven_Contact", 0);
}

void PubUtil::ColSetResize(sovrel::IColumnSetControl& control, sovrel::IForm& window) {
    auto* host = dynamic_cast<sovrel::IWidgetHost*>(&control);
    auto* w = dynamic_cast<QWidget*>(&window);
    if (!host || !w) return;
    QWidget* c = host->Widget(w);
    const int margin = 8;
    c->setGeometry(margin, margin, std::max(0, w->width() - 2 * margin), std::max(0, w->height() - 2 * margin));
}

}  // namespace host

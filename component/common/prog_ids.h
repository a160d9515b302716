#pragma once
// Program identifiers by which the component creates outside objects and its own classes.
#include <array>
#include <string_view>

// One list makes the constants and the set that is checked below, so neither can drift.
#define SOVREL_PROG_IDS(X) \
    /* Host objects */ \
    X(PubUtil, "HxPub.IPub") \
    X(StringBuilder, "HxPub.StringBuilder") \
    X(ColumnSetSvc, "HxColumnsetSvr.clsColSetsvr") \
    X(RowAuthSvc, "HxRowAuthsvr.clsRowAuth") \
    X(ColAuthSvc, "HxColAuthsvr.clsColAuth") \
    X(ArchiveService, "HxSrvTrans.IClsCommon") \
    X(SysStart, "HxPSysStart.ISysStart") \
    X(FilterSrv, "TkGeneralFilter.FilterSrv") \
    X(MailTool, "HxMail.MailTool") \
    X(MailSender, "HxMail.MailSender") \
    X(ContactPicker, "TkCRMArcCO.clsContact") \
    X(BaseCodeRefer, "BaseCodeLib.IBaseCodeRefer") \
    X(RefListClient, "TkRefList.RefListClient") \
    X(SmsClient, "HxSMSClient.SMSClient") \
    X(Generals, "CrmWorkLib.clsGenerals") \
    X(SaveFileDialog, "HxPub.SaveFileDialog") \
    /* The host's desktop controls. */ \
    X(FlexGrid, "TkFlexGrid.TkFlexGridCtrl") \
    X(Toolbar, "TkToolBar.TkToolBarCtrl") \
    X(KeyHook, "TkKeyHook.TkKeyHookCtrl") \
    X(PrintControl, "TkPrint.PrintControl") \
    X(RefEdit, "TkRefEdit.TkRefEditCtrl") \
    X(RefLookup, "TkRefEdit.TkRefLookup") \
    X(Chart, "TkChart.TkChartCtrl") \
    X(ColumnSetControl, "HxColumnSetOcx.ColumnSetCtrl") \
    /* The host's global objects, one per user-interface thread. */ \
    X(CrmCommonSvc, "HxCrmCommon.CrmCommonSvc") \
    X(TitleSvc, "HxCrmCommon.TitleSvc") \
    X(RightChecker, "HxPortal.FunctionRight") \
    X(PortalHelp, "HxPortal.Help") \
    X(PopMenuMgr, "HxPortal.PopMenuMgr") \
    X(VisualStyle, "HxPortal.VisualStyle") \
    /* The component's own classes, registered under the project name. */ \
    X(IContact, "Sovrel.IContact") \
    X(IClsCommon, "Sovrel.IClsCommon") \
    X(ContactListWindow, "Sovrel.frmContactList")

namespace sovrel::progid {

#define SOVREL_PROG_ID_CONSTANT(name, text) inline constexpr const char* name = text;
SOVREL_PROG_IDS(SOVREL_PROG_ID_CONSTANT)
#undef SOVREL_PROG_ID_CONSTANT

#define SOVREL_PROG_ID_TEXT(name, text) std::string_view(text),
inline constexpr std::array kAll{SOVREL_PROG_IDS(SOVREL_PROG_ID_TEXT)};
#undef SOVREL_PROG_ID_TEXT

namespace detail {
constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}
constexpr bool AllDistinct() {
    for (std::size_t i = 0; i < kAll.size(); ++i)
        for (std::size_t j = i + 1; j < kAll.size(); ++j)
            if (SameIgnoringCase(kAll[i], kAll[j])) return false;
    return true;
}
}  // namespace detail

// The factory compares identifiers without regard to case: two that differ only in case would
// hand one object's creator to the other.
static_assert(detail::AllDistinct(), "two program identifiers differ only in case");

}  // namespace sovrel::progid

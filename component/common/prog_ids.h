#pragma once
// Program identifiers by which the component creates outside objects and its own classes.
namespace sovrel::progid {

// Host objects
inline constexpr const char* PubUtil = "HxPub.IPub";
inline constexpr const char* StringBuilder = "HxPub.StringBuilder";
inline constexpr const char* ColumnSetSvc = "HxColumnsetSvr.clsColSetsvr";
inline constexpr const char* RowAuthSvc = "HxRowAuthsvr.clsRowAuth";
inline constexpr const char* ColAuthSvc = "HxColAuthsvr.clsColAuth";
inline constexpr const char* ArchiveService = "HxSrvTrans.IClsCommon";
inline constexpr const char* SysStart = "HxPSysStart.ISysStart";
inline constexpr const char* FilterSrv = "TkGeneralFilter.FilterSrv";
inline constexpr const char* MailTool = "HxMail.MailTool";
inline constexpr const char* MailSender = "HxMail.MailSender";
inline constexpr const char* ContactPicker = "TkCRMArcCO.clsContact";
inline constexpr const char* BaseCodeRefer = "BaseCodeLib.IBaseCodeRefer";
inline constexpr const char* RefListClient = "TkRefList.RefListClient";
inline constexpr const char* SmsClient = "HxSMSClient.SMSClient";
inline constexpr const char* Generals = "CrmWorkLib.clsGenerals";
inline constexpr const char* SaveFileDialog = "HxPub.SaveFileDialog";
// The host's desktop controls.
inline constexpr const char* FlexGrid = "TkFlexGrid.TkFlexGridCtrl";
inline constexpr const char* Toolbar = "TkToolBar.TkToolBarCtrl";
inline constexpr const char* KeyHook = "TkKeyHook.TkKeyHookCtrl";
inline constexpr const char* PrintControl = "TkPrint.PrintControl";
inline constexpr const char* RefEdit = "TkRefEdit.TkRefEditCtrl";
inline constexpr const char* RefLookup = "TkRefEdit.TkRefLookup";
inline constexpr const char* Chart = "TkChart.TkChartCtrl";
inline constexpr const char* ColumnSetControl = "HxColumnSetOcx.ColumnSetCtrl";
// The host's global objects, one per user-interface thread.
inline constexpr const char* CrmCommonSvc = "HxCrmCommon.CrmCommonSvc";
inline constexpr const char* TitleSvc = "HxCrmCommon.TitleSvc";
inline constexpr const char* RightChecker = "HxPortal.FunctionRight";
inline constexpr const char* PortalHelp = "HxPortal.Help";
inline constexpr const char* PopMenuMgr = "HxPortal.PopMenuMgr";
inline constexpr const char* VisualStyle = "HxPortal.VisualStyle";

// The component's own classes, registered under the project name.
inline constexpr const char* IContact = "Sovrel.IContact";
inline constexpr const char* IClsCommon = "Sovrel.IClsCommon";
inline constexpr const char* ContactListWindow = "Sovrel.frmContactList";

}  // namespace sovrel::progid

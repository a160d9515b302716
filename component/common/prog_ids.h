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
// The host's global objects, one per user-interface thread.
inline constexpr const char* CrmCommonSvc = "HxCrmCommon.CrmCommonSvc";
inline constexpr const char* TitleSvc = "HxCrmCommon.TitleSvc";
inline constexpr const char* RightChecker = "HxPortal.FunctionRight";

// The component's own classes, registered under the project name.
inline constexpr const char* IContact = "Sovrel.IContact";
inline constexpr const char* IClsCommon = "Sovrel.IClsCommon";
inline constexpr const char* ContactListWindow = "Sovrel.frmContactList";

}  // namespace sovrel::progid

#pragma once
// Registers every host object under its program identifier, as the portal does at start.
namespace host {
void RegisterHostObjects();
// Each folder's own part.
void RegisterSessionObjects();
void RegisterCrmObjects();
void RegisterPubUtil();
void RegisterServices();
void RegisterControls();
void RegisterMessaging();
void RegisterChart();
void RegisterOverview();
void RegisterPickers();  // contact picker and the "Sovrel_Msg" lookup (host/contact_picker.h)  // the contact overview (host/overview.h)  // the chart control (host/chart.h)  // mail tool, mail sender, SMS client (host/messaging.h)  // grid, toolbar, key hook, pop-up menu manager (host/controls.h)
}  // namespace host

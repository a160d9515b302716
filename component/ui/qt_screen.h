#pragma once
// The Qt side of the component's screen hooks (common/screen.h): the hourglass as Qt's wait
// cursor, and "process pending events" as Qt's event processing.
namespace sovrel {

// Installs both hooks for this thread; call once a QApplication exists.
void InstallQtScreenHooks();

}  // namespace sovrel

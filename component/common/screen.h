#pragma once
// The screen's mouse pointer, as the component sets it around long work. The windows' toolkit
// installs the hook that shows it; without one the value is only kept.
#include <functional>

namespace sovrel {

namespace pointer {
constexpr int Default = 0;
constexpr int Hourglass = 11;
}  // namespace pointer

void SetScreenMousePointer(int pointer);
int ScreenMousePointer();
// Returns the hook it replaced.
std::function<void(int)> SetMousePointerHook(std::function<void(int)> hook);

// Lets the window system handle pending events (long fills stay responsive). The windows'
// toolkit installs the hook; without one it does nothing.
void DoEvents();
std::function<void()> SetDoEventsHook(std::function<void()> hook);

}  // namespace sovrel

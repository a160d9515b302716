#include "common/screen.h"

namespace sovrel {

namespace {
thread_local int current = pointer::Default;
thread_local std::function<void(int)> hook;
}  // namespace

void SetScreenMousePointer(int p) {
    current = p;
    if (hook) hook(p);
}

int ScreenMousePointer() { return current; }

std::function<void(int)> SetMousePointerHook(std::function<void(int)> h) {
    std::swap(hook, h);
    return h;
}

namespace {
thread_local std::function<void()> eventsHook;
}

void DoEvents() {
    if (eventsHook) eventsHook();
}

std::function<void()> SetDoEventsHook(std::function<void()> h) {
    std::swap(eventsHook, h);
    return h;
}

}  // namespace sovrel

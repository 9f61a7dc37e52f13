#include "platform/Platform.h"

#include <cassert>

#include "platform/Timers.h"
#include "platform/detail/Desktop.h"
#include "platform/detail/WindowTree.h"

namespace orvalis::platform {

namespace detail {

namespace {
std::unique_ptr<Desktop> installed;
}

Desktop::Desktop(std::unique_ptr<Backend> chosen)
    : backend(std::move(chosen)), uiThread(std::this_thread::get_id()), timers(kTimerLimit) {
    WakeupFd();
}

Desktop::~Desktop() {
    for (auto& [handle, record] : windows)
        if (record->native) backend->DestroyNativeWindow(handle);
}

WindowRecord* Desktop::Find(HWND window) {
    auto found = windows.find(window);
    return found == windows.end() ? nullptr : found->second.get();
}

WindowRecord& Desktop::Get(HWND window) {
    WindowRecord* record = Find(window);
    assert(record && "a window of the platform's own records");
    return *record;
}

Desktop& TheDesktop() {
    assert(installed && "no platform backend installed");
    return *installed;
}

Desktop& UiDesktop() {
    Desktop& desktop = TheDesktop();
    assert(std::this_thread::get_id() == desktop.uiThread && "platform call off the user-interface thread");
    return desktop;
}

}  // namespace detail

void InstallBackend(std::unique_ptr<Backend> backend) {
    assert(!detail::installed && "a platform backend is already installed");
    assert(backend);
    detail::installed = std::make_unique<detail::Desktop>(std::move(backend));
}

void RemoveBackend() { detail::installed.reset(); }

bool IsBackendInstalled() { return detail::installed != nullptr; }

Backend& CurrentBackend() { return *detail::TheDesktop().backend; }

}  // namespace orvalis::platform

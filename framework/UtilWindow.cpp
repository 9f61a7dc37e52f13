#include "framework/UtilWindow.h"

#include "runtime/Exceptions.h"

namespace orvalis {
namespace {

constexpr const char* kUtilWindowClass = "TPUtilWindow";

}  // namespace

platform::HWND AllocateUtilWindow(platform::WindowProcedure& procedure) {
    if (!platform::IsWindowClassRegistered(kUtilWindowClass) && !platform::RegisterWindowClass({kUtilWindowClass, 0}))
        throw EOutOfResources(ResId::WindowClassCreation);
    const platform::HWND window = platform::CreateWindow(
        {kUtilWindowClass, "", platform::WS_POPUP, platform::WS_EX_TOOLWINDOW, {0, 0, 0, 0}, 0, &procedure});
    if (!window) throw EOutOfResources(ResId::OutOfSystemResources);
    return window;
}

void ReleaseUtilWindow(platform::HWND window) {
    platform::SetWindowProcedure(window, nullptr);
    platform::DestroyWindow(window);
}

}  // namespace orvalis

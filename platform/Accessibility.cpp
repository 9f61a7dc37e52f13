#include "platform/Accessibility.h"

#include "platform/MessageQueue.h"
#include "platform/detail/AssistiveTools.h"
#include "platform/detail/Desktop.h"
#include "platform/detail/NativeEvents.h"
#include "platform/detail/WindowTree.h"

namespace orvalis::platform {

namespace detail {

void HandleAccessibleRequest(Desktop& desktop, const AccessibleRequestEvent& event) {
    // As for input: a hidden or disabled window (under a modal dialog) takes no request.
    WindowRecord* record = desktop.Find(event.window);
    if (!record || !record->IsTopLevel() || !record->OwnVisible() || !record->OwnEnabled()) return;
    Send(desktop, event.window, WM_ACCESSIBLEREQUEST, 0, reinterpret_cast<LPARAM>(&event.request));
    // A request may end a modal loop (a button's modal result) without anything to show
    // for it: the loop that waits must look at its state again.
    PostMessage(event.window, WM_NULL, 0, 0);
}

void ShowAccessibleTrees(Desktop& desktop) {
    std::vector<HWND> tops = desktop.topLevels;
    for (HWND top : tops) {
        WindowRecord* record = desktop.Find(top);
        if (record && record->OwnVisible()) ShowAccessibleTree(desktop, top);
    }
}

void ShowAccessibleTree(Desktop& desktop, HWND topLevel) {
    WindowRecord* record = desktop.Find(topLevel);
    if (desktop.backend->DescribesWindows() && record && record->native)
        desktop.backend->SetAccessibleTree(topLevel, DescribeWindow(topLevel));
}

}  // namespace detail

using namespace detail;

AccessibleElement DescribeWindow(HWND topLevel) {
    Desktop& desktop = UiDesktop();
    AccessibleElement root;
    WindowRecord* record = desktop.Find(topLevel);
    if (!record || !record->IsTopLevel()) return root;
    root.key = {topLevel, -1};
    root.role = AccessibleRole::Frame;
    root.name = record->text;
    root.bounds = Rect::FromOriginAndSize({}, ClientSizeOf(*record));
    root.states.showing = record->OwnVisible();
    root.states.enabled = record->OwnEnabled();
    Send(desktop, topLevel, WM_GETOBJECT, 0, reinterpret_cast<LPARAM>(&root));
    return root;
}

const AccessibleElement* FindAccessibleElement(const AccessibleElement& root, AccessibleRole role,
                                               std::string_view name) {
    if (root.role == role && root.name == name) return &root;
    for (const AccessibleElement& child : root.children)
        if (const AccessibleElement* found = FindAccessibleElement(child, role, name)) return found;
    return nullptr;
}

}  // namespace orvalis::platform

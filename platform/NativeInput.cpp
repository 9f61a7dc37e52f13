#include "platform/NativeInput.h"

#include "platform/detail/Desktop.h"
#include "platform/detail/InputEvents.h"
#include "platform/detail/NativeEvents.h"

namespace orvalis::platform::native {

using namespace detail;

namespace {

void PushInput(std::variant<KeyInput, MouseInput> event) {
    Desktop& desktop = UiDesktop();
    desktop.input.push_back({std::move(event), static_cast<std::uint32_t>(desktop.backend->Now())});
}

void PushNative(NativeEvent event) { UiDesktop().native.push_back(std::move(event)); }

}  // namespace

void KeyEvent(int virtualKey, char32_t character, unsigned modifiers, bool down, bool repeat) {
    PushInput(KeyInput{virtualKey, character, modifiers, down, repeat});
}

void MouseButtonEvent(HWND topLevel, Point client, MouseButton button, bool down, bool doubleClick,
                      unsigned modifiers) {
    PushInput(MouseInput{down ? MouseInput::Kind::Down : MouseInput::Kind::Up, topLevel, client, button, doubleClick,
                         modifiers});
}

void MouseMoveEvent(HWND topLevel, Point client, unsigned modifiers) {
    PushInput(MouseInput{MouseInput::Kind::Move, topLevel, client, MouseButton::Left, false, modifiers});
}

void CloseRequested(HWND topLevel) { PushNative(CloseEvent{topLevel}); }
void MenuItemChosen(HWND topLevel, std::uint32_t id) { PushNative(MenuEvent{topLevel, id}); }
void WindowActivated(HWND topLevel) { PushNative(ActivatedEvent{topLevel}); }
void WindowResized(HWND topLevel, Size clientSize) { PushNative(ResizedEvent{topLevel, clientSize}); }
void WindowMoved(HWND topLevel, Point outerPosition) { PushNative(MovedEvent{topLevel, outerPosition}); }
void WindowScaleChanged(HWND topLevel, int scale) { PushNative(ScaleEvent{topLevel, scale}); }
void ThemeChanged() { PushNative(ThemeChangedEvent{}); }
void AccessibleRequested(HWND topLevel, AccessibleRequest request) {
    PushNative(AccessibleRequestEvent{topLevel, std::move(request)});
}
void MessageBoxAnswered(int dialog, int button) { PushNative(BoxAnsweredEvent{dialog, button}); }
void FileDialogFilterChanged(int dialog, int filterIndex) { PushNative(FilterChangedEvent{dialog, filterIndex}); }

void FileDialogFolderChanged(int dialog, std::string folder) {
    PushNative(FolderChangedEvent{dialog, std::move(folder)});
}

void FileDialogSelectionChanged(int dialog, std::string path) {
    PushNative(SelectionChangedEvent{dialog, std::move(path)});
}

void FileDialogConfirmed(int dialog, std::string folder, std::vector<std::string> names, bool readOnly) {
    PushNative(ConfirmedEvent{dialog, std::move(folder), std::move(names), readOnly});
}

void FileDialogCancelled(int dialog) { PushNative(CancelledEvent{dialog}); }

}  // namespace orvalis::platform::native

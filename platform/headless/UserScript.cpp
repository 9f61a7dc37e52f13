#include "platform/headless/UserScript.h"

#include <poll.h>

#include <memory>
#include <string>
#include <utility>

#include "platform/Focus.h"
#include "platform/Menu.h"
#include "platform/OpenFileDialog.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/headless/Inspection.h"
#include "platform/headless/detail/Report.h"

namespace orvalis::platform::headless {

namespace {

// The code points of a UTF-8 text; a malformed byte stands for itself.
std::vector<char32_t> CodePoints(std::string_view text) {
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        int length = byte < 0x80 ? 1 : (byte >> 5) == 0x6 ? 2 : (byte >> 4) == 0xE ? 3 : (byte >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) {
            points.push_back(byte);
            ++i;
            continue;
        }
        char32_t point = length == 1 ? byte : byte & (0x7F >> length);
        for (int k = 1; k < length; ++k) point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        points.push_back(point);
        i += length;
    }
    return points;
}

// The character a key gives on its own (with Shift for letters).
char32_t CharacterOfKey(int virtualKey, unsigned modifiers) {
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return static_cast<char32_t>((modifiers & ModShift) ? virtualKey : virtualKey + ('a' - 'A'));
    if (virtualKey >= '0' && virtualKey <= '9') return static_cast<char32_t>(virtualKey);
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD0 + 9)
        return static_cast<char32_t>('0' + virtualKey - VK_NUMPAD0);
    switch (virtualKey) {
        case VK_SPACE: return U' ';
        case VK_TAB: return U'\t';
        case VK_RETURN: return U'\r';
        case VK_ESCAPE: return 0x1B;
        case VK_BACK: return U'\b';
        default: return 0;
    }
}

// The key that types a character, and whether it takes Shift.
std::pair<int, bool> KeyOfCharacter(char32_t c) {
    if (c >= 'a' && c <= 'z') return {static_cast<int>(c - 'a' + 'A'), false};
    if (c >= 'A' && c <= 'Z') return {static_cast<int>(c), true};
    if (c >= '0' && c <= '9') return {static_cast<int>(c), false};
    switch (c) {
        case U' ': return {VK_SPACE, false};
        case U'\t': return {VK_TAB, false};
        case U'\r':
        case U'\n': return {VK_RETURN, false};
        case U'\b': return {VK_BACK, false};
        case 0x1B: return {VK_ESCAPE, false};
        default: return {VK_PACKET, false};
    }
}

constexpr std::pair<unsigned, int> kModifierKeys[] = {{ModCtrl, VK_CONTROL}, {ModShift, VK_SHIFT}, {ModAlt, VK_MENU}};

std::string DescribeKey(int virtualKey, unsigned modifiers) {
    std::string text;
    if (modifiers & ModCtrl) text += "Ctrl+";
    if (modifiers & ModShift) text += "Shift+";
    if (modifiers & ModAlt) text += "Alt+";
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        return text + static_cast<char>(virtualKey);
    return text + Report("key %d", {virtualKey});
}

// The window for a mouse or window action: it must exist and show.
HWND VisibleWindow(HeadlessBackend& backend, const WindowTarget& target) {
    HWND window = target.Resolve();
    if (!window) backend.Fail(Report("there is no %s", {std::string_view(target.Describe())}));
    if (!IsWindowVisible(window)) backend.Fail(Report("the %s is hidden", {std::string_view(target.Describe())}));
    return window;
}

HWND WindowAtPoint(HeadlessBackend& backend, const WindowTarget& target, Point client) {
    HWND window = VisibleWindow(backend, target);
    Rect area = GetClientRect(window);
    if (!area.Contains(client))
        backend.Fail(Report("the point (%d, %d) lies outside the client area (%d x %d) of the %s",
                            {client.x, client.y, area.Width(), area.Height(), std::string_view(target.Describe())}));
    return window;
}

// The user goes to the path's folder (a name alone stays in the dialog's) and selects the
// path there, as the dialog reports both; gives (folder, name).
std::pair<std::string, std::string> SelectPath(ShownFileDialog& shown, const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? shown.state.folder
                         : slash == 0               ? std::string("/")
                                                    : path.substr(0, slash);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (folder != shown.state.folder) {
        shown.state.folder = folder;
        native::FileDialogFolderChanged(shown.dialog, folder);
    }
    shown.state.path = folder == "/" ? "/" + name : folder + "/" + name;
    native::FileDialogSelectionChanged(shown.dialog, shown.state.path);
    return {folder, name};
}

}  // namespace

WindowTarget WindowTarget::Active() { return {}; }

WindowTarget WindowTarget::Captioned(std::string caption) {
    WindowTarget target;
    target.kind_ = Kind::Caption;
    target.caption_ = std::move(caption);
    return target;
}

WindowTarget WindowTarget::Handle(HWND window) {
    WindowTarget target;
    target.kind_ = Kind::Handle;
    target.window_ = window;
    return target;
}

HWND WindowTarget::Resolve() const {
    switch (kind_) {
        case Kind::Active: return GetActiveWindow();
        case Kind::Caption: return FindTopLevelWindow(caption_);
        case Kind::Handle: return IsWindow(window_) ? window_ : 0;
    }
    return 0;
}

std::string WindowTarget::Describe() const {
    switch (kind_) {
        case Kind::Active: return "active window";
        case Kind::Caption: return Report("window captioned \"%s\"", {std::string_view(caption_)});
        case Kind::Handle: return Report("window %X", {window_});
    }
    return {};
}

UserScript& UserScript::Add(std::string description, Where where, Perform perform) {
    actions_.push_back({std::move(description), where, std::move(perform)});
    return *this;
}

UserScript& UserScript::KeyDown(int virtualKey, char32_t character, unsigned modifiers, Where where) {
    return Add("key down " + DescribeKey(virtualKey, modifiers), where, [=](HeadlessBackend&, auto) {
        native::KeyEvent(virtualKey, character, modifiers, true);
        return true;
    });
}

UserScript& UserScript::KeyUp(int virtualKey, unsigned modifiers, Where where) {
    return Add("key up " + DescribeKey(virtualKey, modifiers), where, [=](HeadlessBackend&, auto) {
        native::KeyEvent(virtualKey, 0, modifiers, false);
        return true;
    });
}

UserScript& UserScript::Press(int virtualKey, unsigned modifiers, Where where) {
    return Add("press " + DescribeKey(virtualKey, modifiers), where, [=](HeadlessBackend&, auto) {
        unsigned held = 0;
        for (auto [modifier, key] : kModifierKeys) {
            if (!(modifiers & modifier)) continue;
            held |= modifier;
            native::KeyEvent(key, 0, held, true);
        }
        native::KeyEvent(virtualKey, CharacterOfKey(virtualKey, modifiers), modifiers, true);
        native::KeyEvent(virtualKey, 0, modifiers, false);
        for (auto it = std::rbegin(kModifierKeys); it != std::rend(kModifierKeys); ++it) {
            if (!(modifiers & it->first)) continue;
            held &= ~it->first;
            native::KeyEvent(it->second, 0, held, false);
        }
        return true;
    });
}

UserScript& UserScript::Type(std::string_view utf8Text, Where where) {
    std::string text(utf8Text);
    return Add(Report("type \"%s\"", {std::string_view(text)}), where, [text](HeadlessBackend&, auto) {
        for (char32_t c : CodePoints(text)) {
            auto [key, shifted] = KeyOfCharacter(c);
            unsigned modifiers = shifted ? ModShift : 0u;
            if (shifted) native::KeyEvent(VK_SHIFT, 0, modifiers, true);
            native::KeyEvent(key, c, modifiers, true);
            native::KeyEvent(key, 0, modifiers, false);
            if (shifted) native::KeyEvent(VK_SHIFT, 0, 0, false);
        }
        return true;
    });
}

UserScript& UserScript::Click(WindowTarget window, Point client, native::MouseButton button, Where where) {
    return Add(Report("click at (%d, %d) in the %s", {client.x, client.y, std::string_view(window.Describe())}), where,
               [=](HeadlessBackend& backend, auto) {
                   HWND top = WindowAtPoint(backend, window, client);
                   native::MouseMoveEvent(top, client, 0);
                   native::MouseButtonEvent(top, client, button, true, false, 0);
                   native::MouseButtonEvent(top, client, button, false, false, 0);
                   return true;
               });
}

UserScript& UserScript::DoubleClick(WindowTarget window, Point client, Where where) {
    return Add(Report("double-click at (%d, %d) in the %s", {client.x, client.y, std::string_view(window.Describe())}),
               where, [=](HeadlessBackend& backend, auto) {
                   HWND top = WindowAtPoint(backend, window, client);
                   auto left = native::MouseButton::Left;
                   native::MouseMoveEvent(top, client, 0);
                   native::MouseButtonEvent(top, client, left, true, false, 0);
                   native::MouseButtonEvent(top, client, left, false, false, 0);
                   native::MouseButtonEvent(top, client, left, true, true, 0);
                   native::MouseButtonEvent(top, client, left, false, false, 0);
                   return true;
               });
}

UserScript& UserScript::MoveMouse(WindowTarget window, Point client, Where where) {
    return Add(
        Report("move the mouse to (%d, %d) in the %s", {client.x, client.y, std::string_view(window.Describe())}),
        where, [=](HeadlessBackend& backend, auto) {
            native::MouseMoveEvent(WindowAtPoint(backend, window, client), client, 0);
            return true;
        });
}

UserScript& UserScript::CloseWindow(WindowTarget window, Where where) {
    return Add("close the " + window.Describe(), where, [=](HeadlessBackend& backend, auto) {
        native::CloseRequested(VisibleWindow(backend, window));
        return true;
    });
}

UserScript& UserScript::Activate(WindowTarget window, Where where) {
    return Add("bring forward the " + window.Describe(), where, [=](HeadlessBackend& backend, auto) {
        native::WindowActivated(VisibleWindow(backend, window));
        return true;
    });
}

UserScript& UserScript::ChooseMenu(WindowTarget window, std::vector<std::string> captions, Where where) {
    std::string path;
    for (const std::string& caption : captions) path += (path.empty() ? "" : " > ") + caption;
    return Add(
        Report("choose the menu item %s of the %s", {std::string_view(path), std::string_view(window.Describe())}),
        where, [=](HeadlessBackend& backend, auto) {
            HWND top = VisibleWindow(backend, window);
            const MenuBar* menu = GetMenu(top);
            if (!menu) backend.Fail(Report("the %s has no menu bar", {std::string_view(window.Describe())}));
            const MenuItem* item = FindMenuItem(*menu, captions);
            if (!item)
                backend.Fail(Report("the menu of the %s has no item %s",
                                    {std::string_view(window.Describe()), std::string_view(path)}));
            if (!item->items.empty())
                backend.Fail(Report("the menu item %s opens a submenu", {std::string_view(path)}));
            native::MenuItemChosen(top, item->id);
            return true;
        });
}

UserScript& UserScript::UseAssistiveTool(WindowTarget window, AccessibleRole role, std::string name,
                                         AccessibleRequest request, Where where) {
    return Add(Report("ask through an assistive tool for the element %s of the %s",
                      {std::string_view(name), std::string_view(window.Describe())}),
               where, [=](HeadlessBackend& backend, auto) mutable {
                   HWND top = VisibleWindow(backend, window);
                   const AccessibleElement root = DescribeWindow(top);
                   const AccessibleElement* element = FindAccessibleElement(root, role, name);
                   if (!element)
                       backend.Fail(Report("the %s describes no element %s with that role",
                                           {std::string_view(window.Describe()), std::string_view(name)}));
                   request.key = element->key;
                   native::AccessibleRequested(top, request);
                   return true;
               });
}

UserScript& UserScript::Advance(std::uint64_t milliseconds, Where where) {
    auto target = std::make_shared<std::optional<std::uint64_t>>();
    return Add(Report("advance the clock by %u ms", {milliseconds}), where,
               [=](HeadlessBackend& backend, std::optional<std::uint64_t> deadline) {
                   if (!*target) *target = backend.Clock() + milliseconds;
                   if (deadline && *deadline <= **target) {
                       backend.SetClock(std::max(backend.Clock(), *deadline));
                       return false;
                   }
                   backend.SetClock(**target);
                   return true;
               });
}

UserScript& UserScript::ChooseFileFilter(int filterIndex, Where where) {
    return Add(Report("choose filter entry %d in the file dialog", {filterIndex}), where,
               [=](HeadlessBackend& backend, auto) {
                   ShownFileDialog& shown = backend.TopFileDialog();
                   if (filterIndex < 1 || filterIndex > static_cast<int>(shown.request.filters.size()))
                       backend.Fail(Report("the file dialog has no filter entry %d", {filterIndex}));
                   shown.state.filterIndex = filterIndex;
                   native::FileDialogFilterChanged(shown.dialog, filterIndex);
                   return true;
               });
}

UserScript& UserScript::SelectInFileDialog(std::string path, Where where) {
    return Add(Report("select %s in the file dialog", {std::string_view(path)}), where,
               [=](HeadlessBackend& backend, auto) {
                   SelectPath(backend.TopFileDialog(), path);
                   return true;
               });
}

UserScript& UserScript::AnswerFileDialog(std::string path, bool readOnly, Where where) {
    return Add(Report("answer the file dialog with %s", {std::string_view(path)}), where,
               [=](HeadlessBackend& backend, auto) {
                   ShownFileDialog& shown = backend.TopFileDialog();
                   const auto [folder, name] = SelectPath(shown, path);
                   native::FileDialogConfirmed(shown.dialog, folder, {name}, readOnly);
                   return true;
               });
}

UserScript& UserScript::AnswerFileDialogInFolder(std::string folder, std::vector<std::string> names, Where where) {
    return Add(Report("answer the file dialog with %u names in %s", {names.size(), std::string_view(folder)}), where,
               [=](HeadlessBackend& backend, auto) {
                   ShownFileDialog& shown = backend.TopFileDialog();
                   if (names.empty()) backend.Fail("an answer of the file dialog names at least one file");
                   if (names.size() > 1 && !(shown.request.flags & OFN_ALLOWMULTISELECT))
                       backend.Fail("the file dialog does not allow choosing several files");
                   if (folder != shown.state.folder) {
                       shown.state.folder = folder;
                       native::FileDialogFolderChanged(shown.dialog, folder);
                   }
                   shown.state.path = folder + "/" + names.front();
                   native::FileDialogSelectionChanged(shown.dialog, shown.state.path);
                   native::FileDialogConfirmed(shown.dialog, folder, names, false);
                   return true;
               });
}

UserScript& UserScript::CancelFileDialog(Where where) {
    return Add("cancel the file dialog", where, [](HeadlessBackend& backend, auto) {
        native::FileDialogCancelled(backend.TopFileDialog().dialog);
        return true;
    });
}

UserScript& UserScript::AnswerMessageBox(int button, Where where) {
    return Add(Report("answer the message box with button %d", {button}), where, [=](HeadlessBackend& backend, auto) {
        backend.AnswerTopMessageBox(button);
        return true;
    });
}

UserScript& UserScript::Check(std::function<void()> check, Where where) {
    return Add("check", where, [check = std::move(check)](HeadlessBackend&, auto) {
        check();
        return true;
    });
}

UserScript& UserScript::AwaitPost(std::chrono::milliseconds timeout, Where where) {
    return Add(Report("wait for a post from another thread (%u ms at most)", {timeout.count()}), where,
               [=](HeadlessBackend& backend, auto) {
                   pollfd wake{backend.wakeFd_, POLLIN, 0};
                   if (poll(&wake, 1, static_cast<int>(timeout.count())) <= 0)
                       backend.Fail(Report("no message was posted within %u ms", {timeout.count()}));
                   return true;
               });
}

}  // namespace orvalis::platform::headless

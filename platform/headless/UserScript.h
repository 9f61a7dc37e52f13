#pragma once
// The scripted user of the headless backend: a list of actions that the backend
// performs, one each time the program would wait (its queue empty, nothing to paint,
// no timer due). A test writes the script, runs the program's real loop, and reads the
// state in Check actions or afterwards. An action that cannot apply, or a program that
// waits when the script is over, fails at once with a message on stderr that says where
// the program was waiting, and aborts (a test never hangs).

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Messages.h"
#include "platform/NativeInput.h"

namespace orvalis::platform::headless {

class HeadlessBackend;

// The top-level window an action aims at, found when the action is performed.
class WindowTarget {
public:
    static WindowTarget Active();
    static WindowTarget Captioned(std::string caption);
    static WindowTarget Handle(HWND window);

    HWND Resolve() const;  // 0 when there is no such window
    std::string Describe() const;

private:
    enum class Kind { Active, Caption, Handle } kind_ = Kind::Active;
    std::string caption_;
    HWND window_ = 0;
};

// Where a test wrote an action, for the messages of a script that cannot go on: taken,
// like std::source_location::current(), as a default argument at the test's call. The
// compilers' builtins give it where the standard library does not yet (clang 14).
class ScriptLocation {
public:
    static constexpr ScriptLocation current(const char* file = __builtin_FILE(),
                                            std::uint_least32_t line = __builtin_LINE()) {
        return ScriptLocation(file, line);
    }
    constexpr const char* file_name() const { return file_; }
    constexpr std::uint_least32_t line() const { return line_; }

private:
    constexpr ScriptLocation(const char* file, std::uint_least32_t line) : file_(file), line_(line) {}
    const char* file_;
    std::uint_least32_t line_;
};

class UserScript {
public:
    using Where = ScriptLocation;

    // Keys go where the keyboard goes: the focus window, else the active window.
    UserScript& KeyDown(int virtualKey, char32_t character = 0, unsigned modifiers = 0, Where where = Where::current());
    UserScript& KeyUp(int virtualKey, unsigned modifiers = 0, Where where = Where::current());
    // The modifier keys down (Ctrl, Shift, Alt), the key down and up with the character
    // it gives (letters, digits, space, Tab, Enter, Escape, Backspace), the modifiers up.
    UserScript& Press(int virtualKey, unsigned modifiers = 0, Where where = Where::current());
    // Each character as key down (with its character) and key up; capitals with Shift.
    UserScript& Type(std::string_view utf8Text, Where where = Where::current());

    // Mouse actions at a point of a visible top-level window's client area.
    UserScript& Click(WindowTarget window, Point client, native::MouseButton button = native::MouseButton::Left,
                      Where where = Where::current());
    UserScript& DoubleClick(WindowTarget window, Point client, Where where = Where::current());
    UserScript& MoveMouse(WindowTarget window, Point client, Where where = Where::current());
    // The close box; bringing a window forward by hand.
    UserScript& CloseWindow(WindowTarget window, Where where = Where::current());
    UserScript& Activate(WindowTarget window, Where where = Where::current());
    // A menu item by its captions from the bar ("&" ignored): {"Fichier", "Ouvrir"}.
    UserScript& ChooseMenu(WindowTarget window, std::vector<std::string> captions, Where where = Where::current());
    // Through an assistive tool: a request on the first element (depth first) of a visible
    // window's description with that role and name; the request's key is set to it.
    UserScript& UseAssistiveTool(WindowTarget window, AccessibleRole role, std::string name, AccessibleRequest request,
                                 Where where = Where::current());

    // Moves the virtual clock on; the timers that fall due on the way tick one by one,
    // each dispatched at its own time before the clock goes past the next.
    UserScript& Advance(std::uint64_t milliseconds, Where where = Where::current());

    // The open file dialog (the innermost one): choose a filter entry (1-based), select a
    // path without confirming it (its folder entered first when it is another), confirm
    // a path (selected first), or several names in one folder, or cancel.
    UserScript& ChooseFileFilter(int filterIndex, Where where = Where::current());
    UserScript& SelectInFileDialog(std::string path, Where where = Where::current());
    UserScript& AnswerFileDialog(std::string path, bool readOnly = false, Where where = Where::current());
    UserScript& AnswerFileDialogInFolder(std::string folder, std::vector<std::string> names,
                                         Where where = Where::current());
    UserScript& CancelFileDialog(Where where = Where::current());
    // The message box on top, with one of its buttons.
    UserScript& AnswerMessageBox(int button, Where where = Where::current());

    // Runs the callback at that point (assertions on the state).
    UserScript& Check(std::function<void()> check, Where where = Where::current());
    // Waits for real, at most `timeout`, for another thread to post a message.
    UserScript& AwaitPost(std::chrono::milliseconds timeout, Where where = Where::current());

    std::size_t Remaining() const { return actions_.size() - next_; }

private:
    friend class HeadlessBackend;
    // Performs (part of) the action; true when it is complete. `deadline`: the next
    // timer expiry, which the clock must not pass.
    using Perform = std::function<bool(HeadlessBackend& backend, std::optional<std::uint64_t> deadline)>;
    struct Action {
        std::string description;
        Where where;
        Perform perform;
    };
    UserScript& Add(std::string description, Where where, Perform perform);

    std::vector<Action> actions_;
    std::size_t next_ = 0;
};

}  // namespace orvalis::platform::headless

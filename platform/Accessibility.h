#pragma once
// How assistive tools (screen readers, voice control) see and drive the controls that the
// framework draws inside a top-level window. The platform only sees windows; the framework
// describes what is in them, as a tree of elements rooted at the top-level window:
//
//   - describing: the layer sends the top-level window WM_GETOBJECT with an element to
//     fill (lParam: AccessibleElement*), prefilled with the window's caption, its client
//     area and its showing and enabled states; the window fills in its role and its
//     children. A backend that shows windows to assistive tools gets the description of
//     every shown window each time the program is about to wait (Backend::SetAccessibleTree),
//     so that it answers their questions at once and announces what changed.
//   - driving: a backend reports an assistive tool's request with
//     native::AccessibleRequested; the layer sends it, on the user-interface thread and
//     outside the backend, to the top-level window as WM_ACCESSIBLEREQUEST (lParam: const
//     AccessibleRequest*), unless that window is hidden or disabled (its input would be
//     dropped too). The window routes it to the element named by its key.
//
// User-interface thread only.

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Messages.h"

namespace orvalis::platform {

enum : std::uint32_t {
    WM_GETOBJECT = 0x003D,
    // This platform's own, beside it: what an assistive tool asks of an element.
    WM_ACCESSIBLEREQUEST = 0x003E,
};

// What an element is to the user.
enum class AccessibleRole : std::uint8_t {
    Frame,        // a top-level window
    Dialog,       // a top-level window that asks something of the user
    Alert,        // a message dialog
    Panel,        // a group of controls (a group box)
    Label,        // a text that names something
    Entry,        // a box of text the user types into
    SpinButton,   // a number stepped between bounds
    RadioButton,  // one choice among the radio buttons of its panel
    PushButton,   // a button that does something when pressed
    Image,        // a picture
};

// Names an element within its window: the object it describes (a control, or the window
// itself) and, for a part of that object (an item of a radio group), the part's index.
struct AccessibleKey {
    std::uintptr_t object = 0;
    int part = -1;  // -1: the object itself
    friend auto operator<=>(const AccessibleKey&, const AccessibleKey&) = default;
};

struct AccessibleStates {
    bool showing = false;    // visible on the screen, with every ancestor
    bool enabled = false;    // takes the user's input
    bool focusable = false;  // can take the keyboard focus
    bool focused = false;    // has it
    bool checked = false;    // a chosen radio button
    bool isDefault = false;  // the button that Enter presses while no other button has the focus
    bool editable = false;   // text the user may change
    bool modal = false;      // a window that keeps the input from the others while it shows
    friend bool operator==(const AccessibleStates&, const AccessibleStates&) = default;
};

// A number between bounds (a spin button's).
struct AccessibleValue {
    int minimum = 0;
    int maximum = 0;
    int current = 0;
    friend bool operator==(const AccessibleValue&, const AccessibleValue&) = default;
};

struct AccessibleElement {
    AccessibleKey key;
    AccessibleRole role = AccessibleRole::Panel;
    std::string name;         // UTF-8, accelerator marks removed
    std::string description;  // the text a dialog says, for a message dialog
    AccessibleStates states;
    Rect bounds;  // in the top-level window's client area
    // The text of an entry or a label, and the caret and the selection within it, in
    // characters (the selection from selectionStart to selectionEnd, empty when equal).
    bool hasText = false;
    std::string text;
    int caret = 0;
    int selectionStart = 0;
    int selectionEnd = 0;
    // Where each character of the text shows, in the top-level window's client area (a
    // magnifier follows the caret with them, a screen reader reviews the screen).
    std::vector<Rect> characters;
    bool hasValue = false;
    AccessibleValue value;
    // The element whose text names this one (a label), when there is one.
    bool labelled = false;
    AccessibleKey labelledBy;
    // The one action the element offers ("click"), empty when none.
    std::string action;
    std::vector<AccessibleElement> children;
};

struct AccessibleRequest {
    enum class Kind : std::uint8_t {
        DoAction,  // the element's action, as a click does it
        Focus,     // give it the keyboard focus
        SetText,   // replace an entry's text
        SetValue,  // set a spin button's value
        Select,    // select an entry's characters from `start` to `end`, the caret at `end`
    };
    AccessibleKey key;
    Kind kind = Kind::DoAction;
    std::string text;
    int value = 0;
    int start = 0;
    int end = 0;
};

// The description of a top-level window and what is inside it.
AccessibleElement DescribeWindow(HWND topLevel);
// The first element of `root`'s tree (depth first, the root included) with that role and
// name, or null.
const AccessibleElement* FindAccessibleElement(const AccessibleElement& root, AccessibleRole role,
                                               std::string_view name);

}  // namespace orvalis::platform

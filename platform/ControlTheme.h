#pragma once
// The desktop's look for the controls that the framework draws itself. A backend that
// follows the desktop's theme paints each part of a control as the desktop's own
// controls look, gives the theme's system colours and draws the theme's dialog icons; a
// backend that has no theme (the headless one) provides none, and the framework keeps
// its own plain drawing. Only the painting follows the theme: every part is drawn inside
// the rectangle it is given, so positions and sizes stay the framework's.

#include <cairo.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/Geometry.h"

namespace orvalis::platform {

enum class ControlPart : std::uint8_t {
    Button,      // a push button's face and frame, with the focus mark when focused
    EditBox,     // the face and frame of a box that holds text
    SpinButton,  // one half of an up-down control
    ArrowUp,     // the arrows of an up-down control's halves
    ArrowDown,
    ArrowLeft,
    ArrowRight,
    GroupFrame,  // the frame around a group of controls
    RadioMark,   // a radio button's circle, with its mark when checked
    FocusRect,   // the mark around the item of a control that has the keyboard
};

struct ControlState {
    bool disabled = false;
    bool pressed = false;
    bool checked = false;
    bool focused = false;
    bool isDefault = false;  // the button that the Enter key presses
};

// The system colours that a theme gives, by the index of the forms' colour names
// (clWindow is 5, clBtnFace 15, ...). A form's background is its face colour.
enum class SystemColour : std::uint8_t {
    Window = 5,
    WindowText = 8,
    Highlight = 13,
    HighlightText = 14,
    ButtonFace = 15,
    ButtonShadow = 16,
    GrayText = 17,
    ButtonText = 18,
};

struct ThemeColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

class ControlTheme {
public:
    virtual ~ControlTheme() = default;
    // Paints `part` in `rect` (user space of `context`, whose device scale the drawing
    // follows, so that it is as sharp as the surface).
    virtual void DrawPart(cairo_t* context, const Rect& rect, ControlPart part, ControlState state) const = 0;
    // The theme's colour for that system colour index; none for an index it does not give.
    virtual std::optional<ThemeColour> Colour(int systemIndex) const = 0;
    // Draws the named icon of the desktop's icon theme (dialog-error, ...) at the top left
    // of `context`, `size` × `size` units of `scale` pixels each; false when the theme
    // has no such icon.
    virtual bool DrawIcon(cairo_t* context, std::string_view name, int size, int scale) const = 0;
};

// The installed backend's theme, or none (no backend installed, or a backend without a
// theme).
const ControlTheme* DesktopTheme();

}  // namespace orvalis::platform

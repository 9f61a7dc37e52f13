#pragma once
// The four icons of the message dialog, 32 × 32 units on the dialog's face colour, made
// at the screen's density (32 pixels by its device scale on each side, so that they are
// as sharp as the text beside them). Where the platform follows the desktop's theme they
// are the icon theme's dialog-error, dialog-warning, dialog-information and
// dialog-question; elsewhere the framework draws them: a red stop sign with a white
// cross (errors), a yellow triangle with a black "!" (warnings), a blue disc with a
// white "i" (information) and a blue disc with a white "?" (questions).

#include <cstdint>

#include "graphics/Bitmap.h"

namespace orvalis {

enum class TDialogIcon : std::uint8_t { Stop, Exclamation, Information, Question };

inline constexpr std::int32_t kDialogIconSize = 32;

// Makes `bitmap` the icon, 32 × 32 units.
void PaintDialogIcon(TBitmap& bitmap, TDialogIcon icon);

}  // namespace orvalis

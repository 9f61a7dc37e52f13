#pragma once
// The four icons of the message dialog, drawn by the framework at 32 × 32 on the
// dialog's face colour: a red stop sign with a white cross (errors), a yellow triangle
// with a black "!" (warnings), a blue disc with a white "i" (information) and a blue
// disc with a white "?" (questions).

#include <cstdint>

#include "graphics/Bitmap.h"

namespace orvalis {

enum class TDialogIcon : std::uint8_t { Stop, Exclamation, Information, Question };

inline constexpr std::int32_t kDialogIconSize = 32;

// Makes `bitmap` the icon, 32 × 32.
void PaintDialogIcon(TBitmap& bitmap, TDialogIcon icon);

}  // namespace orvalis

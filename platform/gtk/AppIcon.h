#pragma once
// The application icon: an icon group in the .ico layout whose images are PNG files,
// shown on every window.

#include <cstdint>
#include <span>
#include <vector>

namespace orvalis::platform::gtk {

// The PNG images of an icon group, in the group's order; entries that lie outside the
// bytes or hold no PNG are passed over.
std::vector<std::span<const std::uint8_t>> IconGroupImages(std::span<const std::uint8_t> group);
// Makes the group's images the default icon of every window; false when none decodes.
bool SetDefaultWindowIcon(std::span<const std::uint8_t> group);

}  // namespace orvalis::platform::gtk

#pragma once
// Texts handed to GTK must be valid UTF-8; the platform's texts nearly always are, and a
// stray byte becomes a replacement character rather than a refused title or label.

#include <string>
#include <string_view>

namespace orvalis::platform::gtk {

std::string ValidUtf8(std::string_view text);

}  // namespace orvalis::platform::gtk

#pragma once
// The clipboard, for plain text (UTF-8).

#include <optional>
#include <string>
#include <string_view>

namespace orvalis::platform {

// False when the clipboard cannot be had.
bool SetClipboardText(std::string_view text);
// Nothing when the clipboard holds no text or cannot be had.
std::optional<std::string> GetClipboardText();

}  // namespace orvalis::platform

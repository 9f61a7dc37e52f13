#include "platform/Clipboard.h"

#include "platform/detail/Desktop.h"

namespace orvalis::platform {

bool SetClipboardText(std::string_view text) { return detail::UiDesktop().backend->SetClipboardText(text); }

std::optional<std::string> GetClipboardText() { return detail::UiDesktop().backend->GetClipboardText(); }

}  // namespace orvalis::platform

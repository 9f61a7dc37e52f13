#include "platform/gtk/ValidUtf8.h"

#include "runtime/TextConversions.h"

namespace orvalis::platform::gtk {

std::string ValidUtf8(std::string_view text) { return orvalis::ValidUtf8(text).ToStdString(); }

}  // namespace orvalis::platform::gtk

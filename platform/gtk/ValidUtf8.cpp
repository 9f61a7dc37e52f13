#include "platform/gtk/ValidUtf8.h"

#include <glib.h>

namespace orvalis::platform::gtk {

std::string ValidUtf8(std::string_view text) {
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    std::string result(valid);
    g_free(valid);
    return result;
}

}  // namespace orvalis::platform::gtk

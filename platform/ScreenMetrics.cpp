#include "platform/ScreenMetrics.h"

#include "platform/detail/Desktop.h"

namespace orvalis::platform {

ScreenMetrics GetScreenMetrics() { return detail::UiDesktop().backend->Screen(); }

}  // namespace orvalis::platform

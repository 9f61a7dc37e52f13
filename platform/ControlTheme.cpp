#include "platform/ControlTheme.h"

#include "platform/Platform.h"

namespace orvalis::platform {

const ControlTheme* DesktopTheme() { return IsBackendInstalled() ? CurrentBackend().Theme() : nullptr; }

}  // namespace orvalis::platform

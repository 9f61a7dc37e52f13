#include "platform/raster/Screen.h"

#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"

namespace orvalis::platform::raster {

int ScreenBitsPerPixel() {
    if (!IsBackendInstalled()) return 32;
    const ScreenMetrics screen = GetScreenMetrics();
    return screen.bitsPerPixel * screen.planes;
}

int ScreenPaletteSize() { return ScreenBitsPerPixel() <= 8 ? 256 : 0; }

}  // namespace orvalis::platform::raster

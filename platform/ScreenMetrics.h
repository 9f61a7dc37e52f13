#pragma once
// The screen the windows are shown on.

namespace orvalis::platform {

struct ScreenMetrics {
    int width = 1280;
    int height = 1024;
    int bitsPerPixel = 32;  // 8 makes the bitmap and JPEG code take their palette paths
    int planes = 1;
    int pixelsPerInch = 96;
    int deviceScale = 1;  // device pixels per unit: 2 on a high-density screen
};

ScreenMetrics GetScreenMetrics();

}  // namespace orvalis::platform

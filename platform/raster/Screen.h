#pragma once
// What the raster services need to know of the screen: the layout of device images.

namespace orvalis::platform::raster {

// Bits per pixel times planes of the screen: the backend's setting (32 by default), or
// 32 when no backend is installed (images made before the program shows anything).
int ScreenBitsPerPixel();
// Entries of the screen's palette: 256 on a screen of 8 bits per pixel or fewer, else 0.
int ScreenPaletteSize();

}  // namespace orvalis::platform::raster

#pragma once
// What the JPEG image tests share: JPEG files loaded into images, pixels of decoded
// bitmaps, and the start-up of the JPEG image around each test.

#include <cstdint>
#include <vector>

#include "JpegFiles.h"
#include "codecs/JPEGImage.h"
#include "graphics/Bitmap.h"

namespace orvalis::test {

using Bytes = std::vector<std::uint8_t>;

void LoadBytes(TJPEGImage& image, const Bytes& bytes);

// Red, green, blue of a pixel of a pl24Bit or pl8Bit bitmap (through its palette).
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
Rgb PixelOf(TBitmap& bitmap, int x, int y);
Rgb SampleOf(const Samples& samples, int x, int y);

// The start-up of the JPEG image for the life of a test, with DefaultJPEGSettings put
// back afterwards.
class JpegImageStartUp {
public:
    JpegImageStartUp() : saved_(DefaultJPEGSettings) { StartUpJPEGImage(); }
    ~JpegImageStartUp() {
        ShutDownJPEGImage();
        DefaultJPEGSettings = saved_;
    }
    JpegImageStartUp(const JpegImageStartUp&) = delete;
    JpegImageStartUp& operator=(const JpegImageStartUp&) = delete;

private:
    TJPEGDefaultSettings saved_;
};

}  // namespace orvalis::test

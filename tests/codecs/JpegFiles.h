#pragma once
// Test files for the JPEG plumbing, made with libjpeg's own compressor in memory, and
// a reference decoder that asks libjpeg for plain RGB (or grey or CMYK) samples: an
// independent path to compare with.

#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace orvalis::test {

// Interleaved samples, top row first, `components` per pixel, no padding.
struct Samples {
    int width = 0;
    int height = 0;
    int components = 3;
    std::vector<std::uint8_t> bytes;

    std::uint8_t* Pixel(int x, int y) { return &bytes[(std::size_t(y) * width + x) * components]; }
    const std::uint8_t* Pixel(int x, int y) const { return &bytes[(std::size_t(y) * width + x) * components]; }
};

// A colour picture with smooth ramps and a checkerboard, red, green, blue per pixel.
Samples ColourPicture(int width, int height);

struct JpegOptions {
    // The file's coding (JCS_YCbCr, JCS_RGB, JCS_GRAYSCALE, JCS_CMYK, JCS_YCCK); unknown:
    // the library's choice for the samples.
    J_COLOR_SPACE stored = JCS_UNKNOWN;
    int quality = 90;
    bool progressive = false;
    int restartRows = 0;       // a restart marker every so many MCU rows
    bool adobeMarker = true;   // for four-component files
    std::size_t appBytes = 0;  // an APP1 marker of this many bytes of data ahead of the frame
};

// Compresses `samples` (RGB, grey or CMYK, by their component count) into a JPEG file.
std::vector<std::uint8_t> WriteJpeg(const Samples& samples, const JpegOptions& options = {});

// Decodes with libjpeg alone into the given output colour space (floating-point DCT,
// the library's defaults otherwise).
Samples ReferenceDecode(const std::vector<std::uint8_t>& file, J_COLOR_SPACE output = JCS_RGB);

// The file with its frame header saying the given size.
std::vector<std::uint8_t> WithFrameSize(std::vector<std::uint8_t> file, int width, int height);

}  // namespace orvalis::test

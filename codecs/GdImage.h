#pragma once
// The palette image: one byte per pixel, each an index into a palette of at most
// gdMaxColors colours. The field names are the record's own; the PNG decoding step
// (codecs/GdPng.h) fills it and the image loader reads it directly.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace orvalis::gd {

inline constexpr int gdMaxColors = 256;

struct gdImage {
    gdImage(const gdImage&) = delete;
    gdImage& operator=(const gdImage&) = delete;

    // Row y is pixels[y]: sx colour indices, row 0 at the top.
    std::vector<std::uint8_t*> pixels;
    int sx = 0;
    int sy = 0;
    int colorsTotal = 0;
    std::array<int, gdMaxColors> red{};
    std::array<int, gdMaxColors> green{};
    std::array<int, gdMaxColors> blue{};
    std::array<int, gdMaxColors> open{};  // 1 = entry free, 0 = used by some pixel
    int transparent = -1;
    int interlace = 0;

private:
    friend std::unique_ptr<gdImage> gdImageCreate(int sx, int sy);
    gdImage(int sx, int sy);

    // The rows lie in one block, so a tall narrow image costs one pointer per row.
    std::vector<std::uint8_t> pixelBlock_;
};

// An sx × sy image of index 0, no colours in use, every entry open, no transparent
// index, not interlaced. Null when memory is short.
std::unique_ptr<gdImage> gdImageCreate(int sx, int sy);

// The colour index at column x, row y; 0 outside the image.
int gdImageGetPixel(const gdImage& image, int x, int y);

// Frees the rows, the row table and the record.
void gdImageDestroy(std::unique_ptr<gdImage> image);

}  // namespace orvalis::gd

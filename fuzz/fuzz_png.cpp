// The PNG decoding step of the colour count on arbitrary bytes, through a memory file.
// Null is a refusal; a palette image must be whole: its size as announced, a row for
// each line, a palette of 1 to 256 colours, a transparent index inside the palette.
// Every pixel is read, so that a row shorter than the image shows as a fault.
//
// The step writes its refusals and warnings to standard error, thousands a second:
// `make fuzz` runs this target with -close_fd_mask=2, which sends the target's
// standard error to /dev/null once at start and keeps the fuzzer's and the
// sanitizers' reports on a copy of it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "codecs/GdImage.h"
#include "codecs/GdPng.h"

namespace {

// Where the pixels read go, so that the reads are not optimised away.
volatile unsigned keepReads;

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "fuzz_png: %s\n", what);
    std::abort();
}

void CheckImage(const orvalis::gd::gdImage& image) {
    using orvalis::gd::gdMaxColors;
    if (image.sx <= 0 || image.sy <= 0) Finding("an image without pixels");
    if (image.pixels.size() != static_cast<std::size_t>(image.sy)) Finding("a row table of another height");
    if (image.colorsTotal < 1 || image.colorsTotal > gdMaxColors) Finding("a palette size out of range");
    if (image.transparent < -1 || image.transparent >= image.colorsTotal)
        Finding("a transparent index outside the palette");
    unsigned sum = 0;
    for (int y = 0; y < image.sy; ++y)
        for (int x = 0; x < image.sx; ++x) sum += static_cast<unsigned>(orvalis::gd::gdImageGetPixel(image, x, y));
    keepReads = sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::vector<std::uint8_t> bytes(data, data + size);
    std::FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
    if (file == nullptr) return 0;
    std::unique_ptr<orvalis::gd::gdImage> image = orvalis::gd::gdImageCreateFromPng(file);
    std::fclose(file);
    if (image) CheckImage(*image);
    orvalis::gd::gdImageDestroy(std::move(image));
    return 0;
}

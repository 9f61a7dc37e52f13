// The bitmap's BMP reading on arbitrary bytes, from a memory stream. A file that loads
// is then used the way the viewer uses a picture: its rows are read in its own layout
// (a device image's in the screen's, as a DIB made once) and once more converted to 32
// bits per pixel; and it is saved, and what it saves must
// load again.
//
// EInvalidGraphic, EReadError (or another framework exception) while loading the bytes
// is a refusal. A finding is anything else escaping, any exception after a successful
// load, or a sanitizer report.
//
// The bitmap accepts pictures of up to 1 GiB of pixels; this harness skips, before
// loading, files whose header announces more than 512 x 512 pixels, so that every input
// loads and converts fast.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "graphics/Bitmap.h"
#include "runtime/Exceptions.h"
#include "runtime/Stream.h"

namespace {

using namespace orvalis;

constexpr std::uint64_t kMaxHarnessPixels = 1u << 18;

// Where the pixels read go, so that the reads are not optimised away.
volatile std::uint8_t keepReads;

[[noreturn]] void Finding(const char* what, const Exception* error = nullptr) {
    std::fprintf(stderr, "fuzz_bmp: %s%s%s\n", what, error ? ": " : "", error ? error->Message().CStr() : "");
    std::abort();
}

std::uint32_t LittleEndian(const std::uint8_t* bytes, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
}

// The width and height that the info header announces, as far as the bytes tell.
std::uint64_t AnnouncedPixels(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kInfoHeader = 14;
    if (size < kInfoHeader + 12) return 0;
    const std::uint32_t headerSize = LittleEndian(data + kInfoHeader, 4);
    if (headerSize == 12)  // OS/2: 16-bit width and height
        return std::uint64_t{LittleEndian(data + kInfoHeader + 4, 2)} * LittleEndian(data + kInfoHeader + 6, 2);
    const auto width = static_cast<std::int32_t>(LittleEndian(data + kInfoHeader + 4, 4));
    const auto height = static_cast<std::int32_t>(LittleEndian(data + kInfoHeader + 8, 4));
    return static_cast<std::uint64_t>(std::llabs(width)) * static_cast<std::uint64_t>(std::llabs(height));
}

// The rows one by one, as the colour count reads them; they are rows of one buffer, which
// the reading leaves where it was.
void ReadRows(TBitmap& bitmap) {
    std::uint8_t sum = 0;
    const std::int32_t height = bitmap.Height();
    const std::uint8_t* top = bitmap.RowPointer(0);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = bitmap.RowPointer(y);
        sum = static_cast<std::uint8_t>(sum + row[0]);
    }
    keepReads = sum;
    if (bitmap.RowPointer(0) != top) Finding("the rows moved while they were read");
}

// Every pixel of a 32-bit copy, as the colour count reads them.
void ReadAsThirtyTwoBits(TBitmap& bitmap) {
    TBitmap copy;
    copy.CopyFromObject(&bitmap);
    copy.SetPixelLayout(pl32Bit);
    std::uint32_t sum = 0;
    for (std::int32_t y = 0; y < copy.Height(); ++y) {
        const std::uint8_t* row = copy.RowPointer(y);
        for (std::int32_t x = 0; x < copy.Width(); ++x) {
            std::uint32_t pixel;
            std::memcpy(&pixel, row + 4 * static_cast<std::size_t>(x), 4);
            sum += pixel;
        }
    }
    keepReads = static_cast<std::uint8_t>(sum);
}

void SavedLoadsAgain(TBitmap& bitmap) {
    TMemoryStream saved;
    bitmap.SaveStream(saved);
    saved.SetPosition(0);
    TBitmap again;
    again.LoadStream(saved);
    if (again.Width() != bitmap.Width() || again.Height() != bitmap.Height())
        Finding("the saved file loads with another size");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (AnnouncedPixels(data, size) > kMaxHarnessPixels) return 0;
    TMemoryStream stream;
    if (size > 0) stream.WriteBuffer(data, size);
    stream.SetPosition(0);

    TBitmap bitmap;
    try {
        bitmap.LoadStream(stream);
    } catch (const Exception&) {
        return 0;
    }
    try {
        if (bitmap.Empty()) return 0;
        SavedLoadsAgain(bitmap);
        ReadRows(bitmap);
        ReadAsThirtyTwoBits(bitmap);
    } catch (const Exception& error) {
        Finding("a bitmap that loaded fails afterwards", &error);
    }
    return 0;
}

#include "JPEGImageFiles.h"

#include "runtime/Stream.h"

namespace orvalis::test {

void LoadBytes(TJPEGImage& image, const Bytes& bytes) {
    TMemoryStream stream;
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), bytes.size());
    stream.SetPosition(0);
    image.LoadStream(stream);
}

Rgb PixelOf(TBitmap& bitmap, int x, int y) {
    const std::uint8_t* row = bitmap.RowPointer(y);
    if (bitmap.PixelLayout() == pl8Bit) {
        const auto entries = bitmap.Palette()->Entries();
        if (row[x] >= entries.size()) return {-1, -1, -1};  // no colour: an index past the palette
        return {entries[row[x]].peRed, entries[row[x]].peGreen, entries[row[x]].peBlue};
    }
    const std::uint8_t* pixel = row + 3 * x;
    return {pixel[2], pixel[1], pixel[0]};
}

Rgb SampleOf(const Samples& samples, int x, int y) {
    const std::uint8_t* pixel = samples.Pixel(x, y);
    if (samples.components == 1) return {pixel[0], pixel[0], pixel[0]};
    return {pixel[0], pixel[1], pixel[2]};
}

}  // namespace orvalis::test

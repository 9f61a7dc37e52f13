#pragma once
// The run-length encodings of bitmap files, decoded into colour indices.
//
// The data is a sequence of two-byte commands, rows from the bottom up. A first byte
// n > 0 is an encoded run: n pixels of the second byte (RLE8), or alternately of its
// high and low nibbles (RLE4). A first byte 0 is an escape: 0 ends the line, 1 ends the
// bitmap, 2 is a delta (the next two bytes move right and up), and n >= 3 is an absolute
// run of n pixels that follow (bytes for RLE8, nibbles for RLE4), padded to an even
// number of bytes. Pixels that no command reaches keep index 0; pixels that runs put past
// the right edge of a row are dropped (encoders write a row's padding as pixels).

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orvalis::platform::raster {

enum class RleKind { Rle8, Rle4 };

// One index per pixel, `width` x `height`, top row first. The end-of-bitmap escape may
// be missing once every row is decoded: data may end right after the top row's last
// pixel or its end of line. Nothing for damaged data: a command cut short, pixels above
// the top row, a delta that leaves the picture, or data that ends before the top row is
// complete; nothing also for more than kMaxPixelBytes pixels.
std::optional<std::vector<std::uint8_t>> DecodeRle(RleKind kind, std::span<const std::uint8_t> data, int width,
                                                   int height);

}  // namespace orvalis::platform::raster

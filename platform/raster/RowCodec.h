#pragma once
// Reading and writing one row of DIB pixels as colours 0x00RRGGBB, for every layout a
// DIB may have: 1, 4 and 8 bits through a colour table, 16 bits (5-5-5, or any masks
// with BI_BITFIELDS), 24 bits (blue, green, red) and 32 bits (0x00RRGGBB words, or any
// masks). Every conversion between images goes through these rows.

#include <array>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "platform/raster/BitmapInfo.h"

namespace orvalis::platform::raster {

class RowCodec {
public:
    // The layout of `header` (biBitCount 1, 4, 8, 16, 24 or 32) with its masks and its
    // colour table (used for 8 bits or fewer).
    RowCodec(const BitmapInfoHeader& header, const std::array<std::uint32_t, 3>& masks,
             std::span<const RgbQuad> colours);

    void Decode(const std::uint8_t* row, std::uint32_t* pixels, int width) const { Decode(row, 0, pixels, width); }
    // Pixels `first` to `first + count` of the row.
    void Decode(const std::uint8_t* row, int first, std::uint32_t* pixels, int count) const;
    // Colours missing from a colour table take the nearest entry. The fourth byte of a
    // 32-bit BI_RGB pixel is written 0.
    void Encode(const std::uint32_t* pixels, std::uint8_t* row, int width);

    // Whether rows of both layouts hold the same bytes for the same colours.
    bool SameLayoutAs(const RowCodec& other) const;
    // 32-bit pixels that are 0x00RRGGBB words: cairo's own RGB24 layout.
    bool HasCairoLayout() const { return cairoLayout_; }

private:
    struct Channel {
        std::uint32_t mask = 0;
        int shift = 0;
        int bits = 0;
    };
    static Channel ChannelOf(std::uint32_t mask);
    static std::uint8_t Expand(std::uint32_t word, const Channel& channel);
    static std::uint32_t Reduce(std::uint32_t value, const Channel& channel);
    std::uint32_t DecodeMasked(std::uint32_t word) const;
    std::uint32_t EncodeMasked(std::uint32_t rgb) const;
    std::uint8_t NearestIndex(std::uint32_t rgb);

    static constexpr std::size_t kMaxRemembered = 1 << 16;

    int bitCount_;
    std::array<Channel, 3> channels_;
    bool cairoLayout_ = false;
    std::vector<std::uint32_t> table_;  // the colour table as 0x00RRGGBB
    std::unordered_map<std::uint32_t, std::uint8_t> nearest_;
};

}  // namespace orvalis::platform::raster

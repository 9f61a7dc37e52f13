#include "platform/raster/RowCodec.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <limits>

#include "platform/raster/Palette.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace orvalis::platform::raster {

// A 32-bit DIB pixel (bytes blue, green, red, 0) is the little-endian word 0x00RRGGBB;
// cairo keeps RGB24 pixels as native words: the two are one layout on this platform.
static_assert(std::endian::native == std::endian::little, "DIB rows are copied as cairo's native words");

RowCodec::RowCodec(const BitmapInfoHeader& header, const std::array<std::uint32_t, 3>& masks,
                   std::span<const RgbQuad> colours)
    : bitCount_(header.biBitCount) {
    assert(
        (bitCount_ == 1 || bitCount_ == 4 || bitCount_ == 8 || bitCount_ == 16 || bitCount_ == 24 || bitCount_ == 32) &&
        "a DIB layout");
    const auto effective = EffectiveMasks(header, masks);
    for (std::size_t i = 0; i < 3; ++i) channels_[i] = ChannelOf(effective[i]);
    cairoLayout_ = bitCount_ == 32 && effective == std::array<std::uint32_t, 3>{0xFF0000, 0x00FF00, 0x0000FF};
    if (bitCount_ <= 8) {
        const std::size_t entries = std::min(colours.size(), std::size_t(1) << bitCount_);
        for (std::size_t i = 0; i < entries; ++i) table_.push_back(RgbOf(colours[i]));
    }
}

RowCodec::Channel RowCodec::ChannelOf(std::uint32_t mask) {
    if (mask == 0) return {};
    const int shift = std::countr_zero(mask);
    return {mask, shift, std::countr_one(mask >> shift)};
}

// A channel widened to 8 bits by repeating its bits (5 bits 10110 give 10110101).
std::uint8_t RowCodec::Expand(std::uint32_t word, const Channel& channel) {
    if (channel.bits == 0) return 0;
    std::uint32_t value = (word & channel.mask) >> channel.shift;
    if (channel.bits >= 8) return std::uint8_t(value >> (channel.bits - 8));
    std::uint32_t result = 0;
    for (int filled = 0; filled < 8; filled += channel.bits)
        result |=
            filled + channel.bits <= 8 ? value << (8 - filled - channel.bits) : value >> (filled + channel.bits - 8);
    return std::uint8_t(result);
}

std::uint32_t RowCodec::Reduce(std::uint32_t value, const Channel& channel) {
    if (channel.bits == 0) return 0;
    const std::uint32_t reduced = channel.bits >= 8 ? value << (channel.bits - 8) : value >> (8 - channel.bits);
    return (reduced << channel.shift) & channel.mask;
}

std::uint32_t RowCodec::DecodeMasked(std::uint32_t word) const {
    return std::uint32_t(Expand(word, channels_[0])) << 16 | std::uint32_t(Expand(word, channels_[1])) << 8 |
           Expand(word, channels_[2]);
}

std::uint32_t RowCodec::EncodeMasked(std::uint32_t rgb) const {
    return Reduce(rgb >> 16 & 0xFF, channels_[0]) | Reduce(rgb >> 8 & 0xFF, channels_[1]) |
           Reduce(rgb & 0xFF, channels_[2]);
}

namespace {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// 24-bit pixels (blue, green, red) to words 0x00RRGGBB, sixteen at a time with byte
// shuffles: a picture of millions of pixels is converted at every one-to-one drawing.
// Gives how many pixels it converted (a multiple of 16; 0 on a processor without SSSE3).
__attribute__((target("ssse3"))) int DecodeBgrShuffled(const std::uint8_t* row, std::uint32_t* pixels, int count) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    int x = 0;
    for (; x + 16 <= count; x += 16, row += 48) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 32));
        auto* out = reinterpret_cast<__m128i*>(pixels + x);
        _mm_storeu_si128(out, _mm_shuffle_epi8(a, spread));
        _mm_storeu_si128(out + 1, _mm_shuffle_epi8(_mm_alignr_epi8(b, a, 12), spread));
        _mm_storeu_si128(out + 2, _mm_shuffle_epi8(_mm_alignr_epi8(c, b, 8), spread));
        _mm_storeu_si128(out + 3, _mm_shuffle_epi8(_mm_srli_si128(c, 4), spread));
    }
    return x;
}

int DecodeBgrQuickly(const std::uint8_t* row, std::uint32_t* pixels, int count) {
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    return shuffles ? DecodeBgrShuffled(row, pixels, count) : 0;
}
#else
int DecodeBgrQuickly(const std::uint8_t*, std::uint32_t*, int) { return 0; }
#endif

}  // namespace

void RowCodec::Decode(const std::uint8_t* row, int first, std::uint32_t* pixels, int count) const {
    auto entry = [this](unsigned index) { return index < table_.size() ? table_[index] : 0u; };
    switch (bitCount_) {
        case 1:
            for (int i = 0, x = first; i < count; ++i, ++x) pixels[i] = entry(row[x >> 3] >> (7 - (x & 7)) & 1);
            break;
        case 4:
            for (int i = 0, x = first; i < count; ++i, ++x)
                pixels[i] = entry(x & 1 ? row[x >> 1] & 0x0F : row[x >> 1] >> 4);
            break;
        case 8:
            row += first;
            for (int x = 0; x < count; ++x) pixels[x] = entry(row[x]);
            break;
        case 16:
            row += std::ptrdiff_t(first) * 2;
            for (int x = 0; x < count; ++x)
                pixels[x] = DecodeMasked(std::uint32_t(row[2 * x]) | std::uint32_t(row[2 * x + 1]) << 8);
            break;
        case 24: {
            row += std::ptrdiff_t(first) * 3;
            int x = DecodeBgrQuickly(row, pixels, count);
            row += std::ptrdiff_t(x) * 3;
            // Four pixels from three little-endian words (BGRB GRBG RBGR), then the rest.
            for (; x + 4 <= count; x += 4, row += 12) {
                std::uint32_t w[3];
                std::memcpy(w, row, sizeof w);
                pixels[x] = w[0] & 0xFFFFFF;
                pixels[x + 1] = w[0] >> 24 | (w[1] & 0xFFFF) << 8;
                pixels[x + 2] = w[1] >> 16 | (w[2] & 0xFF) << 16;
                pixels[x + 3] = w[2] >> 8;
            }
            for (; x < count; ++x, row += 3)
                pixels[x] = std::uint32_t(row[2]) << 16 | std::uint32_t(row[1]) << 8 | row[0];
            break;
        }
        default:
            row += std::ptrdiff_t(first) * 4;
            if (cairoLayout_) {
                std::memcpy(pixels, row, std::size_t(count) * 4);
                for (int x = 0; x < count; ++x) pixels[x] &= 0xFFFFFF;
                break;
            }
            for (int x = 0; x < count; ++x, row += 4)
                pixels[x] = DecodeMasked(std::uint32_t(row[0]) | std::uint32_t(row[1]) << 8 |
                                         std::uint32_t(row[2]) << 16 | std::uint32_t(row[3]) << 24);
            break;
    }
}

void RowCodec::Encode(const std::uint32_t* pixels, std::uint8_t* row, int width) {
    switch (bitCount_) {
        case 1:
            for (int x = 0; x < width; ++x) {
                const auto bit = std::uint8_t(0x80 >> (x & 7));
                row[x >> 3] = NearestIndex(pixels[x]) ? row[x >> 3] | bit : row[x >> 3] & ~bit;
            }
            break;
        case 4:
            for (int x = 0; x < width; ++x) {
                const std::uint8_t index = NearestIndex(pixels[x]);
                std::uint8_t& byte = row[x >> 1];
                byte = x & 1 ? std::uint8_t((byte & 0xF0) | index) : std::uint8_t((byte & 0x0F) | index << 4);
            }
            break;
        case 8:
            for (int x = 0; x < width; ++x) row[x] = NearestIndex(pixels[x]);
            break;
        case 16:
            for (int x = 0; x < width; ++x) {
                const std::uint32_t word = EncodeMasked(pixels[x]);
                row[2 * x] = std::uint8_t(word);
                row[2 * x + 1] = std::uint8_t(word >> 8);
            }
            break;
        case 24:
            for (int x = 0; x < width; ++x, row += 3) {
                row[0] = std::uint8_t(pixels[x]);
                row[1] = std::uint8_t(pixels[x] >> 8);
                row[2] = std::uint8_t(pixels[x] >> 16);
            }
            break;
        default:
            if (cairoLayout_) {
                for (int x = 0; x < width; ++x) {
                    const std::uint32_t word = pixels[x] & 0xFFFFFF;
                    std::memcpy(row + 4 * x, &word, 4);
                }
                break;
            }
            for (int x = 0; x < width; ++x, row += 4) {
                const std::uint32_t word = EncodeMasked(pixels[x]);
                for (int i = 0; i < 4; ++i) row[i] = std::uint8_t(word >> (8 * i));
            }
            break;
    }
}

std::uint8_t RowCodec::NearestIndex(std::uint32_t rgb) {
    rgb &= 0xFFFFFF;
    if (auto found = nearest_.find(rgb); found != nearest_.end()) return found->second;
    // A picture of many colours would make the memory of past answers grow without end.
    if (nearest_.size() >= kMaxRemembered) nearest_.clear();
    std::uint8_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < table_.size() && bestDistance > 0; ++i) {
        const int dr = int(rgb >> 16) - int(table_[i] >> 16);
        const int dg = int(rgb >> 8 & 0xFF) - int(table_[i] >> 8 & 0xFF);
        const int db = int(rgb & 0xFF) - int(table_[i] & 0xFF);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = std::uint8_t(i);
        }
    }
    nearest_.emplace(rgb, best);
    return best;
}

bool RowCodec::SameLayoutAs(const RowCodec& other) const {
    if (bitCount_ != other.bitCount_) return false;
    if (bitCount_ <= 8) return table_ == other.table_;
    if (bitCount_ == 24) return true;
    for (std::size_t i = 0; i < 3; ++i)
        if (channels_[i].mask != other.channels_[i].mask) return false;
    return true;
}

}  // namespace orvalis::platform::raster

#include "platform/raster/RleDecoder.h"

#include "platform/raster/BitmapInfo.h"

namespace orvalis::platform::raster {

namespace {

class RleDecoder {
public:
    RleDecoder(RleKind kind, std::span<const std::uint8_t> data, int width, int height)
        : kind_(kind), data_(data), width_(width), height_(height), indices_(std::size_t(width) * height) {}

    std::optional<std::vector<std::uint8_t>> Run() {
        for (;;) {
            // Data that ends without the end-of-bitmap escape is whole once every row is
            // (other readers take such files too); before that it is cut short.
            if (position_ == data_.size()) {
                if (!EveryRowDecoded()) return std::nullopt;
                return std::move(indices_);
            }
            std::uint8_t count, value;
            if (!Next(count) || !Next(value)) return std::nullopt;
            if (count > 0) {
                if (!EncodedRun(count, value)) return std::nullopt;
                continue;
            }
            switch (value) {
                case 0:  // end of line
                    x_ = 0;
                    ++y_;
                    break;
                case 1:  // end of bitmap
                    return std::move(indices_);
                case 2: {  // delta
                    std::uint8_t dx, dy;
                    if (!Next(dx) || !Next(dy)) return std::nullopt;
                    x_ += dx;
                    y_ += dy;
                    if (x_ > width_ || y_ > height_) return std::nullopt;
                    break;
                }
                default:
                    if (!AbsoluteRun(value)) return std::nullopt;
                    break;
            }
        }
    }

private:
    bool Next(std::uint8_t& byte) {
        if (position_ >= data_.size()) return false;
        byte = data_[position_++];
        return true;
    }

    // Past the top row, or at the right edge of the top row.
    bool EveryRowDecoded() const { return y_ >= height_ || (y_ == height_ - 1 && x_ >= width_); }

    // Pixels go on a line of the picture; those past its right edge are dropped (encoders
    // write the padding of the last bytes of a row as pixels).
    bool OnALine() const { return y_ < height_; }

    void Put(std::uint8_t index) {
        if (x_ < width_) indices_[std::size_t(height_ - 1 - y_) * width_ + std::size_t(x_)] = index;
        ++x_;
    }

    bool EncodedRun(int count, std::uint8_t value) {
        if (!OnALine()) return false;
        for (int i = 0; i < count; ++i) Put(kind_ == RleKind::Rle8 ? value : i % 2 == 0 ? value >> 4 : value & 0x0F);
        return true;
    }

    bool AbsoluteRun(int count) {
        if (!OnALine()) return false;
        const int bytes = kind_ == RleKind::Rle8 ? count : (count + 1) / 2;
        std::uint8_t byte = 0;
        for (int i = 0; i < count; ++i) {
            if (kind_ == RleKind::Rle8) {
                if (!Next(byte)) return false;
                Put(byte);
            } else {
                if (i % 2 == 0 && !Next(byte)) return false;
                Put(i % 2 == 0 ? byte >> 4 : byte & 0x0F);
            }
        }
        // Absolute runs end on a 16-bit boundary.
        if (bytes % 2 != 0 && !Next(byte)) return false;
        return true;
    }

    RleKind kind_;
    std::span<const std::uint8_t> data_;
    std::size_t position_ = 0;
    int width_;
    int height_;
    std::int64_t x_ = 0;  // may pass the right edge
    std::int64_t y_ = 0;  // counted from the bottom row
    std::vector<std::uint8_t> indices_;
};

}  // namespace

std::optional<std::vector<std::uint8_t>> DecodeRle(RleKind kind, std::span<const std::uint8_t> data, int width,
                                                   int height) {
    if (width <= 0 || height <= 0 || std::int64_t(width) * height > kMaxPixelBytes) return std::nullopt;
    return RleDecoder(kind, data, width, height).Run();
}

}  // namespace orvalis::platform::raster

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "JpegFiles.h"
#include "codecs/JpegCompression.h"
#include "codecs/JpegDecompression.h"
#include "runtime/Exceptions.h"

namespace orvalis {
namespace {

using test::ColourPicture;
using test::ReferenceDecode;
using test::Samples;
using Bytes = std::vector<std::uint8_t>;

// The picture as the bitmap holds it: blue, green, red, rows padded to 4 bytes, top-down
// or bottom-up.
struct BgrMemory {
    BgrMemory(const Samples& picture, bool rowsBottomUp)
        : width(picture.width),
          height(picture.height),
          stride((picture.width * 3 + 3) & ~3),
          bottomUp(rowsBottomUp),
          bytes(std::size_t(stride) * picture.height, 0x5A) {
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = &bytes[std::size_t(bottomUp ? height - 1 - y : y) * stride];
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* rgb = picture.Pixel(x, y);
                row[3 * x] = rgb[2];
                row[3 * x + 1] = rgb[1];
                row[3 * x + 2] = rgb[0];
            }
        }
    }

    JpegPicture Picture() const {
        if (bottomUp) return {&bytes[std::size_t(height - 1) * stride], -stride, width, height};
        return {bytes.data(), stride, width, height};
    }

    int width, height, stride;
    bool bottomUp;
    std::vector<std::uint8_t> bytes;
};

Bytes Encode(const JpegPicture& picture, const JpegEncodeSettings& settings = {},
             JpegProgressMonitor* monitor = nullptr) {
    TMemoryStream stream;
    EncodeJpeg(picture, settings, stream, monitor);
    return Bytes(stream.Memory(), stream.Memory() + stream.Size());
}

double MeanError(const Samples& a, const Samples& b) {
    double total = 0;
    for (std::size_t i = 0; i < a.bytes.size(); ++i) total += std::abs(a.bytes[i] - b.bytes[i]);
    return total / static_cast<double>(a.bytes.size());
}

JpegHeader HeaderOf(const Bytes& file) {
    TMemoryStream stream;
    stream.WriteBuffer(file.data(), file.size());
    return JpegDecompression::ReadHeader(stream);
}

TEST(JpegEncode, RoundTripStaysCloseToThePicture) {
    const Samples picture = ColourPicture(640, 480);
    const Bytes file = Encode(BgrMemory(picture, false).Picture());
    EXPECT_GT(file.size(), 3 * 4096u);  // several buffers written
    const JpegHeader header = HeaderOf(file);
    EXPECT_EQ(header.Width, 640);
    EXPECT_EQ(header.Height, 480);
    EXPECT_FALSE(header.Gray);
    EXPECT_FALSE(header.Progressive);
    const Samples decoded = ReferenceDecode(file);
    EXPECT_LT(MeanError(decoded, picture), 3.0);
    // Blue and red are not swapped: the top-right corner is red, the top-left is not.
    EXPECT_GT(decoded.Pixel(639, 0)[0], 200);
    EXPECT_LT(decoded.Pixel(0, 0)[0], 50);
}

TEST(JpegEncode, BottomUpRowsGiveTheSameFile) {
    const Samples picture = ColourPicture(61, 45);
    EXPECT_EQ(Encode(BgrMemory(picture, true).Picture()), Encode(BgrMemory(picture, false).Picture()));
}

TEST(JpegEncode, QualityGreyAndProgressiveAreHonoured) {
    const Samples picture = ColourPicture(61, 45);
    const BgrMemory memory(picture, false);
    EXPECT_LT(Encode(memory.Picture(), {.Quality = 20}).size(), Encode(memory.Picture(), {.Quality = 95}).size());

    const Bytes grey = Encode(memory.Picture(), {.GrayOutput = true});
    EXPECT_TRUE(HeaderOf(grey).Gray);
    const Samples decodedGrey = ReferenceDecode(grey, JCS_GRAYSCALE);
    for (const auto& [x, y] : {std::pair{0, 0}, {60, 0}, {30, 22}, {60, 44}}) {
        const std::uint8_t* rgb = picture.Pixel(x, y);
        const double luma = 0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2];
        EXPECT_NEAR(decodedGrey.Pixel(x, y)[0], luma, 12) << x << ", " << y;
    }

    const Bytes progressive = Encode(memory.Picture(), {.Progressive = true});
    EXPECT_TRUE(HeaderOf(progressive).Progressive);
    EXPECT_LT(MeanError(ReferenceDecode(progressive), picture), 3.0);
}

TEST(JpegEncode, ReportsItsStagesAroundTheWork) {
    const BgrMemory memory(ColourPicture(16, 16), false);
    std::vector<std::pair<TProgressStage, int>> stages;
    JpegProgressMonitor monitor(
        [&](TProgressStage stage, std::uint8_t percent, bool redraw, const TRect& r) {
            stages.push_back({stage, percent});
            EXPECT_FALSE(redraw);
            EXPECT_EQ(r, TRect{});
        },
        [] { return std::uint64_t{1000}; });
    Encode(memory.Picture(), {}, &monitor);
    ASSERT_EQ(stages.size(), 2u);
    EXPECT_EQ(stages[0], std::pair(progressStarting, 0));
    EXPECT_EQ(stages[1], std::pair(progressEnding, 100));
}

TEST(JpegEncode, AbortFromTheProgressHandlerLeavesAsItself) {
    const BgrMemory memory(ColourPicture(64, 64), true);  // one row per library call
    std::uint64_t now = 1000;
    JpegProgressMonitor monitor(
        [](TProgressStage stage, std::uint8_t, bool, const TRect&) {
            if (stage == progressRunning) Abort();
        },
        [&] { return now += 600; });
    TMemoryStream stream;
    EXPECT_THROW(EncodeJpeg(memory.Picture(), {}, stream, &monitor), EAbort);
}

// A stream that takes a few kilobytes and then refuses to write.
class FullStream : public TMemoryStream {
public:
    std::size_t Write(const void* buffer, std::size_t count) override {
        return Size() >= 4096 ? 0 : TMemoryStream::Write(buffer, count);
    }
};

TEST(JpegEncode, WriteErrorOfTheDestinationLeavesAsItself) {
    const BgrMemory memory(ColourPicture(640, 480), false);
    FullStream stream;
    try {
        EncodeJpeg(memory.Picture(), {}, stream);
        ADD_FAILURE() << "no error";
    } catch (const EJPEG&) {
        ADD_FAILURE() << "reported as a JPEG error";
    } catch (const EWriteError&) {
    }
}

}  // namespace
}  // namespace orvalis

#include <gtest/gtest.h>
#include <jerror.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "JpegFiles.h"
#include "codecs/JpegDecompression.h"
#include "runtime/Exceptions.h"

namespace orvalis {
namespace {

using test::ColourPicture;
using test::JpegOptions;
using test::ReferenceDecode;
using test::Samples;
using test::WriteJpeg;
using Bytes = std::vector<std::uint8_t>;

std::unique_ptr<TMemoryStream> StreamOf(const Bytes& bytes) {
    auto stream = std::make_unique<TMemoryStream>();
    if (!bytes.empty()) stream->WriteBuffer(bytes.data(), bytes.size());
    stream->SetPosition(0);
    return stream;
}

// Pixel memory laid out as the bitmap lays it out: rows padded to 4 bytes, top-down or
// bottom-up, every byte first set to `fill`.
class Canvas : public JpegOutput {
public:
    explicit Canvas(bool bottomUp = false, std::uint8_t fill = 0) : bottomUp_(bottomUp), fill_(fill) {}

    void Begin(const JpegDecompression& decoder) {
        width = decoder.OutputWidth();
        height = decoder.OutputHeight();
        bytesPerPixel = decoder.EightBitOutput() ? 1 : 3;
        stride = (width * bytesPerPixel + 3) & ~3;
        memory.assign(std::size_t(stride) * height, fill_);
    }

    JpegRows Rows() override {
        ++rowsAsked;
        if (bottomUp_) return {&memory[std::size_t(height - 1) * stride], -stride};
        return {memory.data(), stride};
    }

    void TakePalette(const std::vector<JpegPaletteEntry>& entries) override {
        palette = entries;
        ++palettesTaken;
    }

    const std::uint8_t* At(int x, int y) const {
        const int memoryRow = bottomUp_ ? height - 1 - y : y;
        return &memory[std::size_t(memoryRow) * stride + std::size_t(x) * bytesPerPixel];
    }

    // Red, green, blue of a pixel: through the palette for 8-bit rows.
    JpegPaletteEntry Colour(int x, int y) const {
        const std::uint8_t* pixel = At(x, y);
        if (bytesPerPixel == 1) return palette.at(*pixel);
        return {pixel[2], pixel[1], pixel[0]};
    }

    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    int stride = 0;
    std::vector<std::uint8_t> memory;
    std::vector<JpegPaletteEntry> palette;
    int palettesTaken = 0;
    int rowsAsked = 0;

private:
    bool bottomUp_;
    std::uint8_t fill_;
};

Canvas Decode(const Bytes& file, const JpegDecodeSettings& settings = {}, Canvas canvas = Canvas()) {
    const auto stream = StreamOf(file);
    JpegDecompression decoder(*stream, settings);
    decoder.Start();
    canvas.Begin(decoder);
    decoder.ReadImage(canvas);
    decoder.Finish();
    return canvas;
}

// Every pixel of the canvas against the reference's red, green, blue (or grey) samples.
void ExpectPixelsEqual(const Canvas& canvas, const Samples& reference) {
    ASSERT_EQ(canvas.width, reference.width);
    ASSERT_EQ(canvas.height, reference.height);
    for (int y = 0; y < reference.height; ++y) {
        for (int x = 0; x < reference.width; ++x) {
            const std::uint8_t* expected = reference.Pixel(x, y);
            const JpegPaletteEntry expectedColour = reference.components == 1
                                                        ? JpegPaletteEntry{expected[0], expected[0], expected[0]}
                                                        : JpegPaletteEntry{expected[0], expected[1], expected[2]};
            const JpegPaletteEntry actual = canvas.Colour(x, y);
            if (actual != expectedColour) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << int(actual.Red) << " " << int(actual.Green)
                              << " " << int(actual.Blue) << " instead of " << int(expectedColour.Red) << " "
                              << int(expectedColour.Green) << " " << int(expectedColour.Blue);
                return;
            }
        }
    }
}

// The mean distance per component between the canvas and the reference, on the means
// of blocks of 4 x 4 pixels (dithering keeps the local means of the colours).
double BlockMeanError(const Canvas& canvas, const Samples& reference) {
    double total = 0;
    int blocks = 0;
    for (int top = 0; top + 4 <= reference.height; top += 4) {
        for (int left = 0; left + 4 <= reference.width; left += 4) {
            int difference[3] = {};
            for (int y = top; y < top + 4; ++y) {
                for (int x = left; x < left + 4; ++x) {
                    const JpegPaletteEntry actual = canvas.Colour(x, y);
                    const std::uint8_t* expected = reference.Pixel(x, y);
                    difference[0] += actual.Red - expected[0];
                    difference[1] += actual.Green - expected[1];
                    difference[2] += actual.Blue - expected[2];
                }
            }
            total += (std::abs(difference[0]) + std::abs(difference[1]) + std::abs(difference[2])) / 16.0;
            ++blocks;
        }
    }
    return total / (3.0 * blocks);
}

// The mean distance per component between the canvas and the reference.
double MeanError(const Canvas& canvas, const Samples& reference) {
    double total = 0;
    for (int y = 0; y < reference.height; ++y) {
        for (int x = 0; x < reference.width; ++x) {
            const JpegPaletteEntry actual = canvas.Colour(x, y);
            const std::uint8_t* expected = reference.Pixel(x, y);
            total += std::abs(actual.Red - expected[0]) + std::abs(actual.Green - expected[1]) +
                     std::abs(actual.Blue - expected[2]);
        }
    }
    return total / (3.0 * reference.width * reference.height);
}

Samples GreyOf(const Samples& colour) {
    Samples grey{colour.width, colour.height, 1, {}};
    for (std::size_t i = 0; i < colour.bytes.size(); i += 3)
        grey.bytes.push_back(
            static_cast<std::uint8_t>((colour.bytes[i] + 2 * colour.bytes[i + 1] + colour.bytes[i + 2]) / 4));
    return grey;
}

template <typename Call>
EJPEG CatchJpegError(Call&& call) {
    try {
        call();
    } catch (const EJPEG& error) {
        return error;
    }
    ADD_FAILURE() << "no EJPEG raised";
    return EJPEG(0);
}

// --- Headers -------------------------------------------------------------------------

TEST(JpegHeader, TellsSizeCodingAndScans) {
    const Samples picture = ColourPicture(61, 45);
    struct Case {
        Bytes file;
        bool gray, progressive;
    } cases[] = {
        {WriteJpeg(picture), false, false},
        {WriteJpeg(picture, {.progressive = true}), false, true},
        {WriteJpeg(GreyOf(picture)), true, false},
        {WriteJpeg(GreyOf(picture), {.stored = JCS_GRAYSCALE, .progressive = true}), true, true},
    };
    for (const Case& c : cases) {
        const auto stream = StreamOf(c.file);
        stream->SetPosition(7);  // read from the start whatever the position
        const JpegHeader header = JpegDecompression::ReadHeader(*stream);
        EXPECT_EQ(header.Width, 61);
        EXPECT_EQ(header.Height, 45);
        EXPECT_EQ(header.Gray, c.gray);
        EXPECT_EQ(header.Progressive, c.progressive);
    }
}

TEST(JpegHeader, EmptyInputIsTheLibrarysEmptyInputError) {
    const auto stream = StreamOf({});
    const EJPEG error = CatchJpegError([&] { JpegDecompression::ReadHeader(*stream); });
    EXPECT_EQ(error.ErrorCode(), JERR_INPUT_EMPTY);
    EXPECT_EQ(std::string(error.Message().CStr()), "Erreur JPEG #" + std::to_string(JERR_INPUT_EMPTY));
}

TEST(JpegHeader, DataThatIsNotJpegIsRefusedByTheHeaderRead) {
    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    const auto stream = StreamOf(png);
    const EJPEG error = CatchJpegError([&] { JpegDecompression::ReadHeader(*stream); });
    EXPECT_EQ(error.ErrorCode(), JERR_NO_SOI);
    EXPECT_EQ(std::string(error.Message().CStr()), "Erreur JPEG #" + std::to_string(JERR_NO_SOI));
}

TEST(JpegHeader, FileCutInsideTheHeaderIsAnError) {
    // Cut inside the tables, and inside a marker longer than the source's buffer.
    const Bytes plain = WriteJpeg(ColourPicture(16, 16));
    const Bytes longMarker = WriteJpeg(ColourPicture(16, 16), {.appBytes = 20000});
    const Bytes cuts[] = {Bytes(plain.begin(), plain.begin() + 30),
                          Bytes(longMarker.begin(), longMarker.begin() + 9000)};
    for (const Bytes& cut : cuts) {
        const auto stream = StreamOf(cut);
        const EJPEG error = CatchJpegError([&] { JpegDecompression::ReadHeader(*stream); });
        EXPECT_NE(error.ErrorCode(), 0);
    }
}

// A stream whose reads fail after the first bytes.
class FailingStream : public TMemoryStream {
public:
    std::size_t Read(void* buffer, std::size_t count) override {
        if (Position() > 0) throw EReadError(ResId::StreamRead);
        return TMemoryStream::Read(buffer, std::min<std::size_t>(count, 20));
    }
};

TEST(JpegHeader, StreamErrorLeavesTheLibraryAsItselfNotAsAJpegError) {
    const Bytes file = WriteJpeg(ColourPicture(16, 16));
    FailingStream stream;
    stream.WriteBuffer(file.data(), file.size());
    try {
        JpegDecompression::ReadHeader(stream);
        ADD_FAILURE() << "no error";
    } catch (const EJPEG&) {
        ADD_FAILURE() << "reported as a JPEG error";
    } catch (const EReadError& error) {
        EXPECT_STREQ(error.what(), "Erreur de lecture du flux");
    }
}

// --- Colour output -------------------------------------------------------------------

TEST(JpegDecode, ColourFilesGiveBlueGreenRedWhateverTheirCoding) {
    const Samples picture = ColourPicture(61, 45);
    struct Case {
        const char* name;
        JpegOptions options;
    } cases[] = {
        {"YCbCr", {}},
        {"RGB", {.stored = JCS_RGB}},
        {"progressive", {.progressive = true}},
        {"restart markers", {.restartRows = 1}},
        {"long APP marker skipped", {.appBytes = 20000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes file = WriteJpeg(picture, c.options);
        const Canvas canvas = Decode(file);
        EXPECT_EQ(canvas.bytesPerPixel, 3);
        EXPECT_EQ(canvas.palettesTaken, 0);
        ExpectPixelsEqual(canvas, ReferenceDecode(file));
        EXPECT_LT(MeanError(canvas, picture), 4.0);
    }
}

TEST(JpegDecode, BottomUpMemoryGetsEveryRowInItsPlace) {
    const Bytes file = WriteJpeg(ColourPicture(61, 45));
    const Canvas bottomUp = Decode(file, {}, Canvas(/*bottomUp=*/true));
    ExpectPixelsEqual(bottomUp, ReferenceDecode(file));
    // The top row is the last one in memory.
    const Canvas topDown = Decode(file);
    EXPECT_TRUE(std::equal(topDown.memory.begin(), topDown.memory.begin() + topDown.stride,
                           bottomUp.memory.end() - bottomUp.stride));
}

TEST(JpegDecode, OutputScaleDividesTheSize) {
    const Bytes file = WriteJpeg(ColourPicture(64, 48));
    const struct {
        TJPEGOutputScale scale;
        int width, height;
    } cases[] = {{osFull, 64, 48}, {osHalf, 32, 24}, {osQuarter, 16, 12}, {osEighth, 8, 6}};
    for (const auto& c : cases) {
        const auto stream = StreamOf(file);
        JpegDecompression decoder(*stream, {.OutputScale = c.scale});
        decoder.CalcOutputDimensions();
        EXPECT_EQ(decoder.OutputWidth(), c.width);
        EXPECT_EQ(decoder.OutputHeight(), c.height);
        EXPECT_EQ(Decode(file, {.OutputScale = c.scale}).width, c.width);
    }
}

// --- Four-component files --------------------------------------------------------------

// Flat squares of known colours, given as inks (0 no ink, 255 full) and as the red,
// green, blue they print.
struct InkSquare {
    std::uint8_t c, m, y, k;
    JpegPaletteEntry rgb;
};
const InkSquare kInkSquares[] = {
    {0, 255, 255, 0, {255, 0, 0}}, {255, 0, 255, 0, {0, 255, 0}}, {255, 255, 0, 0, {0, 0, 255}},
    {0, 0, 0, 0, {255, 255, 255}}, {0, 0, 0, 255, {0, 0, 0}},     {0, 0, 0, 128, {127, 127, 127}},
};

Samples InkPicture(bool inverted) {
    const int count = static_cast<int>(std::size(kInkSquares));
    Samples picture{16 * count, 16, 4, {}};
    picture.bytes.resize(std::size_t(picture.width) * picture.height * 4);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const InkSquare& square = kInkSquares[x / 16];
            const std::uint8_t inks[] = {square.c, square.m, square.y, square.k};
            for (int i = 0; i < 4; ++i) picture.Pixel(x, y)[i] = inverted ? 255 - inks[i] : inks[i];
        }
    }
    return picture;
}

TEST(JpegDecode, FourComponentFilesAreConvertedToBlueGreenRed) {
    // Files with an Adobe marker store the inks inverted, as common tools write them;
    // files without store the inks themselves.
    const struct {
        const char* name;
        J_COLOR_SPACE stored;
        bool adobe;
    } cases[] = {{"CMYK, Adobe", JCS_CMYK, true}, {"YCCK, Adobe", JCS_YCCK, true}, {"CMYK, plain", JCS_CMYK, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes file = WriteJpeg(InkPicture(c.adobe), {.stored = c.stored, .quality = 95, .adobeMarker = c.adobe});
        const Canvas canvas = Decode(file, {}, Canvas(/*bottomUp=*/true));
        ASSERT_EQ(canvas.bytesPerPixel, 3);
        for (int square = 0; square < int(std::size(kInkSquares)); ++square) {
            const JpegPaletteEntry expected = kInkSquares[square].rgb;
            const JpegPaletteEntry actual = canvas.Colour(square * 16 + 8, 8);
            EXPECT_NEAR(actual.Red, expected.Red, 4) << "square " << square;
            EXPECT_NEAR(actual.Green, expected.Green, 4) << "square " << square;
            EXPECT_NEAR(actual.Blue, expected.Blue, 4) << "square " << square;
        }
    }
}

TEST(JpegDecode, FourComponentFilesAreRefusedForPaletteOutput) {
    const Bytes file = WriteJpeg(InkPicture(true), {.stored = JCS_CMYK});
    const EJPEG eightBit = CatchJpegError([&] { Decode(file, {.OutputDepth = od8Bit}); });
    EXPECT_EQ(eightBit.ErrorCode(), JERR_CONVERSION_NOTIMPL);
    const EJPEG grey = CatchJpegError([&] { Decode(file, {.GrayOutput = true}); });
    EXPECT_EQ(grey.ErrorCode(), JERR_CONVERSION_NOTIMPL);
}

// --- Palette output --------------------------------------------------------------------

void ExpectGreyPalette(const Canvas& canvas) {
    EXPECT_EQ(canvas.bytesPerPixel, 1);
    EXPECT_EQ(canvas.palettesTaken, 1);
    EXPECT_GT(canvas.palette.size(), 1u);
    EXPECT_LE(canvas.palette.size(), 236u);
    for (const JpegPaletteEntry& entry : canvas.palette)
        EXPECT_TRUE(entry.Red == entry.Green && entry.Green == entry.Blue);
}

TEST(JpegDecode, GreyFilesGiveIndicesIntoAtMost236Greys) {
    const Samples picture = GreyOf(ColourPicture(61, 45));
    for (const bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "sequential");
        const Bytes file = WriteJpeg(picture, {.stored = JCS_GRAYSCALE, .progressive = progressive});
        const Canvas canvas = Decode(file);  // 24-bit asked: a grey file still gives indices
        ExpectGreyPalette(canvas);
        const Samples reference = ReferenceDecode(file, JCS_GRAYSCALE);
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                ASSERT_NEAR(canvas.Colour(x, y).Red, reference.Pixel(x, y)[0], 3) << x << ", " << y;
    }
}

TEST(JpegDecode, GreyOutputOfAColourFile) {
    const Bytes file = WriteJpeg(ColourPicture(61, 45));
    const Canvas canvas = Decode(file, {.GrayOutput = true});
    ExpectGreyPalette(canvas);
    const Samples reference = ReferenceDecode(file, JCS_GRAYSCALE);
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
            ASSERT_NEAR(canvas.Colour(x, y).Red, reference.Pixel(x, y)[0], 3) << x << ", " << y;
}

TEST(JpegDecode, EightBitColourUsesAtMost236Colours) {
    const Samples picture = ColourPicture(61, 45);
    const Bytes file = WriteJpeg(picture);
    const Samples reference = ReferenceDecode(file);
    for (const TJPEGDecodeMode mode : {dmBestQuality, dmBestSpeed}) {
        SCOPED_TRACE(mode == dmBestQuality ? "two passes" : "one pass");
        const Canvas canvas = Decode(file, {.OutputDepth = od8Bit, .DecodeMode = mode});
        EXPECT_EQ(canvas.bytesPerPixel, 1);
        EXPECT_EQ(canvas.palettesTaken, 1);
        EXPECT_LE(canvas.palette.size(), 236u);
        const std::set<std::uint8_t> used(canvas.memory.begin(), canvas.memory.end());
        EXPECT_LT(*used.rbegin(), canvas.palette.size());
        EXPECT_GT(used.size(), 20u);
        EXPECT_LT(BlockMeanError(canvas, reference), 6.0);
    }
}

TEST(JpegDecode, AGivenColourMapIsUsedAsThePalette) {
    const std::vector<JpegPaletteEntry> given = {{0, 0, 0},     {255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                                 {255, 255, 0}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    const Bytes file = WriteJpeg(ColourPicture(61, 45));
    const auto stream = StreamOf(file);
    JpegDecompression decoder(*stream, {.OutputDepth = od8Bit});
    decoder.UseColourMap(given);
    decoder.Start();
    Canvas canvas;
    canvas.Begin(decoder);
    decoder.ReadImage(canvas);
    decoder.Finish();
    EXPECT_EQ(canvas.palettesTaken, 0);  // the caller's palette stands
    EXPECT_LT(*std::max_element(canvas.memory.begin(), canvas.memory.end()), given.size());
    // The left column is dark red to black, never blue: the entries' order is kept.
    canvas.palette = given;
    EXPECT_EQ(canvas.Colour(0, 0).Blue, 0);
    EXPECT_EQ(canvas.Colour(60, 0).Red, 255);
}

TEST(JpegDecode, AGivenColourMapThatTheLibraryReplacesStillGivesItsPalette) {
    // Greyscale output always gets the library's own grey map: the indices refer to it.
    const Bytes file = WriteJpeg(GreyOf(ColourPicture(61, 45)), {.stored = JCS_GRAYSCALE});
    const auto stream = StreamOf(file);
    JpegDecompression decoder(*stream, {.OutputDepth = od8Bit});
    decoder.UseColourMap({{255, 0, 0}, {0, 0, 255}});
    decoder.Start();
    Canvas canvas;
    canvas.Begin(decoder);
    decoder.ReadImage(canvas);
    decoder.Finish();
    ExpectGreyPalette(canvas);
}

// --- Progressive redraw ------------------------------------------------------------------

TEST(JpegDecode, ProgressiveRedrawEndsWithTheFullQualityPicture) {
    const Bytes file = WriteJpeg(ColourPicture(61, 45), {.progressive = true});
    const Canvas canvas = Decode(file, {.ProgressiveRedraw = true});
    EXPECT_GT(canvas.rowsAsked, 2);  // one pass per scan, then the last
    ExpectPixelsEqual(canvas, ReferenceDecode(file));
}

TEST(JpegDecode, ProgressiveRedrawInEightBitTakesTheFinalPalette) {
    const Samples picture = ColourPicture(61, 45);
    const Bytes file = WriteJpeg(picture, {.progressive = true});
    const Canvas canvas = Decode(file, {.OutputDepth = od8Bit, .ProgressiveRedraw = true});
    EXPECT_EQ(canvas.palettesTaken, 2);  // the quick passes' colours, then the final choice
    EXPECT_LE(canvas.palette.size(), 236u);
    EXPECT_LT(*std::max_element(canvas.memory.begin(), canvas.memory.end()), canvas.palette.size());
    EXPECT_LT(BlockMeanError(canvas, ReferenceDecode(file)), 6.0);
}

// --- Damaged and oversized files -----------------------------------------------------------

TEST(JpegDecode, TruncatedFileDecodesWithTheMissingRowsFilled) {
    const Bytes whole = WriteJpeg(ColourPicture(64, 256));
    const Bytes cut(whole.begin(), whole.begin() + whole.size() * 2 / 3);
    // Whatever the memory held before, every byte comes out the same: all rows written.
    const Canvas zeros = Decode(cut, {}, Canvas(false, 0x00));
    const Canvas ones = Decode(cut, {}, Canvas(false, 0xFF));
    EXPECT_EQ(zeros.memory, ones.memory);
    // The rows before the cut are the picture's.
    const Canvas full = Decode(whole);
    EXPECT_TRUE(std::equal(full.memory.begin(), full.memory.begin() + 64 * full.stride, zeros.memory.begin()));
}

TEST(JpegDecode, DamagedFilesDecodeOrRaiseOnlyAJpegError) {
    // Bytes changed all over sequential and progressive files, decoded with each kind of
    // output: the result is a picture or EJPEG, never anything else.
    const JpegDecodeSettings settings[] = {
        {}, {.OutputDepth = od8Bit}, {.GrayOutput = true, .DecodeMode = dmBestSpeed}, {.ProgressiveRedraw = true}};
    int decoded = 0, refused = 0;
    for (const bool progressive : {false, true}) {
        const Bytes file = WriteJpeg(ColourPicture(40, 32), {.progressive = progressive, .restartRows = 2});
        std::uint32_t seed = 12345;
        auto next = [&] { return seed = seed * 1103515245 + 12345, seed >> 8; };
        for (int round = 0; round < 120; ++round) {
            Bytes damaged = file;
            for (int change = 0; change < 1 + round % 4; ++change)
                damaged[2 + next() % (damaged.size() - 2)] = static_cast<std::uint8_t>(next());
            const JpegDecodeSettings& chosen = settings[round % std::size(settings)];
            try {
                const Canvas canvas = Decode(damaged, chosen, Canvas(round % 2 == 1));
                EXPECT_GT(canvas.width, 0);
                ++decoded;
            } catch (const EJPEG&) {
                ++refused;
            }
        }
    }
    EXPECT_GT(decoded, 20);
    EXPECT_GT(refused, 20);
}

TEST(JpegDecode, OversizedPictureIsRefusedBeforeAnyAllocation) {
    const Bytes file = test::WithFrameSize(WriteJpeg(ColourPicture(16, 16)), 65000, 65000);
    for (const JpegDecodeSettings settings : {JpegDecodeSettings{}, JpegDecodeSettings{.GrayOutput = true}}) {
        const auto stream = StreamOf(file);
        JpegDecompression decoder(*stream, settings);
        EXPECT_EQ(decoder.ImageWidth(), 65000);
        const EJPEG error = CatchJpegError([&] { decoder.Start(); });
        EXPECT_EQ(error.ErrorCode(), JERR_IMAGE_TOO_BIG);
        EXPECT_EQ(std::string(error.Message().CStr()), "Erreur JPEG #" + std::to_string(JERR_IMAGE_TOO_BIG));
    }
}

TEST(JpegDecode, TheSizeCapCountsTheOutputScale) {
    // 65000 / 8 = 8125 pixels a side: 8125 x 24376 padded bytes, under the cap.
    const Bytes file = test::WithFrameSize(WriteJpeg(ColourPicture(16, 16)), 65000, 65000);
    const auto stream = StreamOf(file);
    JpegDecompression decoder(*stream, {.OutputScale = osEighth});
    decoder.CalcOutputDimensions();
    EXPECT_EQ(decoder.OutputWidth(), 8125);
    EXPECT_LE(std::uint64_t{8125} * ((8125 * 3 + 3) & ~3), JpegDecompression::kMaxOutputBytes);
}

TEST(JpegDecode, TheLibrarysWorkingMemoryIsCapped) {
    // A progressive file keeps every coefficient until its last scan: 65000 x 65000
    // would take gigabytes, even for a small output.
    const Bytes file = test::WithFrameSize(WriteJpeg(ColourPicture(16, 16), {.progressive = true}), 65000, 65000);
    const auto stream = StreamOf(file);
    JpegDecompression decoder(*stream, {.OutputScale = osEighth});
    const EJPEG error = CatchJpegError([&] { decoder.Start(); });
    EXPECT_EQ(error.ErrorCode(), JERR_NO_BACKING_STORE);
}

// --- Progress --------------------------------------------------------------------------

struct ProgressReport {
    TProgressStage stage;
    int percent;
    bool redraw;
    TRect r;
};

// A clock that moves on by `step` milliseconds at every reading.
struct SteppingClock {
    std::uint64_t now;
    std::uint64_t step;
    std::uint64_t operator()() { return now += step; }
};

TEST(JpegProgress, ReportsAtMostEvery500MsAndOnlyNewPercentages) {
    const Bytes file = WriteJpeg(ColourPicture(40, 400));
    std::vector<ProgressReport> reports;
    int clockReadings = 0;
    std::uint64_t now = 1000;
    JpegProgressMonitor monitor(
        [&](TProgressStage stage, std::uint8_t percent, bool redraw, const TRect& r) {
            reports.push_back({stage, percent, redraw, r});
        },
        [&] {
            ++clockReadings;
            return now += 100;
        });
    const auto stream = StreamOf(file);
    JpegDecompression decoder(*stream, {}, &monitor);
    decoder.Start();
    Canvas canvas;
    canvas.Begin(decoder);
    decoder.ReadImage(canvas);
    decoder.Finish();

    ASSERT_GE(clockReadings, 390);  // one hook call per row
    // The first call only starts the clock; then one report per 500 ms at most.
    ASSERT_GE(reports.size(), 30u);
    EXPECT_LE(reports.size(), std::size_t(clockReadings / 5));
    int lastPercent = 0;
    int lastBottom = 0;
    for (const ProgressReport& report : reports) {
        EXPECT_EQ(report.stage, progressRunning);
        EXPECT_GT(report.percent, lastPercent);
        EXPECT_LE(report.percent, 100);
        // The band of rows decoded since the last report.
        EXPECT_EQ(report.r.Left, 0);
        EXPECT_EQ(report.r.Right, 40);
        EXPECT_EQ(report.r.Top, lastBottom);
        EXPECT_EQ(report.redraw, report.r.Height() >= 4);
        EXPECT_NEAR(report.percent, report.r.Bottom * 100 / 400, 1);
        lastPercent = report.percent;
        lastBottom = report.r.Bottom;
    }
}

TEST(JpegProgress, ProgressiveRedrawReportsBandsWithinThePicture) {
    // When a new pass starts over at the top, the band reported runs from the last row
    // reported to the bottom of the picture.
    const Bytes file = WriteJpeg(ColourPicture(40, 400), {.progressive = true});
    std::vector<TRect> bands;
    JpegProgressMonitor monitor([&](TProgressStage, std::uint8_t, bool, const TRect& r) { bands.push_back(r); },
                                SteppingClock{1000, 600});
    const auto stream = StreamOf(file);
    JpegDecompression decoder(*stream, {.ProgressiveRedraw = true}, &monitor);
    decoder.Start();
    Canvas canvas;
    canvas.Begin(decoder);
    decoder.ReadImage(canvas);
    decoder.Finish();
    ASSERT_GT(bands.size(), 10u);
    int wraps = 0;
    for (const TRect& band : bands) {
        EXPECT_LE(0, band.Top);
        EXPECT_LE(band.Top, band.Bottom);
        EXPECT_LE(band.Bottom, 400);
        wraps += band.Bottom == 400 && band.Top > 0;
    }
    EXPECT_GT(wraps, 0);
}

TEST(JpegProgress, AbortFromTheHandlerEndsTheDecodeKeepingTheRowsDone) {
    const Bytes file = WriteJpeg(ColourPicture(40, 400));
    const Canvas full = Decode(file);
    int abortedAt = -1;
    JpegProgressMonitor monitor(
        [&](TProgressStage, std::uint8_t percent, bool, const TRect& r) {
            if (percent >= 40) {
                abortedAt = r.Bottom;
                Abort();
            }
        },
        SteppingClock{1000, 600});
    const auto stream = StreamOf(file);
    Canvas canvas(false, 0xAB);
    {
        JpegDecompression decoder(*stream, {}, &monitor);
        decoder.Start();
        canvas.Begin(decoder);
        EXPECT_THROW(decoder.ReadImage(canvas), EAbort);
    }
    ASSERT_GT(abortedAt, 100);
    ASSERT_LT(abortedAt, 300);
    const std::size_t done = std::size_t(abortedAt) * canvas.stride;
    EXPECT_TRUE(std::equal(canvas.memory.begin(), canvas.memory.begin() + done, full.memory.begin()));
    EXPECT_TRUE(std::all_of(canvas.memory.begin() + done + 2 * canvas.stride, canvas.memory.end(),
                            [](std::uint8_t byte) { return byte == 0xAB; }));
}

TEST(JpegProgress, AbortWhileAProgressiveFileIsReadInAtStart) {
    // A multi-scan file is read in whole when the decode starts.
    const Bytes file = WriteJpeg(ColourPicture(40, 400), {.progressive = true});
    JpegProgressMonitor monitor([&](TProgressStage, std::uint8_t, bool, const TRect&) { Abort(); },
                                SteppingClock{1000, 600});
    const auto stream = StreamOf(file);
    JpegDecompression decoder(*stream, {}, &monitor);
    EXPECT_THROW(decoder.Start(), EAbort);
}

}  // namespace
}  // namespace orvalis

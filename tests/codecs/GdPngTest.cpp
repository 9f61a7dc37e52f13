#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "PngFiles.h"
#include "codecs/GdPng.h"
#include "tests/support/TemporaryFolder.h"

namespace orvalis::gd {
namespace {

namespace fs = std::filesystem;
using test::ChannelsOf;
using test::PngPicture;

const std::string kAlphaWarning = "gd-png warning: alpha channel not supported\n";
const std::string kTransparencyWarning = "gd-png warning: only single-color, 100% transparency supported\n";
const std::string kFatalPrefix = "gd-png:  fatal libpng error: ";
const std::string kErrorReturn = "gd-png error: setjmp returns error condition\n";
const std::string kNoImageData = "gd-png error: cannot allocate image data\n";

struct Rgb {
    int red, green, blue;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& colour) {
    return out << "(" << colour.red << ", " << colour.green << ", " << colour.blue << ")";
}

Rgb ColourOf(const gdImage& image, int index) { return {image.red[index], image.green[index], image.blue[index]}; }

Rgb ColourAt(const gdImage& image, int x, int y) { return ColourOf(image, gdImageGetPixel(image, x, y)); }

// The 216-colour cube of true-colour files, red outermost, levels 0, 51, ..., 255.
std::vector<Rgb> CubeColours() {
    std::vector<Rgb> cube;
    for (int i = 0; i < 216; ++i) cube.push_back({51 * (i / 36), 51 * (i / 6 % 6), 51 * (i % 6)});
    return cube;
}

// The first entry nearest to the colour, measured on the top five bits of each component.
int NearestEntry(const std::vector<Rgb>& entries, Rgb colour) {
    auto distance = [&](const Rgb& entry) {
        const int d[] = {std::abs(colour.red / 8 - entry.red / 8), std::abs(colour.green / 8 - entry.green / 8),
                         std::abs(colour.blue / 8 - entry.blue / 8)};
        return d[0] + d[1] + d[2] + *std::max_element(std::begin(d), std::end(d));
    };
    const auto nearest = std::min_element(entries.begin(), entries.end(),
                                          [&](const Rgb& a, const Rgb& b) { return distance(a) < distance(b); });
    return static_cast<int>(nearest - entries.begin());
}

int CountLines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

struct Decoded {
    std::unique_ptr<gdImage> image;
    std::string messages;
};

// Each test works in a scratch folder of its own.
class PngDecoding : public testing::Test {
protected:
    fs::path Write(const PngPicture& picture, const std::string& name = "picture.png") {
        const fs::path path = folder_ / name;
        test::WritePng(path, picture);
        return path;
    }

    fs::path WriteBytes(const std::vector<std::uint8_t>& bytes, const std::string& name = "file.png") {
        const fs::path path = folder_ / name;
        test::WriteBytes(path, bytes);
        return path;
    }

    static Decoded Decode(const fs::path& path) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr) {
            ADD_FAILURE() << "cannot open " << path;
            return {};
        }
        testing::internal::CaptureStderr();
        Decoded decoded;
        decoded.image = gdImageCreateFromPng(file);
        decoded.messages = testing::internal::GetCapturedStderr();
        std::fclose(file);
        return decoded;
    }

    Decoded DecodePicture(const PngPicture& picture) { return Decode(Write(picture)); }

    orvalis::test::TemporaryFolder folder_{"png"};
};

// ---------------------------------------------------------------------------------------
// Every colour type and bit depth, with and without tRNS, interlaced or not.

struct Kind {
    int colourType;
    int bitDepth;
    bool withTransparency;
    bool interlaced;
};

std::vector<Kind> AllKinds() {
    const struct {
        int colourType;
        std::vector<int> bitDepths;
        bool transparencyAllowed;
    } types[] = {
        {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}, true}, {PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}, true},
        {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}, false},  {PNG_COLOR_TYPE_RGB, {8, 16}, true},
        {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}, false},
    };
    std::vector<Kind> kinds;
    for (const auto& type : types)
        for (int bitDepth : type.bitDepths)
            for (bool withTransparency : {false, true})
                for (bool interlaced : {false, true})
                    if (!withTransparency || type.transparencyAllowed)
                        kinds.push_back({type.colourType, bitDepth, withTransparency, interlaced});
    return kinds;
}

std::string NameOf(const Kind& kind) {
    const char* type = kind.colourType == PNG_COLOR_TYPE_PALETTE      ? "Palette"
                       : kind.colourType == PNG_COLOR_TYPE_GRAY       ? "Grey"
                       : kind.colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? "GreyAlpha"
                       : kind.colourType == PNG_COLOR_TYPE_RGB        ? "Rgb"
                                                                      : "Rgba";
    return std::string(type) + std::to_string(kind.bitDepth) + (kind.withTransparency ? "Trns" : "") +
           (kind.interlaced ? "Interlaced" : "");
}

std::string KindName(const testing::TestParamInfo<Kind>& info) { return NameOf(info.param); }

void PrintTo(const Kind& kind, std::ostream* out) { *out << NameOf(kind); }

constexpr int kWidth = 13;
constexpr int kHeight = 11;

// A small linear congruential generator: the same samples on every run.
class SampleSource {
public:
    int Next(int limit) {
        state_ = state_ * 1103515245u + 12345u;
        return static_cast<int>((state_ >> 8) % static_cast<std::uint32_t>(limit));
    }

private:
    std::uint32_t state_ = 20240611;
};

// The tRNS values of the sweep, and a colour close to the RGB one.
constexpr png_uint_16 kGreyTrns8 = 77;
constexpr png_uint_16 kGreyTrns16 = 0x4DFF;
const Rgb kRgbTrns{10, 200, 30};
const png_color_16 kRgbTrns8{0, 10, 200, 30, 0};
const png_color_16 kRgbTrns16{0, 0x0AFF, 0xC801, 0x1E80, 0};

PngPicture PictureOf(const Kind& kind) {
    PngPicture picture;
    picture.width = kWidth;
    picture.height = kHeight;
    picture.colourType = kind.colourType;
    picture.bitDepth = kind.bitDepth;
    picture.interlaced = kind.interlaced;
    SampleSource source;
    const int pixels = kWidth * kHeight;

    if (kind.colourType == PNG_COLOR_TYPE_PALETTE) {
        const int entries = kind.bitDepth == 8 ? 200 : kind.bitDepth == 4 ? 11 : 1 << kind.bitDepth;
        for (int i = 0; i < entries; ++i)
            picture.palette.push_back({static_cast<png_byte>(source.Next(256)), static_cast<png_byte>(source.Next(256)),
                                       static_cast<png_byte>(source.Next(256))});
        for (int i = 0; i < pixels; ++i) picture.samples.push_back(static_cast<std::uint16_t>(source.Next(entries)));
        if (kind.withTransparency) picture.alphas = {255, 0};
        return picture;
    }

    const int sampleLimit = 1 << kind.bitDepth;
    for (int i = 0; i < pixels * ChannelsOf(kind.colourType); ++i)
        picture.samples.push_back(static_cast<std::uint16_t>(source.Next(sampleLimit)));
    if (!kind.withTransparency) return picture;

    if (kind.colourType == PNG_COLOR_TYPE_GRAY) {
        png_color_16 grey{};
        grey.gray = kind.bitDepth < 8 ? 1 : kind.bitDepth == 8 ? kGreyTrns8 : kGreyTrns16;
        picture.transparentColour = grey;
        picture.samples[0] = grey.gray;
    } else {
        const png_color_16& colour = kind.bitDepth == 8 ? kRgbTrns8 : kRgbTrns16;
        picture.transparentColour = colour;
        // The tRNS colour itself and a colour near it, which both take entry 0.
        const int scale = kind.bitDepth == 8 ? 1 : 256;
        const std::uint16_t planted[] = {colour.red,
                                         colour.green,
                                         colour.blue,
                                         static_cast<std::uint16_t>(12 * scale),
                                         static_cast<std::uint16_t>(198 * scale),
                                         static_cast<std::uint16_t>(33 * scale)};
        std::copy(std::begin(planted), std::end(planted), picture.samples.begin());
    }
    return picture;
}

struct Expected {
    int colorsTotal = 0;
    std::vector<Rgb> colours;  // the entries whose colours are defined
    int transparent = -1;
    std::vector<int> indices;
    std::string messages;
};

Expected Expect(const Kind& kind, const PngPicture& picture) {
    Expected expected;
    const int channels = ChannelsOf(kind.colourType);
    auto eightBit = [&](int sample) { return kind.bitDepth == 16 ? sample / 256 : sample; };
    auto sample = [&](int pixel, int channel) { return eightBit(picture.samples[pixel * channels + channel]); };
    const int pixels = kWidth * kHeight;

    switch (kind.colourType) {
        case PNG_COLOR_TYPE_PALETTE:
            expected.colorsTotal = static_cast<int>(picture.palette.size());
            for (const png_color& entry : picture.palette)
                expected.colours.push_back({entry.red, entry.green, entry.blue});
            expected.transparent = kind.withTransparency ? 1 : -1;
            for (int i = 0; i < pixels; ++i) expected.indices.push_back(sample(i, 0));
            break;
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_GRAY_ALPHA: {
            expected.colorsTotal = kind.bitDepth < 8 ? 1 << kind.bitDepth : 256;
            const int step = 255 / (expected.colorsTotal - 1);
            for (int i = 0; i < expected.colorsTotal; ++i) expected.colours.push_back({i * step, i * step, i * step});
            if (kind.withTransparency) expected.transparent = kind.bitDepth < 8 ? 1 : static_cast<int>(kGreyTrns8);
            for (int i = 0; i < pixels; ++i) expected.indices.push_back(sample(i, 0));
            break;
        }
        default:
            expected.colorsTotal = 256;
            if (kind.withTransparency) {
                expected.colours.push_back(kRgbTrns);
                expected.transparent = 0;
            }
            for (const Rgb& colour : CubeColours()) expected.colours.push_back(colour);
            for (int i = 0; i < pixels; ++i)
                expected.indices.push_back(NearestEntry(expected.colours, {sample(i, 0), sample(i, 1), sample(i, 2)}));
            break;
    }
    if ((kind.colourType & PNG_COLOR_MASK_ALPHA) != 0) expected.messages = kAlphaWarning;
    return expected;
}

class EveryKindOfPng : public PngDecoding, public testing::WithParamInterface<Kind> {};

TEST_P(EveryKindOfPng, GivesThePaletteAndIndicesOfItsKind) {
    const Kind kind = GetParam();
    const PngPicture picture = PictureOf(kind);
    const Expected expected = Expect(kind, picture);

    const Decoded decoded = DecodePicture(picture);
    ASSERT_NE(decoded.image, nullptr) << decoded.messages;
    const gdImage& image = *decoded.image;
    EXPECT_EQ(decoded.messages, expected.messages);
    EXPECT_EQ(image.sx, kWidth);
    EXPECT_EQ(image.sy, kHeight);
    EXPECT_EQ(image.colorsTotal, expected.colorsTotal);
    EXPECT_EQ(image.transparent, expected.transparent);
    EXPECT_EQ(image.interlace, kind.interlaced ? 1 : 0);
    for (std::size_t i = 0; i < expected.colours.size(); ++i)
        EXPECT_EQ(ColourOf(image, static_cast<int>(i)), expected.colours[i]) << "entry " << i;

    std::set<int> used;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int index = expected.indices[static_cast<std::size_t>(y * kWidth + x)];
            EXPECT_EQ(gdImageGetPixel(image, x, y), index) << "pixel " << x << "," << y;
            used.insert(index);
        }
    for (int i = 0; i < gdMaxColors; ++i) EXPECT_EQ(image.open[i], used.count(i) != 0 ? 0 : 1) << "entry " << i;
}

INSTANTIATE_TEST_SUITE_P(PngDecoding, EveryKindOfPng, testing::ValuesIn(AllKinds()), KindName);

// ---------------------------------------------------------------------------------------
// Values worked out by hand.

PngPicture TrueColourRow(int colourType, std::vector<std::uint16_t> samples) {
    PngPicture picture;
    picture.colourType = colourType;
    picture.width = static_cast<int>(samples.size()) / ChannelsOf(colourType);
    picture.height = 1;
    picture.samples = std::move(samples);
    return picture;
}

TEST_F(PngDecoding, TrueColourPixelsTakeTheirCubeColour) {
    const Decoded decoded =
        DecodePicture(TrueColourRow(PNG_COLOR_TYPE_RGB, {255, 0, 0, 200, 100, 50, 0, 0, 0, 25, 25, 25, 255, 255, 255}));
    ASSERT_NE(decoded.image, nullptr);
    const gdImage& image = *decoded.image;
    EXPECT_EQ(gdImageGetPixel(image, 0, 0), 180);  // 36 × 5
    EXPECT_EQ(ColourAt(image, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(gdImageGetPixel(image, 1, 0), 157);  // 36 × 4 + 6 × 2 + 1
    EXPECT_EQ(ColourAt(image, 1, 0), (Rgb{204, 102, 51}));
    EXPECT_EQ(gdImageGetPixel(image, 2, 0), 0);
    // (25, 25, 25) is as near to black as to (51, 51, 51) and to its neighbours: the
    // lowest entry wins.
    EXPECT_EQ(gdImageGetPixel(image, 3, 0), 0);
    EXPECT_EQ(ColourAt(image, 3, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(gdImageGetPixel(image, 4, 0), 215);
    EXPECT_EQ(image.colorsTotal, 256);
    EXPECT_EQ(image.transparent, -1);
    EXPECT_EQ(decoded.messages, "");
}

TEST_F(PngDecoding, AlphaPlaysNoPartInTheColour) {
    const Decoded rgb = DecodePicture(TrueColourRow(PNG_COLOR_TYPE_RGB, {10, 20, 30, 200, 100, 50}));
    const Decoded rgba =
        Decode(Write(TrueColourRow(PNG_COLOR_TYPE_RGB_ALPHA, {10, 20, 30, 0, 200, 100, 50, 255}), "alpha.png"));
    ASSERT_NE(rgb.image, nullptr);
    ASSERT_NE(rgba.image, nullptr);
    EXPECT_EQ(gdImageGetPixel(*rgba.image, 0, 0), gdImageGetPixel(*rgb.image, 0, 0));
    EXPECT_EQ(gdImageGetPixel(*rgba.image, 1, 0), gdImageGetPixel(*rgb.image, 1, 0));
    // (10, 20, 30) is as near to black as to (0, 0, 51): the lower entry wins.
    EXPECT_EQ(gdImageGetPixel(*rgba.image, 0, 0), 0);
    EXPECT_EQ(ColourAt(*rgba.image, 1, 0), (Rgb{204, 102, 51}));
    EXPECT_EQ(rgba.messages, kAlphaWarning);
    EXPECT_EQ(rgb.messages, "");
}

TEST_F(PngDecoding, SixteenBitGreyKeepsTheHighByte) {
    PngPicture picture;
    picture.width = 2;
    picture.height = 1;
    picture.bitDepth = 16;
    picture.samples = {0x12FF, 0xFF00};
    const Decoded decoded = DecodePicture(picture);
    ASSERT_NE(decoded.image, nullptr);
    EXPECT_EQ(gdImageGetPixel(*decoded.image, 0, 0), 0x12);
    EXPECT_EQ(ColourAt(*decoded.image, 0, 0), (Rgb{18, 18, 18}));
    EXPECT_EQ(gdImageGetPixel(*decoded.image, 1, 0), 0xFF);
}

TEST_F(PngDecoding, LowDepthGreyRampsRunFromBlackToWhite) {
    const struct {
        int bitDepth;
        std::vector<int> greys;
    } cases[] = {
        {1, {0, 255}},
        {2, {0, 85, 170, 255}},
        {4, {0, 17, 34, 51, 68, 85, 102, 119, 136, 153, 170, 187, 204, 221, 238, 255}},
    };
    for (const auto& ramp : cases) {
        SCOPED_TRACE(ramp.bitDepth);
        PngPicture picture;
        picture.width = static_cast<int>(ramp.greys.size());
        picture.height = 1;
        picture.bitDepth = ramp.bitDepth;
        for (int i = 0; i < picture.width; ++i)
            picture.samples.push_back(static_cast<std::uint16_t>(picture.width - 1 - i));
        const Decoded decoded = DecodePicture(picture);
        ASSERT_NE(decoded.image, nullptr);
        EXPECT_EQ(decoded.image->colorsTotal, picture.width);
        for (int i = 0; i < picture.width; ++i) {
            const int grey = ramp.greys[static_cast<std::size_t>(picture.width - 1 - i)];
            EXPECT_EQ(ColourAt(*decoded.image, i, 0), (Rgb{grey, grey, grey})) << "pixel " << i;
        }
    }
}

TEST_F(PngDecoding, TrueColourTransparencyIsEntryZeroBeforeTheCube) {
    PngPicture picture =
        TrueColourRow(PNG_COLOR_TYPE_RGB, {0x0AFF, 0xC801, 0x1E80, 0x0C00, 0xC600, 0x2100, 0, 0, 0, 0xFFFF, 0, 0});
    picture.bitDepth = 16;
    picture.transparentColour = kRgbTrns16;
    const Decoded decoded = DecodePicture(picture);
    ASSERT_NE(decoded.image, nullptr);
    const gdImage& image = *decoded.image;
    EXPECT_EQ(image.transparent, 0);
    EXPECT_EQ(ColourOf(image, 0), kRgbTrns);
    EXPECT_EQ(ColourOf(image, 1), (Rgb{0, 0, 0}));
    EXPECT_EQ(ColourOf(image, 2), (Rgb{0, 0, 51}));
    EXPECT_EQ(ColourOf(image, 216), (Rgb{255, 255, 255}));
    EXPECT_EQ(gdImageGetPixel(image, 0, 0), 0);
    EXPECT_EQ(gdImageGetPixel(image, 1, 0), 0);
    EXPECT_EQ(gdImageGetPixel(image, 2, 0), 1);
    EXPECT_EQ(gdImageGetPixel(image, 3, 0), 181);  // 1 + 36 × 5
    EXPECT_EQ(decoded.messages, "");
}

TEST_F(PngDecoding, PaletteTransparencyKeepsOneEntry) {
    const struct {
        std::vector<png_byte> alphas;
        int transparent;
        bool warned;
    } cases[] = {
        {{255, 0, 255}, 1, false},                                // one fully transparent entry
        {{128, 64}, 1, true},                                     // two partly transparent: the most transparent
        {{255, 128}, 1, true},                                    // one, but only partly transparent
        {{0, 0}, 0, true},                                        // a tie: the first
        {{200, 0, 100}, 1, true},  {{255, 255, 255}, -1, false},  // all opaque
    };
    for (const auto& sample : cases) {
        SCOPED_TRACE(testing::PrintToString(std::vector<int>(sample.alphas.begin(), sample.alphas.end())));
        PngPicture picture;
        picture.colourType = PNG_COLOR_TYPE_PALETTE;
        picture.width = 3;
        picture.height = 1;
        picture.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}};
        picture.samples = {0, 1, 2};
        picture.alphas = sample.alphas;
        const Decoded decoded = DecodePicture(picture);
        ASSERT_NE(decoded.image, nullptr);
        EXPECT_EQ(decoded.image->transparent, sample.transparent);
        EXPECT_EQ(decoded.image->colorsTotal, 4);
        EXPECT_EQ(decoded.messages, sample.warned ? kTransparencyWarning : "");
    }
}

// The tRNS chunk written by hand: libpng's writer refuses out-of-range values.
std::vector<std::uint8_t> TrnsData(std::initializer_list<png_uint_16> samples) {
    std::vector<std::uint8_t> data;
    for (png_uint_16 sample : samples)
        data.insert(data.end(), {static_cast<std::uint8_t>(sample >> 8), static_cast<std::uint8_t>(sample)});
    return data;
}

TEST_F(PngDecoding, GreyTransparencyIsTheGreyLevel) {
    const struct {
        int bitDepth;
        png_uint_16 grey;
        int transparent;
    } cases[] = {
        {8, 77, 77},
        {16, 0x4DFF, 0x4D},
        {2, 2, 2},
        {1, 0, 0},
        // A level the bit depth cannot hold matches no pixel: no transparent index.
        {8, 300, -1},
        {2, 4, -1},
    };
    for (const auto& sample : cases) {
        SCOPED_TRACE(testing::Message() << sample.bitDepth << " bits, grey " << sample.grey);
        PngPicture picture;
        picture.width = 1;
        picture.height = 1;
        picture.bitDepth = sample.bitDepth;
        picture.samples = {0};
        const std::vector<std::uint8_t> bytes = test::ReadBytes(Write(picture));
        const Decoded decoded =
            Decode(WriteBytes(test::WithChunkBeforeImageData(bytes, "tRNS", TrnsData({sample.grey}))));
        ASSERT_NE(decoded.image, nullptr);
        EXPECT_EQ(decoded.image->transparent, sample.transparent);
        EXPECT_EQ(decoded.messages.find("gd-png"), std::string::npos) << decoded.messages;
    }
}

TEST_F(PngDecoding, TrueColourTransparencyOutOfRangeIsIgnored) {
    const std::vector<std::uint8_t> bytes = test::ReadBytes(Write(TrueColourRow(PNG_COLOR_TYPE_RGB, {0, 0, 0})));
    const Decoded decoded = Decode(WriteBytes(test::WithChunkBeforeImageData(bytes, "tRNS", TrnsData({300, 0, 0}))));
    ASSERT_NE(decoded.image, nullptr);
    EXPECT_EQ(decoded.image->transparent, -1);
    EXPECT_EQ(ColourOf(*decoded.image, 1), (Rgb{0, 0, 51}));  // the cube starts at entry 0
    EXPECT_EQ(decoded.messages.find("gd-png"), std::string::npos) << decoded.messages;
    // libpng read the chunk and said so.
    EXPECT_NE(decoded.messages.find("libpng warning: tRNS"), std::string::npos) << decoded.messages;
}

// ---------------------------------------------------------------------------------------
// Files that are not PNG, damaged or hostile.

TEST_F(PngDecoding, NotAPngGivesNothingAndSaysNothing) {
    const std::vector<std::uint8_t> signature = test::PngSignature();
    std::vector<std::uint8_t> wrongByte = signature;
    wrongByte[7] = 0x0B;
    const std::vector<std::vector<std::uint8_t>> files = {
        {},
        {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0},
        {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0},
        std::vector<std::uint8_t>(signature.begin(), signature.begin() + 7),
        wrongByte,
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        const Decoded decoded = Decode(WriteBytes(files[i]));
        EXPECT_EQ(decoded.image, nullptr);
        EXPECT_EQ(decoded.messages, "");
    }
}

PngPicture SmallRgb() {
    PngPicture picture;
    picture.colourType = PNG_COLOR_TYPE_RGB;
    picture.width = 16;
    picture.height = 16;
    SampleSource source;
    for (int i = 0; i < 16 * 16 * 3; ++i) picture.samples.push_back(static_cast<std::uint16_t>(source.Next(256)));
    return picture;
}

// The header rewritten with a correct CRC, the rest of the file kept.
std::vector<std::uint8_t> WithHeader(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t> header) {
    std::vector<std::uint8_t> result = test::PngSignature();
    test::AppendChunk(result, "IHDR", header);
    result.insert(result.end(), bytes.begin() + 33, bytes.end());
    return result;
}

TEST_F(PngDecoding, DamagedFilesGiveNothingAndTheTwoErrorLines) {
    const std::vector<std::uint8_t> good = test::ReadBytes(Write(SmallRgb(), "good.png"));
    const std::size_t idat = test::FindChunk(good, "IDAT");
    const struct {
        const char* name;
        std::function<std::vector<std::uint8_t>(std::vector<std::uint8_t>)> damage;
        const char* libpngSays;
    } cases[] = {
        {"header CRC broken",
         [](std::vector<std::uint8_t> bytes) {
             bytes[8 + 8 + 13] ^= 0xFF;
             return bytes;
         },
         "IHDR: CRC error"},
        {"image data byte flipped",
         [&](std::vector<std::uint8_t> bytes) {
             bytes[idat + 8 + 20] ^= 0x40;
             return bytes;
         },
         "IDAT"},
        {"cut inside the image data",
         [&](std::vector<std::uint8_t> bytes) {
             bytes.resize(idat + 8 + 40);
             return bytes;
         },
         "Read Error"},
        {"colour type 5",
         [](std::vector<std::uint8_t> bytes) { return WithHeader(bytes, test::HeaderData(16, 16, 8, 5)); }, "IHDR"},
        {"palette type without PLTE",
         [](std::vector<std::uint8_t> bytes) { return WithHeader(bytes, test::HeaderData(16, 16, 8, 3)); }, "PLTE"},
        {"bit depth 3",
         [](std::vector<std::uint8_t> bytes) { return WithHeader(bytes, test::HeaderData(16, 16, 3, 0)); }, "IHDR"},
    };
    for (const auto& sample : cases) {
        SCOPED_TRACE(sample.name);
        const Decoded decoded = Decode(WriteBytes(sample.damage(good)));
        EXPECT_EQ(decoded.image, nullptr);
        // libpng may warn first; the last two lines are the error and the decoder's return.
        const std::string& messages = decoded.messages;
        ASSERT_TRUE(messages.ends_with("\n" + kErrorReturn)) << messages;
        const std::string before = messages.substr(0, messages.size() - kErrorReturn.size());
        const std::size_t fatal = before.rfind(kFatalPrefix);
        ASSERT_NE(fatal, std::string::npos) << messages;
        EXPECT_TRUE(fatal == 0 || before[fatal - 1] == '\n') << messages;
        EXPECT_EQ(CountLines(before.substr(fatal)), 1) << messages;
        EXPECT_GT(before.size() - fatal, kFatalPrefix.size() + 1) << "libpng's message is missing";
        EXPECT_NE(before.find(sample.libpngSays, fatal), std::string::npos) << messages;
        for (std::size_t line = 0; line < fatal; line = before.find('\n', line) + 1)
            EXPECT_TRUE(std::string_view(before).substr(line).starts_with("libpng warning: ")) << messages;
    }
}

TEST_F(PngDecoding, LibpngWarningsAreWrittenAndDecodingGoesOn) {
    const std::vector<std::uint8_t> good = test::ReadBytes(Write(SmallRgb(), "good.png"));
    const std::size_t idat = test::FindChunk(good, "IDAT");
    std::vector<std::uint8_t> bytes =
        test::WithChunkBeforeImageData(good, "tEXt", {'T', 'i', 't', 'l', 'e', 0, 'v', 'u', 'e'});
    bytes[idat + 8 + 9] ^= 0xFF;  // the first byte of the new chunk's CRC

    const Decoded damaged = Decode(WriteBytes(bytes));
    const Decoded reference = Decode(folder_ / "good.png");
    ASSERT_NE(damaged.image, nullptr) << damaged.messages;
    ASSERT_NE(reference.image, nullptr);
    EXPECT_EQ(damaged.messages, "libpng warning: tEXt: CRC error\n");
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(gdImageGetPixel(*damaged.image, x, y), gdImageGetPixel(*reference.image, x, y));
}

// The picture a PNG file becomes is worked on as 32-bit pixels: a header whose picture
// would take more than 1 GiB so is refused before anything is allocated, however few
// bytes its samples take. The largest picture within the bound passes the header and
// fails on the file's missing pixels.
TEST_F(PngDecoding, OversizedHeaderIsRefusedBeforeAnyAllocation) {
    const struct {
        std::uint32_t width, height;
        int bitDepth, colourType;
        bool refused;
    } cases[] = {
        {65000, 65000, 8, PNG_COLOR_TYPE_RGB, true},
        {65000, 65000, 1, PNG_COLOR_TYPE_GRAY, true},
        {1000000, 1000000, 16, PNG_COLOR_TYPE_RGB_ALPHA, true},
        {32761, 32768, 8, PNG_COLOR_TYPE_GRAY, true},  // its samples and row table alone pass 1 GiB
        {18000, 18000, 8, PNG_COLOR_TYPE_RGB, true},   // 972 MB of samples, 1.3 GB as 32-bit pixels
        {16385, 16384, 1, PNG_COLOR_TYPE_GRAY, true},  // one column past the bound
        {16384, 16385, 8, PNG_COLOR_TYPE_RGB, true},   // one row past it
        {16384, 16384, 8, PNG_COLOR_TYPE_GRAY, false},
        {65536, 4096, 8, PNG_COLOR_TYPE_GRAY, false},
    };
    for (const auto& header : cases) {
        SCOPED_TRACE(testing::Message() << header.width << " x " << header.height);
        std::vector<std::uint8_t> bytes = test::PngSignature();
        test::AppendChunk(bytes, "IHDR",
                          test::HeaderData(header.width, header.height, header.bitDepth, header.colourType));
        test::AppendChunk(bytes, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
        test::AppendChunk(bytes, "IEND", {});
        const Decoded decoded = Decode(WriteBytes(bytes));
        EXPECT_EQ(decoded.image, nullptr);
        const bool alpha = (header.colourType & PNG_COLOR_MASK_ALPHA) != 0;
        if (header.refused) {
            EXPECT_EQ(decoded.messages, (alpha ? kAlphaWarning : "") + kNoImageData);
        } else {
            EXPECT_TRUE(decoded.messages.starts_with("gd-png:  fatal libpng error: ") &&
                        decoded.messages.ends_with(kErrorReturn))
                << decoded.messages;
        }
    }
}

// Each decode recovers from libpng errors through its own read structure, so decodes on
// different threads do not disturb each other.
TEST_F(PngDecoding, DecodesOnTwoThreadsStayIndependent) {
    const fs::path good = Write(SmallRgb(), "good.png");
    std::vector<std::uint8_t> bytes = test::ReadBytes(good);
    bytes[8 + 8 + 13] ^= 0xFF;
    const fs::path damaged = WriteBytes(bytes, "damaged.png");
    const Decoded reference = Decode(good);
    ASSERT_NE(reference.image, nullptr);

    auto decode = [](const fs::path& path) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::unique_ptr<gdImage> image = file != nullptr ? gdImageCreateFromPng(file) : nullptr;
        if (file != nullptr) std::fclose(file);
        return image;
    };
    std::atomic<int> wrong{0};
    auto work = [&] {
        for (int round = 0; round < 20; ++round) {
            if (decode(damaged) != nullptr) ++wrong;
            const std::unique_ptr<gdImage> image = decode(good);
            if (image == nullptr ||
                !std::equal(image->pixels[0], image->pixels[0] + 16 * 16, reference.image->pixels[0]))
                ++wrong;
        }
    };
    testing::internal::CaptureStderr();
    std::thread first(work);
    std::thread second(work);
    first.join();
    second.join();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace orvalis::gd

// The pages of a large picture let go of, kept for the next picture of the same size: a
// decoder's unfilled DIB of that size gets them (the old pixels still there, the row
// padding made zero), a zero-filled DIB or one of another size sends them back to the
// system, small pictures keep nothing, and a decode's scope gives back what it left.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/raster/DibImage.h"
#include "platform/raster/RecycledPixels.h"
#include "tests/platform/RasterLayout.h"

namespace orvalis::platform::raster {
namespace {

constexpr std::uint8_t kOldByte = 0xAB;

// A DIB of `info` whose every byte, padding included, is kOldByte, then let go of; the
// address its pixels had.
const std::uint8_t* LetGoOf(const BitmapInfo& info) {
    std::unique_ptr<DibImage> old = DibImage::Create(info);
    EXPECT_TRUE(old);
    std::memset(old->Bits(), kOldByte, old->Header().biSizeImage);
    const std::uint8_t* bits = old->Bits();
    old.reset();
    return bits;
}

class RecycledPixels : public ::testing::Test {
protected:
    RecycledPixels() { ReleaseRecycledPixels(); }
    ~RecycledPixels() override { ReleaseRecycledPixels(); }
};

TEST_F(RecycledPixels, AnUnfilledPictureOfTheSameSizeTakesThePagesOfTheOneLetGoOf) {
    // 1001 pixels of 24 bits: 3003 bytes a row and one of padding.
    const BitmapInfo layout = Layout(1001, 1000, 24);
    const std::uint8_t* old = LetGoOf(layout);
    EXPECT_EQ(RecycledPixelsSize(), 3004u * 1000u);

    std::unique_ptr<DibImage> next = DibImage::CreateUnfilled(layout);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->Bits(), old) << "the same buffer";
    EXPECT_EQ(RecycledPixelsSize(), 0u) << "taken";
    for (int y : {0, 500, 999}) {
        const std::uint8_t* row = next->RowBits(y);
        EXPECT_EQ(row[0], kOldByte) << "the old pixels, not fresh zero pages";
        EXPECT_EQ(row[3002], kOldByte);
        EXPECT_EQ(row[3003], 0) << "the padding of row " << y << " is zero";
    }
    // Another layout of the same byte size takes them too (a top-down 32-bit picture).
    next.reset();
    std::unique_ptr<DibImage> other = DibImage::CreateUnfilled(Layout(751, -1000, 32));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->Bits(), old);
}

TEST_F(RecycledPixels, WhatCannotTakeThePagesSendsThemBack) {
    const BitmapInfo large = Layout(1000, 1000, 24);
    const struct {
        const char* what;
        BitmapInfo next;
        bool unfilled;
    } cases[] = {
        {"a zero-filled picture of the same size", large, false},
        {"a picture of another size", Layout(1000, 999, 24), true},
        {"a zero-filled picture of another size", Layout(2000, 1000, 24), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LetGoOf(large);
        ASSERT_EQ(RecycledPixelsSize(), 3000u * 1000u);
        std::unique_ptr<DibImage> next = c.unfilled ? DibImage::CreateUnfilled(c.next) : DibImage::Create(c.next);
        ASSERT_TRUE(next);
        EXPECT_EQ(RecycledPixelsSize(), 0u) << "never two large buffers held for one picture";
        if (!c.unfilled) {
            const std::uint8_t* bits = next->Bits();
            const std::size_t size = next->Header().biSizeImage;
            EXPECT_TRUE(std::all_of(bits, bits + size, [](std::uint8_t b) { return b == 0; })) << "zero, as made";
        }
        next.reset();
        ReleaseRecycledPixels();
    }
}

TEST_F(RecycledPixels, SmallPicturesKeepNothingAndADecodesScopeGivesBackWhatItLeft) {
    LetGoOf(Layout(100, 100, 24));
    EXPECT_EQ(RecycledPixelsSize(), 0u) << "30 KB: freed at once";

    {
        const RecycledPixelsUse decode;
        LetGoOf(Layout(1000, 1000, 24));
        EXPECT_EQ(RecycledPixelsSize(), 3000u * 1000u);
    }
    EXPECT_EQ(RecycledPixelsSize(), 0u) << "not taken: given back at the end of the decode";
}

}  // namespace
}  // namespace orvalis::platform::raster

// The decode of a JPEG file away from the user-interface thread: the same picture as
// the JPEG image's own decode, byte for byte, once adopted by a bitmap; the same
// refusals; a stop as soon as it is cancelled; nothing for 8-bit output; the rows of a
// file of several scans left for the end, made then whatever became of the cancel flag.

#include <gtest/gtest.h>
#include <jerror.h>

#include <cstring>
#include <memory>
#include <thread>

#include "JPEGImageFiles.h"
#include "codecs/JpegPictureDecode.h"
#include "platform/headless/HeadlessSession.h"
#include "runtime/Exceptions.h"
#include "runtime/ScopedValue.h"

namespace orvalis {
namespace {

using test::Bytes;
using test::ColourPicture;
using test::JpegOptions;
using test::WriteJpeg;

std::unique_ptr<TMemoryStream> StreamOf(const Bytes& bytes) {
    auto stream = std::make_unique<TMemoryStream>();
    stream->WriteBuffer(bytes.data(), bytes.size());
    return stream;
}

// Every row of both bitmaps, byte for byte.
void ExpectSamePixels(TBitmap& actual, TBitmap& expected) {
    ASSERT_EQ(actual.PixelLayout(), expected.PixelLayout());
    ASSERT_EQ(actual.Width(), expected.Width());
    ASSERT_EQ(actual.Height(), expected.Height());
    const std::size_t rowBytes = std::size_t(expected.Width()) * 3;
    for (int y = 0; y < expected.Height(); ++y)
        ASSERT_EQ(std::memcmp(actual.RowPointer(y), expected.RowPointer(y), rowBytes), 0) << "row " << y;
}

// The prepared picture of `bytes`, finished at once.
std::unique_ptr<platform::raster::DibImage> DecodeWhole(const Bytes& bytes, const JpegDecodeSettings& settings,
                                                        const std::atomic<bool>& cancel) {
    std::unique_ptr<PreparedJpegPicture> prepared = PreparedJpegPicture::Decode(StreamOf(bytes), settings, cancel);
    return prepared ? prepared->Finish() : nullptr;
}

class JpegPictureDecode : public ::testing::Test {
protected:
    // The picture decoded whole from `file`, adopted by a bitmap, is the JPEG image's own.
    void ExpectTheImagesPicture(const Bytes& file) {
        TJPEGImage image;
        test::LoadBytes(image, file);
        TBitmap expected;
        expected.CopyFromObject(&image);
        TBitmap adopted;
        AdoptJpegPicture(adopted, DecodeWhole(file, image.DecodeSettings(), cancel));
        ExpectSamePixels(adopted, expected);
    }

    platform::headless::HeadlessSession session;
    test::JpegImageStartUp startUp;
    std::atomic<bool> cancel{false};
};

TEST_F(JpegPictureDecode, GivesTheJpegImagesOwnPicture) {
    // Baseline, progressive, RGB-coded and four-component files; odd sizes.
    const struct {
        const char* what;
        JpegOptions options;
        int width, height;
    } cases[] = {
        {"baseline", {}, 97, 61},
        {"progressive", {.progressive = true}, 64, 33},
        {"RGB coded", {.stored = JCS_RGB}, 31, 17},
        {"two rows", {}, 40, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectTheImagesPicture(WriteJpeg(ColourPicture(c.width, c.height), c.options));
    }
}

TEST_F(JpegPictureDecode, RefusesWhatTheJpegImageRefuses) {
    try {
        DecodeWhole(Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0}, JpegDecodeSettings{}, cancel);
        FAIL() << "no error";
    } catch (const EJPEG& error) {
        EXPECT_EQ(error.ErrorCode(), JERR_NO_SOI);
    }
    // A file cut in the middle decodes, its missing rows filled by the library, as the
    // image's decode does.
    Bytes file = WriteJpeg(ColourPicture(80, 80));
    file.resize(file.size() / 2);
    ExpectTheImagesPicture(file);
}

TEST_F(JpegPictureDecode, LeavesEightBitOutputToTheImage) {
    const Bytes colour = WriteJpeg(ColourPicture(16, 16));
    EXPECT_EQ(PreparedJpegPicture::Decode(StreamOf(colour), JpegDecodeSettings{.OutputDepth = od8Bit}, cancel),
              nullptr);
    const Bytes grey = WriteJpeg(ColourPicture(16, 16), {.stored = JCS_GRAYSCALE});
    EXPECT_EQ(PreparedJpegPicture::Decode(StreamOf(grey), JpegDecodeSettings{}, cancel), nullptr)
        << "greyscale files give 8-bit rows";
}

TEST_F(JpegPictureDecode, StopsWhenCancelledFromAnotherThread) {
    cancel = true;
    EXPECT_THROW(DecodeWhole(WriteJpeg(ColourPicture(64, 64)), JpegDecodeSettings{}, cancel), EAbort);
    EXPECT_THROW(DecodeWhole(WriteJpeg(ColourPicture(64, 64), {.progressive = true}), JpegDecodeSettings{}, cancel),
                 EAbort)
        << "the scans of a progressive file are read under the flag";

    // Set while the decode runs on its own thread: it ends with EAbort or, when the
    // flag came too late, with the whole picture; never with anything else.
    std::atomic<bool> late{false};
    const Bytes large = WriteJpeg(ColourPicture(1200, 900));
    bool aborted = false;
    std::unique_ptr<platform::raster::DibImage> picture;
    std::thread worker([&] {
        try {
            picture = DecodeWhole(large, JpegDecodeSettings{}, late);
        } catch (const EAbort&) {
            aborted = true;
        }
    });
    late = true;
    worker.join();
    EXPECT_TRUE(aborted || (picture && picture->Width() == 1200));
}

TEST_F(JpegPictureDecode, LeavesTheRowsOfSeveralScansForTheEnd) {
    // Rows pending only where the library holds the coefficients of the whole picture:
    // a file of several scans, not shown scan by scan.
    const struct {
        const char* what;
        JpegOptions options;
        JpegDecodeSettings settings;
        bool pending;
    } cases[] = {
        {"baseline", {}, {}, false},
        {"progressive", {.progressive = true}, {}, true},
        {"progressive, shown scan by scan", {.progressive = true}, {.ProgressiveRedraw = true}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes file = WriteJpeg(ColourPicture(48, 40), c.options);
        const ScopedValue redraw(DefaultJPEGSettings.ProgressiveRedraw, c.settings.ProgressiveRedraw);
        TJPEGImage image;
        test::LoadBytes(image, file);
        TBitmap expected;
        expected.CopyFromObject(&image);

        // The preparation's thread, with a cancel flag of its own that is gone, set,
        // when the rows are written.
        std::unique_ptr<PreparedJpegPicture> prepared;
        {
            std::atomic<bool> preparationCancel{false};
            std::thread([&] {
                prepared = PreparedJpegPicture::Decode(StreamOf(file), c.settings, preparationCancel);
            }).join();
            preparationCancel = true;
        }
        ASSERT_TRUE(prepared);
        EXPECT_EQ(prepared->RowsPending(), c.pending);
        TBitmap adopted;
        AdoptJpegPicture(adopted, prepared->Finish());
        EXPECT_FALSE(prepared->RowsPending());
        ExpectSamePixels(adopted, expected);
    }
}

}  // namespace
}  // namespace orvalis

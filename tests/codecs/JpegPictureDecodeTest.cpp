// The decode of a JPEG file away from the user-interface thread: the same picture as
// the JPEG image's own decode, byte for byte, once adopted by a bitmap; the same
// refusals; a stop as soon as it is cancelled; nothing for 8-bit output.

#include <gtest/gtest.h>
#include <jerror.h>

#include <cstring>
#include <memory>
#include <thread>

#include "JPEGImageFiles.h"
#include "codecs/JpegPictureDecode.h"
#include "platform/headless/HeadlessSession.h"
#include "runtime/Exceptions.h"

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

class JpegPictureDecode : public ::testing::Test {
protected:
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
        const Bytes file = WriteJpeg(ColourPicture(c.width, c.height), c.options);
        TJPEGImage image;
        test::LoadBytes(image, file);
        TBitmap expected;
        expected.CopyFromObject(&image);

        auto stream = StreamOf(file);
        TBitmap adopted;
        AdoptJpegPicture(adopted, DecodeJpegPicture(*stream, image.DecodeSettings(), cancel));
        ExpectSamePixels(adopted, expected);
    }
}

TEST_F(JpegPictureDecode, RefusesWhatTheJpegImageRefuses) {
    auto notJpeg = StreamOf(Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0});
    try {
        DecodeJpegPicture(*notJpeg, JpegDecodeSettings{}, cancel);
        FAIL() << "no error";
    } catch (const EJPEG& error) {
        EXPECT_EQ(error.ErrorCode(), JERR_NO_SOI);
    }
    // A file cut in the middle decodes, its missing rows filled by the library, as the
    // image's decode does.
    Bytes file = WriteJpeg(ColourPicture(80, 80));
    file.resize(file.size() / 2);
    TJPEGImage image;
    test::LoadBytes(image, file);
    TBitmap expected;
    expected.CopyFromObject(&image);
    auto cut = StreamOf(file);
    TBitmap adopted;
    AdoptJpegPicture(adopted, DecodeJpegPicture(*cut, image.DecodeSettings(), cancel));
    ExpectSamePixels(adopted, expected);
}

TEST_F(JpegPictureDecode, LeavesEightBitOutputToTheImage) {
    auto colour = StreamOf(WriteJpeg(ColourPicture(16, 16)));
    EXPECT_EQ(DecodeJpegPicture(*colour, JpegDecodeSettings{.OutputDepth = od8Bit}, cancel), nullptr);
    auto grey = StreamOf(WriteJpeg(ColourPicture(16, 16), {.stored = JCS_GRAYSCALE}));
    EXPECT_EQ(DecodeJpegPicture(*grey, JpegDecodeSettings{}, cancel), nullptr) << "greyscale files give 8-bit rows";
}

TEST_F(JpegPictureDecode, StopsWhenCancelledFromAnotherThread) {
    auto stream = StreamOf(WriteJpeg(ColourPicture(64, 64)));
    cancel = true;
    EXPECT_THROW(DecodeJpegPicture(*stream, JpegDecodeSettings{}, cancel), EAbort);

    // Set while the decode runs on its own thread: it ends with EAbort or, when the
    // flag came too late, with the whole picture; never with anything else.
    std::atomic<bool> late{false};
    auto large = StreamOf(WriteJpeg(ColourPicture(1200, 900)));
    bool aborted = false;
    std::unique_ptr<platform::raster::DibImage> picture;
    std::thread worker([&] {
        try {
            picture = DecodeJpegPicture(*large, JpegDecodeSettings{}, late);
        } catch (const EAbort&) {
            aborted = true;
        }
    });
    late = true;
    worker.join();
    EXPECT_TRUE(aborted || (picture && picture->Width() == 1200));
}

}  // namespace
}  // namespace orvalis

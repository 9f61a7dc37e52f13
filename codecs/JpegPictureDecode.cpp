#include "codecs/JpegPictureDecode.h"

#include "codecs/DecodedPicture.h"
#include "codecs/JpegDecompression.h"
#include "graphics/Bitmap.h"

namespace orvalis {

namespace {

// The picture's rows, top first: a bottom-up DIB seen from its top row.
class PictureRows final : public JpegOutput {
public:
    explicit PictureRows(platform::raster::DibImage& picture) : picture_(picture) {}

    JpegRows Rows() override {
        std::uint8_t* first = picture_.RowBits(0);
        const std::ptrdiff_t step = picture_.Height() > 1 ? picture_.RowBits(1) - first : 0;
        return {first, step};
    }

    // 24-bit rows have no palette.
    void TakePalette(const std::vector<JpegPaletteEntry>&) override {}

private:
    platform::raster::DibImage& picture_;
};

}  // namespace

std::unique_ptr<platform::raster::DibImage> DecodeJpegPicture(TStream& compressed, const JpegDecodeSettings& settings,
                                                              const std::atomic<bool>& cancel) {
    // No progress is reported: the clock stays at 0, so the monitor only looks at the flag.
    JpegProgressMonitor monitor([](TProgressStage, std::uint8_t, bool, const TRect&) {}, [] { return 0; }, &cancel);
    JpegDecompression decoder(compressed, settings, &monitor);
    if (decoder.EightBitOutput()) return nullptr;
    decoder.Start();
    std::unique_ptr<platform::raster::DibImage> picture =
        NewDecodedPicture(decoder.OutputWidth(), decoder.OutputHeight(), 24);
    PictureRows rows(*picture);
    decoder.ReadImage(rows);
    decoder.Finish();
    return picture;
}

void AdoptJpegPicture(TBitmap& target, std::unique_ptr<platform::raster::DibImage> picture) {
    // The steps of the JPEG image's decode, less the decode itself.
    TBitmap decoded;
    decoded.SetPixelLayout(pl24Bit);
    decoded.SetHandle(std::move(picture));
    target.CopyFromObject(&decoded);
}

}  // namespace orvalis

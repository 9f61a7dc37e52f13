#include "codecs/JpegPictureDecode.h"

#include "codecs/DecodedPicture.h"
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

// No progress is reported: the clock stays at 0, so the monitor only looks at the flag.
PreparedJpegPicture::PreparedJpegPicture(std::unique_ptr<TStream> compressed, const JpegDecodeSettings& settings,
                                         const std::atomic<bool>& cancel)
    : compressed_(std::move(compressed)),
      monitor_([](TProgressStage, std::uint8_t, bool, const TRect&) {}, [] { return 0; }, &cancel),
      decoder_(std::make_unique<JpegDecompression>(*compressed_, settings, &monitor_)) {}

PreparedJpegPicture::~PreparedJpegPicture() = default;

std::unique_ptr<PreparedJpegPicture> PreparedJpegPicture::Decode(std::unique_ptr<TStream> compressed,
                                                                 const JpegDecodeSettings& settings,
                                                                 const std::atomic<bool>& cancel) {
    std::unique_ptr<PreparedJpegPicture> prepared(new PreparedJpegPicture(std::move(compressed), settings, cancel));
    JpegDecompression& decoder = *prepared->decoder_;
    if (decoder.EightBitOutput()) return nullptr;
    // Every scan of a file of several is read here, into the library's coefficients.
    decoder.Start();
    // A progressive redraw writes rows scan by scan and holds no rows back.
    if (!decoder.HasMultipleScans() || decoder.BufferedImage()) prepared->WriteRows();
    return prepared;
}

void PreparedJpegPicture::WriteRows() {
    picture_ = NewDecodedPicture(decoder_->OutputWidth(), decoder_->OutputHeight(), 24);
    PictureRows rows(*picture_);
    decoder_->ReadImage(rows);
    decoder_->Finish();
    decoder_.reset();
    compressed_.reset();
}

std::unique_ptr<platform::raster::DibImage> PreparedJpegPicture::Finish() {
    if (decoder_) {
        monitor_.ForgetCancel();
        WriteRows();
    }
    return std::move(picture_);
}

void AdoptJpegPicture(TBitmap& target, std::unique_ptr<platform::raster::DibImage> picture) {
    // The steps of the JPEG image's decode, less the decode itself.
    TBitmap decoded;
    decoded.SetPixelLayout(pl24Bit);
    decoded.SetHandle(std::move(picture));
    target.CopyFromObject(&decoded);
}

}  // namespace orvalis

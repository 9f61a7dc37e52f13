#include "codecs/JPEGImage.h"

#include <cassert>
#include <cstring>
#include <limits>
#include <vector>

#include "classes/ClassBuilder.h"
#include "codecs/DecodedPicture.h"
#include "codecs/JpegCompression.h"
#include "codecs/JpegDecompression.h"
#include "graphics/Canvas.h"
#include "graphics/Picture.h"
#include "platform/Platform.h"
#include "platform/Timers.h"
#include "platform/raster/Screen.h"
#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"

namespace orvalis {

TJPEGDefaultSettings DefaultJPEGSettings;

namespace {

// The clock of progress reports: the platform's tick count. Before a backend is
// installed there is no clock, and a decode reports only its start and its end.
std::uint64_t ProgressClock() { return platform::IsBackendInstalled() ? platform::GetTickCount64() : 0; }

// Where a decode puts its rows: straight into the bitmap's pixel memory. Whenever the
// library chose the colours of 8-bit rows itself (it keeps a palette given from outside
// when it can, and says so by asking nothing), the bitmap takes them: indices into one
// palette never stand beside the colours of another.
class BitmapRows final : public JpegOutput {
public:
    BitmapRows(TJPEGImage& image, TBitmap& bitmap) : image_(image), bitmap_(bitmap) {}

    JpegRows Rows() override {
        // Asked again after a palette change: giving the bitmap a palette moves its pixels.
        std::uint8_t* first = bitmap_.RowPointer(0);
        const std::ptrdiff_t step = bitmap_.Height() > 1 ? bitmap_.RowPointer(1) - first : 0;
        return {first, step};
    }

    void TakePalette(const std::vector<JpegPaletteEntry>& entries) override {
        assert(bitmap_.PixelLayout() == pl8Bit);
        std::vector<raster::PaletteEntry> palette;
        palette.reserve(entries.size());
        for (const JpegPaletteEntry& entry : entries) palette.push_back({entry.Red, entry.Green, entry.Blue, 0});
        bitmap_.SetPalette(raster::CreatePalette(palette));
        image_.SetPaletteModified(true);
    }

private:
    TJPEGImage& image_;
    TBitmap& bitmap_;
};

std::vector<JpegPaletteEntry> EntriesOf(const raster::Palette& palette) {
    std::vector<JpegPaletteEntry> entries;
    entries.reserve(palette.Size());
    for (const raster::PaletteEntry& entry : palette.Entries())
        entries.push_back({entry.peRed, entry.peGreen, entry.peBlue});
    return entries;
}

// The rows that a cancelled or failed decode never reached, made white as setting the
// bitmap's size would have made them (the decode's picture is not filled first).
void WhitenRowsFrom(TBitmap& bitmap, int row) {
    const std::size_t rowBytes = std::size_t(bitmap.Width()) * 3;
    for (int y = row; y < bitmap.Height(); ++y) std::memset(bitmap.RowPointer(y), 0xFF, rowBytes);
}

int startUpCount = 0;

// A screen of 8 bits per pixel or fewer shows decoded images best as 8-bit pictures.
void DetectScreenDepth() {
    if (platform::raster::ScreenBitsPerPixel() <= 8) DefaultJPEGSettings.OutputDepth = od8Bit;
}

}  // namespace

const TClassInfo& TJPEGImage::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TJPEGImage, TGraphic>("TJPEGImage");
    return info;
}

TJPEGImage::TJPEGImage()
    : blockSmoothing_(DefaultJPEGSettings.BlockSmoothing),
      grayOutput_(DefaultJPEGSettings.GrayOutput),
      outputDepth_(DefaultJPEGSettings.OutputDepth),
      saveQuality_(DefaultJPEGSettings.SaveQuality),
      progressiveRedraw_(DefaultJPEGSettings.ProgressiveRedraw),
      progressiveSave_(DefaultJPEGSettings.ProgressiveSave),
      decodeMode_(DefaultJPEGSettings.DecodeMode),
      outputScale_(DefaultJPEGSettings.OutputScale) {
    ResetCompressed();
}

TJPEGImage::~TJPEGImage() = default;

// --- Records -------------------------------------------------------------------------

void TJPEGImage::ResetCompressed() { InstallCompressed(std::make_unique<TJPEGData>()); }

void TJPEGImage::InstallCompressed(std::unique_ptr<TJPEGData> data) {
    compressed_ = SharedRef(std::move(data));
    recalcNeeded_ = true;
}

void TJPEGImage::ResetDecoded() { decoded_ = std::make_unique<TBitmap>(); }

void TJPEGImage::DropDecoded() { decoded_.reset(); }

// --- Copying ---------------------------------------------------------------------------

void TJPEGImage::CopyFromObject(TPersistent* source) {
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(source)) {
        if (jpeg == this) return;
        compressed_ = jpeg->compressed_;
        recalcNeeded_ = true;
        // A bitmap of the old picture must not stand for the new one.
        if (jpeg->decoded_) {
            ResetDecoded();
            decoded_->CopyFromObject(jpeg->decoded_.get());
        } else {
            DropDecoded();
        }
        NotifyChanged(this);
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
        ResetCompressed();
        ResetDecoded();
        decoded_->CopyFromObject(bitmap);
        NotifyChanged(this);
    } else {
        TGraphic::CopyFromObject(source);
    }
}

void TJPEGImage::CopyInto(TPersistent& destination) {
    if (auto* bitmap = dynamic_cast<TBitmap*>(&destination))
        bitmap->CopyFromObject(&DecodeToBitmap());
    else
        TGraphic::CopyInto(destination);
}

// --- Queries ---------------------------------------------------------------------------

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect) { DrawScaled(canvas, rect, &DecodeToBitmap()); }

bool TJPEGImage::IsSameAs(TGraphic& other) {
    auto* jpeg = dynamic_cast<TJPEGImage*>(&other);
    if (!jpeg) return false;
    if (compressed_->Stream() && jpeg->compressed_->Stream()) return TGraphic::IsSameAs(other);
    return compressed_ == jpeg->compressed_;
}

bool TJPEGImage::Empty() const {
    if (compressed_->Stream()) return false;
    return !decoded_ || decoded_->Empty();
}

std::int32_t TJPEGImage::Height() const {
    if (decoded_) return decoded_->Height();
    if (outputScale_ == osFull) return compressed_->Height();
    ComputeScaledSize();
    return scaledHeight_;
}

std::int32_t TJPEGImage::Width() const {
    if (decoded_) return decoded_->Width();
    if (outputScale_ == osFull) return compressed_->Width();
    ComputeScaledSize();
    return scaledWidth_;
}

void TJPEGImage::SetHeight(std::int32_t) { throw EInvalidGraphicOperation(ResId::JPEGSizeChange); }

void TJPEGImage::SetWidth(std::int32_t) { throw EInvalidGraphicOperation(ResId::JPEGSizeChange); }

void TJPEGImage::ComputeScaledSize() const {
    if (!recalcNeeded_) return;
    std::int32_t width = 0, height = 0;
    if (TMemoryStream* stream = compressed_->Stream(); stream && stream->Size() > 0) {
        JpegDecompression decoder(*stream, DecodeSettings());
        decoder.CalcOutputDimensions();
        width = decoder.OutputWidth();
        height = decoder.OutputHeight();
        progressiveSave_ = decoder.HasMultipleScans();
    }
    scaledWidth_ = width;
    scaledHeight_ = height;
    recalcNeeded_ = false;
}

// --- Palette ---------------------------------------------------------------------------

raster::PaletteHandle TJPEGImage::Palette() const {
    if (decoded_) return decoded_->Palette();
    if (!tempPalette_ && outputDepth_ == od24Bit && platform::raster::ScreenBitsPerPixel() <= 8)
        tempPalette_ = raster::CreateHalftonePalette();
    return tempPalette_;
}

void TJPEGImage::SetPalette(raster::PaletteHandle palette) {
    if (palette == tempPalette_) return;
    // Without compressed bytes the bitmap is the only copy of the picture: it stays.
    const bool drop = decoded_ && compressed_->Stream() && decoded_->Palette() != palette;
    if (drop) DropDecoded();
    tempPalette_ = std::move(palette);
    if (drop) {
        SetPaletteModified(true);
        NotifyChanged(this);
    }
}

// --- Streams ---------------------------------------------------------------------------

void TJPEGImage::ReadCompressed(std::int64_t count, TStream& stream) {
    // Checked before anything is allocated: a count that claims more than the stream
    // holds fails on the bytes that are really there.
    if (count < 0 || count > stream.Size() - stream.Position()) throw EReadError(ResId::StreamRead);
    auto data = std::make_unique<TJPEGData>();
    data->stream_ = std::make_unique<TMemoryStream>();
    data->stream_->SetSize(count);
    bool multipleScans = progressiveSave_;
    if (count > 0) {
        stream.ReadBuffer(data->stream_->Memory(), static_cast<std::size_t>(count));
        const JpegHeader header = JpegDecompression::ReadHeader(*data->stream_);
        data->width_ = header.Width;
        data->height_ = header.Height;
        data->gray_ = header.Gray;
        multipleScans = header.Progressive;
    }
    // The image changes only once the new bytes are known to be a JPEG file.
    InstallCompressed(std::move(data));
    DropDecoded();
    progressiveSave_ = multipleScans;
    SetPaletteModified(true);
    NotifyChanged(this);
}

void TJPEGImage::LoadStream(TStream& stream) { ReadCompressed(stream.Size() - stream.Position(), stream); }

void TJPEGImage::SaveStream(TStream& stream) {
    EnsureCompressed();
    if (TMemoryStream* bytes = compressed_->Stream())
        stream.WriteBuffer(bytes->Memory(), static_cast<std::size_t>(bytes->Size()));
}

void TJPEGImage::ReadStoredData(TStream& stream) {
    std::uint8_t count[4];
    stream.ReadBuffer(count, sizeof count);
    ReadCompressed(std::int64_t{count[0]} | std::int64_t{count[1]} << 8 | std::int64_t{count[2]} << 16 |
                       std::int64_t{count[3]} << 24,
                   stream);
}

void TJPEGImage::WriteStoredData(TStream& stream) {
    // A bitmap-only image would otherwise be stored as no picture at all.
    EnsureCompressed();
    TMemoryStream* bytes = compressed_->Stream();
    const std::int64_t size = bytes ? bytes->Size() : 0;
    // The count has 32 bits; a larger file cannot be stored (and would not be read back).
    if (size > std::numeric_limits<std::uint32_t>::max()) throw EWriteError(ResId::StreamWrite);
    const std::uint8_t count[4] = {std::uint8_t(size), std::uint8_t(size >> 8), std::uint8_t(size >> 16),
                                   std::uint8_t(size >> 24)};
    stream.WriteBuffer(count, sizeof count);
    if (size > 0) stream.WriteBuffer(bytes->Memory(), static_cast<std::size_t>(size));
}

// --- Clipboard -------------------------------------------------------------------------

void TJPEGImage::LoadClipboardData(std::uint16_t format, raster::Image* data, const raster::PaletteHandle& palette) {
    // The bytes of the previous picture would no longer match the bitmap.
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadClipboardData(format, data, palette);
    ResetCompressed();
    decoded_ = std::move(bitmap);
    SetPaletteModified(true);
    NotifyChanged(this);
}

TClipboardData TJPEGImage::SaveClipboardData() { return DecodeToBitmap().SaveClipboardData(); }

// --- Decoding --------------------------------------------------------------------------

JpegDecodeSettings TJPEGImage::DecodeSettings() const {
    JpegDecodeSettings settings;
    settings.OutputScale = outputScale_;
    settings.BlockSmoothing = blockSmoothing_;
    settings.GrayOutput = grayOutput_;
    settings.OutputDepth = outputDepth_;
    settings.DecodeMode = decodeMode_;
    settings.ProgressiveRedraw = progressiveRedraw_;
    return settings;
}

void TJPEGImage::ReportProgress(TProgressStage stage, std::uint8_t percentDone, bool redrawNow, const TRect& rect) {
    Progress(this, stage, percentDone, redrawNow, rect, String());
}

JpegProgressMonitor::Handler TJPEGImage::ProgressHandler() {
    return [this](TProgressStage stage, std::uint8_t percentDone, bool redrawNow, const TRect& rect) {
        ReportProgress(stage, percentDone, redrawNow, rect);
    };
}

TBitmap& TJPEGImage::DecodeToBitmap() {
    if (decoded_) return *decoded_;
    ResetDecoded();
    TBitmap& bitmap = *decoded_;
    TMemoryStream* compressed = compressed_->Stream();
    // An empty image decodes to an empty bitmap.
    if (!compressed) return bitmap;

    JpegProgressMonitor monitor(ProgressHandler(), ProgressClock);
    JpegDecompression decoder(*compressed, DecodeSettings(), &monitor);
    BitmapRows rows(*this, bitmap);
    const bool eightBit = decoder.EightBitOutput();
    auto finish = [&](std::uint8_t percentDone) {
        ReportProgress(progressEnding, percentDone, PaletteModified(), TRect{});
        if (PaletteModified()) NotifyChanged(this);
    };
    try {
        try {
            bitmap.SetHandle(nullptr);
            bitmap.SetPixelLayout(eightBit ? pl8Bit : pl24Bit);
            ReportProgress(progressStarting, 0, false, TRect{});
            if (tempPalette_) {
                if (outputDepth_ == od8Bit) {
                    decoder.UseColourMap(EntriesOf(*tempPalette_));
                    bitmap.SetPalette(raster::CopyPalette(tempPalette_));
                } else {
                    tempPalette_.reset();
                }
            }
            decoder.Start();
            bitmap.SetHandle(nullptr);
            if (eightBit) {
                bitmap.SetWidth(decoder.OutputWidth());
                bitmap.SetHeight(decoder.OutputHeight());
            } else {
                bitmap.SetHandle(NewDecodedPicture(decoder.OutputWidth(), decoder.OutputHeight(), 24));
            }
            decoder.ReadImage(rows);
            decoder.Finish();
        } catch (...) {
            if (!eightBit) WhitenRowsFrom(bitmap, decoder.RowsWritten());
            finish(0);
            throw;
        }
        finish(100);
    } catch (const EAbort&) {
        // A progress handler cancelled: the rows decoded so far stay.
    }
    return bitmap;
}

// --- Encoding --------------------------------------------------------------------------

void TJPEGImage::EnsureCompressed() {
    if (!compressed_->Stream()) EncodeFromBitmap();
}

void TJPEGImage::EncodeFromBitmap() {
    // Shared bytes are never overwritten.
    if (compressed_->Stream()) ResetCompressed();
    // Nothing to encode: the image stays without bytes (and Empty stays true).
    if (!decoded_ || decoded_->Width() == 0 || decoded_->Height() == 0) return;

    // Rows of blue, green, red bytes: the encoder's input.
    TBitmap rows;
    rows.CopyFromObject(decoded_.get());
    rows.SetPixelLayout(pl24Bit);
    const std::uint8_t* first = rows.RowPointer(0);
    const std::ptrdiff_t step = rows.Height() > 1 ? rows.RowPointer(1) - first : 0;

    auto data = std::make_unique<TJPEGData>();
    data->stream_ = std::make_unique<TMemoryStream>();
    data->width_ = rows.Width();
    data->height_ = rows.Height();
    data->gray_ = grayOutput_;
    JpegProgressMonitor monitor(ProgressHandler(), ProgressClock);
    try {
        EncodeJpeg({first, step, rows.Width(), rows.Height()}, {saveQuality_, grayOutput_, progressiveSave_},
                   *data->stream_, &monitor);
    } catch (const EAbort&) {
        // A progress handler cancelled: no bytes are kept.
        return;
    }
    InstallCompressed(std::move(data));
}

// --- Start-up --------------------------------------------------------------------------

void StartUpJPEGImage() {
    if (startUpCount++ > 0) return;
    DetectScreenDepth();
    const String description(LoadResString(ResId::JPEGDescription));
    TPicture::AddFileFormat("jpeg", description, TJPEGImage::StaticClassInfo());
    TPicture::AddFileFormat("jpg", description, TJPEGImage::StaticClassInfo());
}

void ShutDownJPEGImage() {
    assert(startUpCount > 0 && "a shutdown without start-up");
    if (--startUpCount == 0) TPicture::RemoveGraphicClass(TJPEGImage::StaticClassInfo());
}

}  // namespace orvalis

#pragma once
// TJPEGImage: the graphic that holds one JPEG file. It keeps the compressed bytes
// unchanged in a shared record (TJPEGData), reads only the header when it is loaded, and
// decodes into a TBitmap (DecodedBitmap) the first time pixels are needed: when it is
// drawn, copied into a bitmap, or put on the clipboard. The decoded bitmap is kept.
//
// An image is in one of four states:
//     empty         no compressed bytes, no bitmap
//     loaded        compressed bytes, no bitmap (Width and Height come from the header)
//     decoded       compressed bytes and DecodedBitmap
//     bitmap-only   copied from a TBitmap: no compressed bytes until it is saved, which
//                   encodes the bitmap
// Loading always leads to loaded; setting a palette may take a decoded image back to
// loaded.
//
// The class joins the picture's file-format registry ("jpeg", "jpg") through
// StartUpJPEGImage, which the program calls once its platform backend is installed.

#include <cstdint>
#include <memory>

#include "codecs/JPEGData.h"
#include "codecs/JpegProgressMonitor.h"
#include "codecs/JpegSettings.h"
#include "graphics/Bitmap.h"
#include "graphics/Graphic.h"
#include "runtime/SharedRef.h"

namespace orvalis {

// The settings every new JPEG image starts with: one process-wide record of eight bytes,
// in this order. The start-up sets OutputDepth to od8Bit on a screen of 8 bits per pixel
// or fewer.
struct TJPEGDefaultSettings {
    std::uint8_t SaveQuality = 90;  // 1..100
    bool GrayOutput = false;
    TJPEGDecodeMode DecodeMode = dmBestQuality;
    TJPEGOutputDepth OutputDepth = od24Bit;
    bool ProgressiveRedraw = false;
    bool ProgressiveSave = false;
    TJPEGOutputScale OutputScale = osFull;
    bool BlockSmoothing = true;
};
static_assert(sizeof(TJPEGDefaultSettings) == 8);

extern TJPEGDefaultSettings DefaultJPEGSettings;

class TJPEGImage : public TGraphic {
    ORVALIS_TYPE_INFO(TJPEGImage)

public:
    // An empty image with the settings of DefaultJPEGSettings.
    TJPEGImage();
    ~TJPEGImage() override;

    // A JPEG image: shares its compressed bytes and takes a copy of its bitmap (or has
    // none when it has none). A TBitmap: the bitmap-only state, sharing the bitmap's
    // pixels. Anything else (null too): the assign error.
    void CopyFromObject(TPersistent* source) override;
    // A TBitmap destination takes the decoded bitmap (sharing its pixels); any other, the
    // assign error.
    void CopyInto(TPersistent& destination) override;
    // The decoded bitmap scaled into `rect`.
    void Draw(TCanvas& canvas, const TRect& rect) override;
    // Another JPEG image with the same compressed bytes; without bytes on either side,
    // only an image sharing this one's record.
    bool IsSameAs(TGraphic& other) override;
    // No compressed bytes (an empty stream counts as bytes) and no picture in the bitmap.
    bool Empty() const override;
    // The decoded bitmap's size; else the header's, scaled by OutputScale.
    std::int32_t Height() const override;
    std::int32_t Width() const override;
    // EInvalidGraphicOperation "Impossible de modifier la taille d'une image JPEG".
    void SetHeight(std::int32_t height) override;
    void SetWidth(std::int32_t width) override;
    // The decoded bitmap's palette; else the palette given (TempPalette); else, for
    // 24-bit output on a screen of 8 bits or fewer, a halftone palette kept as given.
    raster::PaletteHandle Palette() const override;
    // 8-bit output maps onto the palette given. A decoded bitmap of another palette is
    // dropped, to be decoded again, unless it is the only copy of the picture.
    void SetPalette(raster::PaletteHandle palette) override;
    // A 32-bit little-endian count, then that many compressed bytes.
    void ReadStoredData(TStream& stream) override;
    // The same, encoding a bitmap-only image first.
    void WriteStoredData(TStream& stream) override;
    // The compressed bytes from the stream's position to its end. Reads the header only;
    // a short stream raises EReadError, bytes that are no JPEG EJPEG. A failed load
    // leaves the image as it was.
    void LoadStream(TStream& stream) override;
    // The compressed bytes, encoding a bitmap-only image first.
    void SaveStream(TStream& stream) override;
    // The bitmap-only state with the clipboard's picture.
    void LoadClipboardData(std::uint16_t format, raster::Image* data, const raster::PaletteHandle& palette) override;
    TClipboardData SaveClipboardData() override;

    // The decoded bitmap, decoding first when there is none. Rows go straight into the
    // bitmap's memory: pl24Bit (blue, green, red), or pl8Bit with at most 236 colours for
    // 8-bit or greyscale output. Progress goes to OnProgress (starting, running, ending);
    // a handler that raises EAbort ends the decode silently, keeping the rows decoded so
    // far. After any failure the bitmap stays, with what was decoded.
    TBitmap& DecodeToBitmap();

    // The settings a decode of this image uses.
    JpegDecodeSettings DecodeSettings() const;

    const TJPEGData& Compressed() const { return *compressed_; }
    TBitmap* DecodedBitmap() const { return decoded_.get(); }

    std::uint8_t SaveQuality() const { return saveQuality_; }
    bool GrayOutput() const { return grayOutput_; }
    TJPEGDecodeMode DecodeMode() const { return decodeMode_; }
    TJPEGOutputDepth OutputDepth() const { return outputDepth_; }
    bool ProgressiveRedraw() const { return progressiveRedraw_; }
    // Set by loading: the file has several scans (saving then writes a progressive file).
    bool ProgressiveSave() const { return progressiveSave_; }
    TJPEGOutputScale OutputScale() const { return outputScale_; }
    bool BlockSmoothing() const { return blockSmoothing_; }

private:
    // Lets go of the compressed record and takes a fresh one without bytes.
    void ResetCompressed();
    // Takes `data` (just made, not yet shared) as the compressed record.
    void InstallCompressed(std::unique_ptr<TJPEGData> data);
    void ResetDecoded();
    void DropDecoded();
    // Encodes a bitmap-only image.
    void EnsureCompressed();
    void EncodeFromBitmap();
    void ReadCompressed(std::int64_t count, TStream& stream);
    // Reads the size (and whether the file has several scans) when first asked.
    void ComputeScaledSize() const;
    // Progress through OnProgress, with this image as the sender and no message.
    void ReportProgress(TProgressStage stage, std::uint8_t percentDone, bool redrawNow, const TRect& rect);
    JpegProgressMonitor::Handler ProgressHandler();

    SharedRef<TJPEGData> compressed_;  // never empty after construction; declared first, so let go of last
    std::unique_ptr<TBitmap> decoded_;
    mutable std::int32_t scaledWidth_ = 0;
    mutable std::int32_t scaledHeight_ = 0;
    mutable raster::PaletteHandle tempPalette_;  // made on demand by Palette
    bool blockSmoothing_;
    bool grayOutput_;
    TJPEGOutputDepth outputDepth_;
    std::uint8_t saveQuality_;
    bool progressiveRedraw_;
    mutable bool progressiveSave_;
    TJPEGDecodeMode decodeMode_;
    TJPEGOutputScale outputScale_;
    mutable bool recalcNeeded_ = false;  // scaledWidth_ and scaledHeight_ are out of date
};

// The start-up of the JPEG image, counted: the first call looks at the screen
// (DefaultJPEGSettings.OutputDepth becomes od8Bit on a screen of 8 bits per pixel or
// fewer) and adds "jpeg" and "jpg", "Fichier image JPEG", to the picture's file-format
// registry; later calls only count. Call it once the platform backend is installed, so
// that the screen is the real one. The last ShutDownJPEGImage removes TJPEGImage from
// the registries.
void StartUpJPEGImage();
void ShutDownJPEGImage();

}  // namespace orvalis

#pragma once
// TBitmap: the raster image. Its pixels live in a shared record (TBitmapImage): copying
// a bitmap into another (CopyFromObject) shares the record, and the first change made
// through one of the sharers gives it a copy of its own (copy on write, in Changing).
// Every change of size, pixel layout or palette builds a complete new record from the
// old one (Rebuild, the one place where pixels are converted) and swaps it in.
//
// The pixel store is a DIB: rows padded to 4 bytes, bottom-up unless the height in its
// description is negative. RowPointer(row) gives the address of a row (row 0 is the top
// of the picture), valid until the next change of the bitmap; in a pl32Bit bitmap a
// pixel is the little-endian word 0x00RRGGBB, which is cairo's own layout.
//
// A bitmap loads and saves BMP files (LoadStream, SaveStream, LoadFile, SaveFile and the
// form property "Data"), see graphics/BmpFile.h.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "classes/Color.h"
#include "graphics/BitmapImage.h"
#include "graphics/Graphic.h"
#include "runtime/SharedRef.h"

namespace orvalis {

class TBitmapCanvas;

// Pixel layouts, stored and compared as numbers.
enum TPixelLayout : std::uint8_t {
    plDevice,  // a device image (the screen's layout)
    pl1Bit,
    pl4Bit,
    pl8Bit,
    pl15Bit,   // 16 bits, 5 per channel
    pl16Bit,   // 16 bits, masks 0xF800, 0x07E0, 0x001F
    pl24Bit,   // blue, green, red
    pl32Bit,   // 0x00RRGGBB words
    plCustom,  // any other DIB description: may be read, never set
};

enum TStorageKind : std::uint8_t { skDIB = 0, skDevice = 1 };

// How the transparent colour is chosen: the bottom-left pixel, or TransparentColor.
enum TTransparentMode : std::uint8_t { tmAuto = 0, tmFixed = 1 };

// Held while a bitmap swaps its image record.
extern std::mutex BitmapImageLock;

class TBitmap : public TGraphic {
    ORVALIS_TYPE_INFO(TBitmap)

public:
    // An empty bitmap: 0 x 0, plDevice, skDevice.
    TBitmap();
    ~TBitmap() override;

    // A TBitmap or null source: shares the source's record (null: an empty record);
    // any other: the source's CopyInto.
    void CopyFromObject(TPersistent* source) override;
    void NotifyChanged(TObject* sender) override;
    // The whole bitmap scaled into `rect` with the canvas's CopyMode, or through the
    // transparency mask when Transparent.
    void Draw(TCanvas& canvas, const TRect& rect) override;
    // No image and no saved file.
    bool Empty() const override;
    std::int32_t Height() const override;
    raster::PaletteHandle Palette() const override;
    std::int32_t Width() const override;
    // A 32-bit length, then a BMP file of that many bytes (0: an empty bitmap).
    void ReadStoredData(TStream& stream) override;
    // The size set keeps the picture at the top left; new area takes the canvas's brush
    // colour, or white without canvas. 0 leaves no image but keeps the description.
    void SetHeight(std::int32_t height) override;
    // The bitmap takes the palette; a DIB of 8 bits or fewer takes its colours.
    void SetPalette(raster::PaletteHandle palette) override;
    void SetWidth(std::int32_t width) override;
    void WriteStoredData(TStream& stream) override;
    // A BMP file from the stream's position to its end.
    void LoadStream(TStream& stream) override;
    void SaveStream(TStream& stream) override;
    // CF_BITMAP only ("Format de Presse-papiers non supporté" otherwise).
    void LoadClipboardData(std::uint16_t format, raster::Image* data, const raster::PaletteHandle& palette) override;
    // CF_BITMAP, a device image rebuilt from the bitmap, a copy of the palette.
    TClipboardData SaveClipboardData() override;

    // The device image (made private first: the caller may draw into it).
    virtual raster::Image* Handle();
    virtual raster::Image* MaskBitmapHandle();
    virtual void SetStorageKind(TStorageKind kind);

    // The bitmap takes `handle` as its image (null empties it and keeps the palette).
    void SetHandle(std::unique_ptr<raster::Image> handle);
    // The device image, which the bitmap forgets: the caller owns it.
    std::unique_ptr<raster::Image> DetachHandle();
    TStorageKind StorageKind() const;
    TPixelLayout PixelLayout() const;
    // Raises EInvalidGraphic "Format de pixel incorrect" for plCustom.
    void SetPixelLayout(TPixelLayout layout);
    // The first byte of the row (0 at the top); EInvalidGraphicOperation "Indice ligne
    // hors limites" outside 0 .. Height - 1. A bitmap held as a device image becomes a
    // DIB of the screen's layout at the first call (plDevice no longer).
    std::uint8_t* RowPointer(std::int32_t row);
    // The same row for reading only: no change is announced and a record shared with
    // other bitmaps stays shared (no copy of its pixels); a picture held as a device
    // image gets its DIB beside it, as a copy that every sharer reads. Valid until the
    // next change of any of the bitmaps that share the record. Same range as RowPointer.
    const std::uint8_t* ReadOnlyRowPointer(std::int32_t row);
    TCanvas& Canvas();
    bool Monochrome() const;
    void SetMonochrome(bool monochrome);
    bool IgnorePalette() const { return ignorePalette_; }
    void SetIgnorePalette(bool ignore) { ignorePalette_ = ignore; }
    // The colour that transparent drawing leaves out, 0x00BBGGRR with 0x02000000 set:
    // the colour set, else white for a monochrome bitmap, else the bottom-left pixel.
    TColor TransparentColor();
    // clDefault goes back to the bottom-left pixel (tmAuto); any other fixes the colour.
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode mode) { transparentMode_ = mode; }
    // Keeps the picture as a BMP file in memory and lets go of every platform object;
    // the pixels come back on the next use.
    void ReleaseResources();

    // The record, for those who look at how the pixels are held (tests, the JPEG image).
    const TBitmapImage& ImageRecord() const { return *image_; }

private:
    friend class TBitmapCanvas;

    // Changing: called before every change (the canvas before it draws, RowPointer,
    // Handle, DetachHandle); a shared record is copied first.
    void Changing();
    void CanvasChanging(TObject* sender);
    void CanvasChanged(TObject* sender);
    void FreeCanvasContext();
    // Loads the saved file when the record holds nothing else; DeviceHandle := DIBHandle
    // when there is no device image.
    void EnsureHandle();
    void EnsureDib();
    // The DIB (which must exist, in an unshared record) becomes the only image: a record
    // whose DeviceHandle is the DIB replaces this one, and the device image goes with it.
    void MakeDibThePicture();
    // The first byte of `row` (0 at the top) in the record's DIB, which must exist.
    std::uint8_t* RowAddress(std::int32_t row) const;
    void MakePalette() const;
    // A new image from `source` in the layout `description` (which is refreshed from the
    // new image); null when the description has a size of 0. With `withCanvas` the new
    // area takes the canvas's brush colour (and a 1-bit DIB the font and brush colours).
    std::unique_ptr<raster::Image> BuildImage(raster::Image* source, raster::PaletteHandle newPalette,
                                              raster::DibSection& description, bool withCanvas);
    void Rebuild(raster::Image* source, const raster::PaletteHandle& sourcePalette, raster::DibSection description);
    // Rebuilds the bitmap on its description as `change` edits it (a new width or height).
    void Reshape(const std::function<void(raster::DibSection&)>& change);
    void InstallRecord(std::unique_ptr<raster::Image> image, raster::PaletteHandle palette,
                       const raster::DibSection& description, bool os2Format,
                       std::unique_ptr<TMemoryStream> savedStream);
    void InstallEmptyRecord();
    // The BMP reading routine of a file of `length` bytes at the stream's position.
    void ReadBitmap(TStream& stream, std::int64_t length);
    void WriteBitmap(TStream& stream, bool withLength);

    // The canvas is declared first so that the record is let go of before it.
    std::unique_ptr<TBitmapCanvas> canvas_;
    SharedRef<TBitmapImage> image_;       // never empty
    mutable bool ignorePalette_ = false;  // also set when no palette can be made
    bool maskBitsValid_ = false;
    bool maskValid_ = false;
    TColor transparentColor_ = clDefault;
    TTransparentMode transparentMode_ = tmAuto;
};

}  // namespace orvalis

#pragma once
// TGraphic: the abstract picture of every image format (TBitmap, TIcon, TMetafile, and
// the JPEG image of the codecs layer): a width, a height, a palette, transparency, a
// change event, loading and saving through streams and files, the clipboard, and drawing
// into a rectangle of a canvas. Its virtual operations come in this order:
//
//     CopyInto, DeclareCustomProperties (the form property "Data") and CopyFromObject
//     from TPersistent; NotifyChanged, Draw, IsSameAs, Empty, Height, Palette,
//     Transparent, Width, ReadStoredData, SetHeight, SetPalette, SetTransparent, SetWidth,
//     WriteStoredData; the virtual constructor (the class's TClassInfo::Create);
//     LoadFile, SaveFile, LoadStream, SaveStream, LoadClipboardData, SaveClipboardData.
//
// The operations that a format must provide raise EAbstractError "Erreur abstraite"
// here. Queries are const; what a format computes when first asked (a palette made on
// demand, the scaled size of a JPEG image) it keeps in mutable members.

#include <cstdint>
#include <memory>

#include "classes/Events.h"
#include "classes/Persistent.h"
#include "classes/Rect.h"
#include "platform/raster/Image.h"
#include "platform/raster/Palette.h"
#include "runtime/ScopedValue.h"
#include "runtime/Stream.h"
#include "runtime/String.h"

namespace orvalis {

namespace raster = platform::raster;

class TCanvas;

// The platform's clipboard format of bitmaps.
inline constexpr std::uint16_t CF_BITMAP = 2;

// What SaveClipboardData gives: a format, the data (an image the caller then owns) and a
// palette.
struct TClipboardData {
    std::uint16_t format = 0;
    std::unique_ptr<raster::Image> data;
    raster::PaletteHandle palette;
};

class TGraphic : public TPersistent {
    ORVALIS_TYPE_INFO(TGraphic)

public:
    TGraphic() = default;

    // The form property "Data": the graphic's stored data (ReadStoredData and
    // WriteStoredData), written when the writer has an ancestor that is no graphic,
    // a graphic ancestor that is not IsSameAs this one, or, without ancestor, when this
    // graphic is not Empty.
    void DeclareCustomProperties(TFiler& filer) override;

    // ChangedFlag := true, then OnChange with this object.
    virtual void NotifyChanged(TObject* sender);
    virtual void Draw(TCanvas& canvas, const TRect& rect);
    // Both Empty, or (neither Empty) of the same class with the same stored data.
    virtual bool IsSameAs(TGraphic& other);
    virtual bool Empty() const;
    virtual std::int32_t Height() const;
    virtual raster::PaletteHandle Palette() const;
    virtual bool Transparent() const;
    virtual std::int32_t Width() const;
    virtual void ReadStoredData(TStream& stream);
    virtual void SetHeight(std::int32_t height);
    virtual void SetPalette(raster::PaletteHandle palette);
    virtual void SetTransparent(bool transparent);
    virtual void SetWidth(std::int32_t width);
    virtual void WriteStoredData(TStream& stream);
    // The file opened for reading (others may read it, not write it).
    virtual void LoadFile(const String& fileName);
    // The file created or truncated.
    virtual void SaveFile(const String& fileName);
    virtual void LoadStream(TStream& stream);
    virtual void SaveStream(TStream& stream);
    // `data` stays the caller's.
    virtual void LoadClipboardData(std::uint16_t format, raster::Image* data, const raster::PaletteHandle& palette);
    virtual TClipboardData SaveClipboardData();

    const TNotifyEvent& OnChange() const { return onChange_; }
    void SetOnChange(const TNotifyEvent& handler) { onChange_ = handler; }
    const TProgressEvent& OnProgress() const { return onProgress_; }
    void SetOnProgress(const TProgressEvent& handler) { onProgress_ = handler; }
    // Set by every NotifyChanged; never cleared here.
    bool ChangedFlag() const { return changedFlag_; }
    // The palette changed and the display must realise it again (the image control
    // reads and clears it).
    bool PaletteModified() const { return paletteModified_; }
    void SetPaletteModified(bool modified) { paletteModified_ = modified; }

protected:
    // Sets Transparent without announcing a change (a copy takes the source's).
    void StoreTransparent(bool transparent) { transparent_ = transparent; }
    // No OnChange until the end of the caller's scope, which puts the handler back: what
    // the graphic does meanwhile is no change anybody hears of.
    [[nodiscard]] ScopedValue<TNotifyEvent> SuspendOnChange() { return ScopedValue<TNotifyEvent>(onChange_, {}); }
    // CopyFromObject of a format that holds no picture on this platform (icons,
    // metafiles): from nothing, or from a graphic of this one's class, the copy takes the
    // source's transparency and announces the change; any other source is asked for its
    // CopyInto, as for every graphic.
    void CopyWithoutPicture(TPersistent* source);
    // Reports progress through OnProgress, when set.
    void Progress(TObject* sender, TProgressStage stage, std::uint8_t percentDone, bool redrawNow, const TRect& rect,
                  const String& message);

private:
    bool HasStoredDataToWrite(TPersistent* ancestor);

    TNotifyEvent onChange_;
    TProgressEvent onProgress_;
    bool changedFlag_ = false;
    bool transparent_ = false;
    bool paletteModified_ = false;
};

// The canvas operation that draws a graphic into a rectangle: with a graphic, the canvas
// announces a change, is made fully ready (drawing context, font, pen, brush), the
// graphic draws itself, and the canvas announces the end of the change. Nothing without
// a graphic. A canvas that cannot get a drawing context raises EInvalidOperation "Le
// canevas ne permet pas de dessiner".
void DrawScaled(TCanvas& canvas, const TRect& rect, TGraphic* graphic);

}  // namespace orvalis

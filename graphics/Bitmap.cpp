#include "graphics/Bitmap.h"

#include <cassert>
#include <cstdlib>
#include <span>

#include "classes/ClassBuilder.h"
#include "graphics/BitmapCanvas.h"
#include "graphics/BmpFile.h"
#include "graphics/Canvas.h"
#include "graphics/SystemColours.h"
#include "platform/raster/Blit.h"
#include "platform/raster/DeviceImage.h"
#include "platform/raster/Screen.h"
#include "runtime/Exceptions.h"
#include "runtime/LittleEndian.h"

namespace orvalis {

std::mutex BitmapImageLock;

namespace {

using raster::BI_BITFIELDS;
using raster::BI_RGB;

// The palette a layout is given when it is set.
enum class LayoutPalette { Current, System16, Halftone };

struct PixelLayoutEntry {
    TPixelLayout layout;
    std::uint16_t bitCount;
    std::uint32_t compression;
    std::array<std::uint32_t, 3> masks;
    LayoutPalette palette;
};

// The DIB layouts (plDevice is no DIB; plCustom any other description).
constexpr PixelLayoutEntry kPixelLayouts[] = {
    {pl1Bit, 1, BI_RGB, {}, LayoutPalette::Current},
    {pl4Bit, 4, BI_RGB, {}, LayoutPalette::System16},
    {pl8Bit, 8, BI_RGB, {}, LayoutPalette::Halftone},
    {pl15Bit, 16, BI_RGB, {}, LayoutPalette::Current},
    {pl16Bit, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, LayoutPalette::Current},
    {pl24Bit, 24, BI_RGB, {}, LayoutPalette::Current},
    {pl32Bit, 32, BI_RGB, {}, LayoutPalette::Current},
};

const PixelLayoutEntry* FindLayout(TPixelLayout layout) {
    for (const PixelLayoutEntry& entry : kPixelLayouts)
        if (entry.layout == layout) return &entry;
    return nullptr;
}

// A TColor (0x00BBGGRR, system colours resolved) as a raster colour (0x00RRGGBB).
std::uint32_t RasterColour(TColor color) {
    const TColor rgb = ColourToRGB(color);
    return std::uint32_t(RedOf(rgb)) << 16 | std::uint32_t(GreenOf(rgb)) << 8 | BlueOf(rgb);
}

raster::RgbQuad QuadOf(std::uint32_t rgb) {
    return {std::uint8_t(rgb), std::uint8_t(rgb >> 8), std::uint8_t(rgb >> 16), 0};
}

TColor ColourOfPixel(std::uint32_t rgb) {
    return RGB(std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb));
}

// The palette a 1-bit layout is given. Two colours are the picture's own and stay. More
// colours do not fit in two: the nearest of the first two of them (black and a dark red
// among the system colours, two near blacks among greys) would turn white into a colour,
// so the picture becomes black and white. Without palette or colour table the rebuild
// gives black and white itself.
raster::PaletteHandle OneBitPalette(const raster::PaletteHandle& current, const raster::Image* source) {
    const raster::DibImage* dib = source ? source->AsDib() : nullptr;
    const std::size_t colours = current ? current->Size() : dib ? dib->ColourTable().size() : 0;
    if (colours == 0 || colours == 2) return current;
    std::vector<raster::PaletteEntry> blackAndWhite;
    for (const raster::RgbQuad& quad : raster::DefaultColourTable(1))
        blackAndWhite.push_back(raster::ToPaletteEntry(quad));
    return raster::CreatePalette(blackAndWhite);
}

// The form property "Data": the length of the BMP file that follows, least significant
// byte first.
constexpr std::size_t kStoredLengthBytes = 4;

void WriteStoredLength(TStream& stream, std::uint32_t length) {
    std::uint8_t bytes[kStoredLengthBytes];
    WriteLittleEndian(bytes, length, sizeof bytes);
    stream.WriteBuffer(bytes, sizeof bytes);
}

[[noreturn]] void RaiseOutOfResources() { throw EOutOfResources(ResId::OutOfSystemResources); }

// Mask completion: a 16-bit description with bit fields and no red mask gets 5-6-5,
// a 32-bit one 8-8-8.
void CompleteMasks(raster::DibSection& description) {
    const raster::BitmapInfoHeader& header = description.dsBmih;
    if ((header.biCompression & 3) == 0 || description.dsBitfields[0] != 0) return;
    if (header.biBitCount == 16)
        description.dsBitfields = {0xF800, 0x07E0, 0x001F};
    else if (header.biBitCount == 32)
        description.dsBitfields = {0xFF0000, 0x00FF00, 0x0000FF};
}

// The description D takes from a new image: all of it from a DIB, the first seven
// fields from a device image.
void Refresh(raster::DibSection& description, const raster::Image& image) {
    const raster::DibSection fresh = image.Describe();
    if (image.AsDib())
        description = fresh;
    else
        description.dsBm = fresh.dsBm;
}

}  // namespace

const TClassInfo& TBitmap::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TBitmap, TGraphic>("TBitmap");
    return info;
}

TBitmap::TBitmap() : image_(std::make_unique<TBitmapImage>()) {}

TBitmap::~TBitmap() { FreeCanvasContext(); }

// --- Records ---------------------------------------------------------------------------

void TBitmap::InstallRecord(std::unique_ptr<raster::Image> image, raster::PaletteHandle palette,
                            const raster::DibSection& description, bool os2Format,
                            std::unique_ptr<TMemoryStream> savedStream) {
    auto record = std::make_unique<TBitmapImage>();
    if (image && image->AsDib()) {
        record->dib_.reset(image.release()->AsDib());
        record->deviceIsDib_ = true;
    } else {
        record->device_ = std::move(image);
    }
    record->palette_ = std::move(palette);
    record->description_ = description;
    record->os2Format_ = os2Format;
    record->savedStream_ = std::move(savedStream);
    {
        std::lock_guard lock(BitmapImageLock);
        image_ = SharedRef(std::move(record));
    }
    maskValid_ = false;
}

void TBitmap::InstallEmptyRecord() { InstallRecord(nullptr, nullptr, {}, false, nullptr); }

std::unique_ptr<raster::Image> TBitmap::BuildImage(raster::Image* source, raster::PaletteHandle newPalette,
                                                   raster::DibSection& description, bool withCanvas) {
    raster::BitmapInfoHeader& header = description.dsBmih;
    if (header.biSize != 0 ? header.biWidth == 0 || header.biHeight == 0
                           : description.dsBm.bmWidth == 0 || description.dsBm.bmHeight == 0) {
        description.dsBm.bmBits = nullptr;
        return nullptr;
    }
    assert(description.dsBm.bmWidth >= 0 && header.biWidth >= 0 && "a negative width");

    if (source) TBitmapImage::DetachFromCanvases(source);
    std::unique_ptr<raster::Image> image;
    if (header.biSize < 40) {
        const bool monochrome = (header.biPlanes | header.biBitCount) == 1;
        const int width = description.dsBm.bmWidth, height = std::abs(description.dsBm.bmHeight);
        image = monochrome ? raster::DeviceImage::CreateMonochrome(width, height)
                           : raster::DeviceImage::CreateCompatible(width, height);
    } else {
        header.biSize = 40;
        header.biPlanes = 1;
        if (header.biBitCount == 0) header.biBitCount = std::uint16_t(raster::ScreenBitsPerPixel());
        description.dsBm.bmWidth = header.biWidth;
        description.dsBm.bmHeight = header.biHeight;
        raster::BitmapInfo info;
        if (header.biBitCount <= 8) {
            raster::DibImage* sourceDib = source ? source->AsDib() : nullptr;
            if (header.biBitCount == 1 && !sourceDib) {
                info.colours = raster::DefaultColourTable(1);
            } else if (newPalette) {
                info.colours = raster::ColourTableOf(*newPalette);
            } else if (sourceDib && !sourceDib->ColourTable().empty()) {
                const auto table = sourceDib->ColourTable();
                info.colours.assign(table.begin(), table.end());
                header.biClrUsed = std::uint32_t(table.size());
            } else if (source) {
                // A source without colour table of its own (a device image, or a DIB of
                // more than 8 bits): the table the platform derives, never an empty one
                // that would turn every pixel black.
                info.colours = raster::DefaultColourTable(header.biBitCount);
            }
        } else if (header.biBitCount == 16 || header.biBitCount == 32) {
            CompleteMasks(description);
            info.masks = description.dsBitfields;
        }
        info.header = header;
        image = raster::DibImage::Create(info);
    }
    if (!image) RaiseOutOfResources();

    const bool sameSize = source && source->Width() == image->Width() && source->Height() == image->Height();
    if (!(sameSize && header.biBitCount > 8)) {
        raster::BlitColours colours;
        std::uint32_t fill = 0xFFFFFF;
        if (withCanvas && canvas_) {
            colours = {RasterColour(canvas_->Font().Color()), RasterColour(canvas_->Brush().Color())};
            fill = colours.background;
            if (raster::DibImage* dib = image->AsDib(); dib && dib->BitsPerPixel() == 1) {
                const raster::RgbQuad table[2] = {QuadOf(colours.text), QuadOf(colours.background)};
                dib->SetColourTable(table);
            }
        }
        // A copy of the same size covers every pixel: a fill first would only cost a pass
        // through the new layout, pixel by pixel (the nearest entry of a colour table).
        if (!sameSize) raster::FillImage(*image, fill);
        if (source) raster::CopyImage(*image, *source, colours);
    } else {
        raster::CopyImage(*image, *source);
    }
    Refresh(description, *image);
    return image;
}

void TBitmap::Rebuild(raster::Image* source, const raster::PaletteHandle& sourcePalette,
                      raster::DibSection description) {
    FreeCanvasContext();
    raster::PaletteHandle newPalette =
        sourcePalette == raster::SystemPalette16() ? sourcePalette : raster::CopyPalette(sourcePalette);
    std::unique_ptr<raster::Image> image = BuildImage(source, newPalette, description, true);
    InstallRecord(std::move(image), std::move(newPalette), description, image_->os2Format_, nullptr);
}

void TBitmap::Changing() {
    // A record that holds only its file would lose the picture when the file goes.
    if (!image_->DeviceHandle() && !image_->DIBHandle() && image_->savedStream_) EnsureHandle();
    if (image_->ShareCount() > 1) {
        EnsureHandle();
        Rebuild(image_->DeviceHandle(), image_->halftone_ ? nullptr : image_->palette_, image_->description_);
    } else if (image_->DeviceHandle() && image_->DeviceHandle() != image_->DIBHandle() && image_->dib_) {
        TBitmapImage::DetachFromCanvases(image_->dib_.get());
        image_->dib_.reset();
        image_->description_.dsBm.bmBits = nullptr;
    }
    image_->description_.dsBmih.biClrUsed = 0;
    image_->description_.dsBmih.biClrImportant = 0;
    image_->savedStream_.reset();
}

void TBitmap::EnsureHandle() {
    TBitmapImage& record = *image_;
    if (!record.DeviceHandle() && !record.DIBHandle() && record.savedStream_) {
        // The file becomes the record's image; nobody hears of it as a change.
        TMemoryStream& saved = *record.savedStream_;
        saved.SetPosition(0);
        const auto suspended = SuspendOnChange();
        ReadBitmap(saved, saved.Size());
    }
    if (!image_->device_ && image_->dib_) image_->deviceIsDib_ = true;
}

void TBitmap::EnsureDib() {
    TBitmapImage& record = *image_;
    raster::Image* device = record.DeviceHandle();
    if (!device || record.DIBHandle()) return;
    MakePalette();
    raster::DibSection& description = record.description_;
    if (description.dsBmih.biSize == 0) {
        description.dsBm = device->Describe().dsBm;
        description.dsBmih.biSize = 40;
        description.dsBmih.biWidth = description.dsBm.bmWidth;
        description.dsBmih.biHeight = description.dsBm.bmHeight;
        description.dsBmih.biPlanes = 1;
        description.dsBmih.biBitCount = std::uint16_t(description.dsBm.bmPlanes * description.dsBm.bmBitsPixel);
    }
    std::unique_ptr<raster::Image> dib = BuildImage(device, record.palette_, description, false);
    record.dib_.reset(dib ? dib.release()->AsDib() : nullptr);
}

void TBitmap::MakePalette() const {
    TBitmapImage& record = *image_;
    if (ignorePalette_ || record.palette_ || !record.DIBHandle()) return;
    const auto table = record.DIBHandle()->ColourTable();
    if (!table.empty()) {
        if (table.size() == 16 && raster::ScreenPaletteSize() >= 16) {
            record.palette_ = raster::SystemPalette16();
        } else {
            std::vector<raster::PaletteEntry> entries;
            for (const raster::RgbQuad& quad : table.first(std::min<std::size_t>(table.size(), 256)))
                entries.push_back(raster::ToPaletteEntry(quad));
            record.palette_ = raster::CreatePalette(entries);
        }
    } else {
        const raster::BitmapDescription& bm = record.description_.dsBm;
        record.halftone_ = record.halftone_ || raster::ScreenBitsPerPixel() < bm.bmBitsPixel * bm.bmPlanes;
        if (record.halftone_) record.palette_ = raster::CreateHalftonePalette();
    }
    if (!record.palette_) ignorePalette_ = true;
}

// --- Copying and changes -------------------------------------------------------------

void TBitmap::CopyFromObject(TPersistent* source) {
    auto* bitmap = dynamic_cast<TBitmap*>(source);
    if (source && !bitmap) {
        TGraphic::CopyFromObject(source);
        return;
    }
    // The canvas must not go on drawing into the image this bitmap lets go of.
    FreeCanvasContext();
    if (bitmap) {
        std::lock_guard lock(BitmapImageLock);
        // From now on the record is shared: nobody may write through old row addresses.
        if (raster::DibImage* dib = bitmap->image_->DIBHandle()) dib->CloseBits();
        image_ = bitmap->image_;
        StoreTransparent(bitmap->Transparent());
        transparentColor_ = bitmap->transparentColor_;
        transparentMode_ = bitmap->transparentMode_;
        maskValid_ = false;
    } else {
        InstallEmptyRecord();
    }
    SetPaletteModified(Palette() != nullptr);
    NotifyChanged(this);
}

void TBitmap::NotifyChanged(TObject* sender) {
    maskBitsValid_ = false;
    TGraphic::NotifyChanged(sender);
}

void TBitmap::CanvasChanging(TObject*) { Changing(); }
void TBitmap::CanvasChanged(TObject*) { NotifyChanged(this); }

void TBitmap::FreeCanvasContext() {
    if (canvas_) canvas_->FreeHandle();
}

// --- Size, layout, handles -------------------------------------------------------------

bool TBitmap::Empty() const { return !image_->DeviceHandle() && !image_->DIBHandle() && !image_->savedStream_; }

std::int32_t TBitmap::Width() const { return image_->description_.dsBm.bmWidth; }

std::int32_t TBitmap::Height() const { return std::abs(image_->description_.dsBm.bmHeight); }

void TBitmap::SetWidth(std::int32_t width) {
    assert(width >= 0 && "a negative width");
    if (width == image_->description_.dsBm.bmWidth) return;
    Reshape(
        [width](raster::DibSection& description) { description.dsBm.bmWidth = description.dsBmih.biWidth = width; });
}

void TBitmap::SetHeight(std::int32_t height) {
    assert(height >= 0 && "a negative height");
    if (height == image_->description_.dsBm.bmHeight) return;
    Reshape([height](raster::DibSection& description) {
        description.dsBm.bmHeight = description.dsBmih.biHeight = height;
    });
}

void TBitmap::Reshape(const std::function<void(raster::DibSection&)>& change) {
    EnsureHandle();
    raster::DibSection description = image_->description_;
    change(description);
    Rebuild(image_->DeviceHandle(), image_->palette_, description);
    NotifyChanged(this);
}

TStorageKind TBitmap::StorageKind() const {
    raster::Image* device = image_->DeviceHandle();
    raster::Image* dib = image_->DIBHandle();
    return (device && device != dib) || (!device && !dib && image_->description_.dsBmih.biSize == 0) ? skDevice : skDIB;
}

void TBitmap::SetStorageKind(TStorageKind kind) {
    if (kind == StorageKind()) return;
    TBitmapImage& record = *image_;
    if (!record.DeviceHandle() && !record.DIBHandle()) {
        record.description_.dsBmih.biSize = kind == skDevice ? 0 : 40;
        return;
    }
    const bool shared = record.ShareCount() > 1;
    if (kind == skDevice) {
        raster::DibSection description = record.description_;
        description.dsBmih.biSize = 0;
        raster::PaletteHandle palette = shared ? raster::CopyPalette(record.palette_) : record.palette_;
        std::unique_ptr<raster::Image> device = BuildImage(record.DIBHandle(), palette, description, false);
        if (shared) {
            InstallRecord(std::move(device), std::move(palette), description, record.os2Format_, nullptr);
        } else {
            record.device_ = std::move(device);
            record.deviceIsDib_ = false;
        }
    } else {
        EnsureDib();
        if (shared) {
            Rebuild(record.DIBHandle(), record.palette_, record.description_);
        } else {
            MakeDibThePicture();
        }
    }
    NotifyChanged(this);
}

TPixelLayout TBitmap::PixelLayout() const {
    if (StorageKind() == skDevice) return plDevice;
    const raster::BitmapInfoHeader& header = image_->description_.dsBmih;
    for (const PixelLayoutEntry& entry : kPixelLayouts) {
        const bool hasMasks = entry.bitCount == 16 || entry.bitCount == 32;
        if (entry.bitCount == header.biBitCount && (!hasMasks || entry.compression == header.biCompression) &&
            (entry.compression != BI_BITFIELDS || entry.masks[1] == image_->description_.dsBitfields[1]))
            return entry.layout;
    }
    return plCustom;
}

void TBitmap::SetPixelLayout(TPixelLayout layout) {
    if (layout == PixelLayout()) return;
    if (layout == plDevice) {
        SetStorageKind(skDevice);
        return;
    }
    const PixelLayoutEntry* entry = FindLayout(layout);
    if (!entry) throw EInvalidGraphic(ResId::InvalidPixelLayout);

    raster::DibSection description;
    description.dsBm = image_->description_.dsBm;
    description.dsBm.bmBits = nullptr;
    raster::BitmapInfoHeader& header = description.dsBmih;
    header.biSize = 40;
    header.biWidth = description.dsBm.bmWidth;
    header.biHeight = description.dsBm.bmHeight;
    header.biPlanes = 1;
    header.biBitCount = entry->bitCount;
    header.biCompression = entry->compression;
    description.dsBitfields = entry->masks;
    raster::Image* source = Handle();
    raster::PaletteHandle palette = entry->palette == LayoutPalette::System16   ? raster::SystemPalette16()
                                    : entry->palette == LayoutPalette::Halftone ? raster::CreateHalftonePalette()
                                                                                : image_->palette_;
    if (layout == pl1Bit) palette = OneBitPalette(palette, source);
    Rebuild(source, palette, description);
    SetPaletteModified(palette != nullptr);
    NotifyChanged(this);
}

void TBitmap::MakeDibThePicture() {
    FreeCanvasContext();
    TBitmapImage& record = *image_;
    std::unique_ptr<raster::Image> dib(record.dib_.release());
    raster::DibSection description = record.description_;
    description.dsBm.bmBits = static_cast<raster::DibImage*>(dib.get())->Bits();
    const bool halftone = record.halftone_;
    InstallRecord(std::move(dib), std::move(record.palette_), description, record.os2Format_, nullptr);
    image_->halftone_ = halftone;
}

raster::Image* TBitmap::Handle() {
    FreeCanvasContext();
    EnsureHandle();
    Changing();
    return image_->DeviceHandle();
}

void TBitmap::SetHandle(std::unique_ptr<raster::Image> handle) {
    if (handle.get() == image_->DeviceHandle()) {
        assert(!handle && "the bitmap owns its image already");
        return;
    }
    FreeCanvasContext();
    raster::DibSection description;
    if (handle) Refresh(description, *handle);
    TBitmapImage& record = *image_;
    raster::PaletteHandle palette;
    if (record.ShareCount() == 1)
        palette = std::move(record.palette_);
    else
        palette = record.palette_ == raster::SystemPalette16() ? record.palette_ : raster::CopyPalette(record.palette_);
    InstallRecord(std::move(handle), std::move(palette), description, false, nullptr);
    NotifyChanged(this);
}

std::unique_ptr<raster::Image> TBitmap::DetachHandle() {
    EnsureHandle();
    Changing();
    TBitmapImage& record = *image_;
    std::unique_ptr<raster::Image> result;
    if (record.device_) {
        result = std::move(record.device_);
    } else if (record.deviceIsDib_) {
        record.deviceIsDib_ = false;
        record.description_.dsBm.bmBits = nullptr;
        result.reset(record.dib_.release());
    }
    TBitmapImage::DetachFromCanvases(result.get());
    return result;
}

std::uint8_t* TBitmap::RowPointer(std::int32_t row) {
    // No context stays bound while the caller writes the rows (see DibImage::OpenBits).
    FreeCanvasContext();
    Changing();
    if (row < 0 || row >= image_->description_.dsBm.bmHeight) throw EInvalidGraphicOperation(ResId::RowOutOfRange);
    EnsureHandle();
    EnsureDib();
    // A device image would drop the DIB at the next Changing and build it again from
    // itself: every call would copy the picture and lose what was written through the
    // rows given before. The DIB becomes the picture once, and the rows stay its own.
    if (image_->device_) MakeDibThePicture();
    raster::DibImage* dib = image_->DIBHandle();
    assert(dib && "a bitmap with rows has a DIB");
    dib->OpenBits();
    return RowAddress(row);
}

const std::uint8_t* TBitmap::ReadOnlyRowPointer(std::int32_t row) {
    if (row < 0 || row >= image_->description_.dsBm.bmHeight) throw EInvalidGraphicOperation(ResId::RowOutOfRange);
    EnsureHandle();
    EnsureDib();
    raster::DibImage* dib = image_->DIBHandle();
    assert(dib && "a bitmap with rows has a DIB");
    // Drawing of a canvas still bound reaches the buffer first.
    dib->Flush();
    return RowAddress(row);
}

std::uint8_t* TBitmap::RowAddress(std::int32_t row) const {
    const raster::BitmapInfoHeader& header = image_->description_.dsBmih;
    const std::int32_t memoryRow = header.biHeight > 0 ? header.biHeight - row - 1 : row;
    return static_cast<std::uint8_t*>(image_->description_.dsBm.bmBits) +
           memoryRow * raster::RowStride(header.biWidth, header.biBitCount);
}

TCanvas& TBitmap::Canvas() {
    if (!canvas_) {
        EnsureHandle();
        canvas_ = std::make_unique<TBitmapCanvas>(*this);
        canvas_->SetOnChange(TNotifyEvent(this, &TBitmap::CanvasChanged));
        canvas_->SetOnChanging(TNotifyEvent(this, &TBitmap::CanvasChanging));
    }
    return *canvas_;
}

bool TBitmap::Monochrome() const {
    const raster::BitmapDescription& bm = image_->description_.dsBm;
    return bm.bmPlanes == 1 && bm.bmBitsPixel == 1;
}

void TBitmap::SetMonochrome(bool monochrome) {
    const raster::BitmapInfoHeader& current = image_->description_.dsBmih;
    if (monochrome == (current.biPlanes == 1 && current.biBitCount == 1)) return;
    EnsureHandle();
    raster::DibSection description = image_->description_;
    description.dsBmih.biSize = 0;
    const std::uint16_t one = monochrome ? 1 : 0;
    description.dsBm.bmPlanes = description.dsBm.bmBitsPixel = one;
    description.dsBmih.biPlanes = description.dsBmih.biBitCount = one;
    Rebuild(image_->DeviceHandle(), image_->palette_, description);
    NotifyChanged(this);
}

raster::PaletteHandle TBitmap::Palette() const {
    MakePalette();
    return image_->palette_;
}

void TBitmap::SetPalette(raster::PaletteHandle palette) {
    TBitmapImage& record = *image_;
    if (palette == record.palette_) return;
    if (!palette && record.ShareCount() == 1) {
        record.palette_.reset();
        return;
    }
    FreeCanvasContext();
    EnsureHandle();
    raster::DibSection description = image_->description_;
    std::unique_ptr<raster::Image> image = BuildImage(image_->DeviceHandle(), palette, description, false);
    InstallRecord(std::move(image), palette, description, image_->os2Format_, nullptr);
    if (raster::DibImage* dib = image_->DIBHandle(); dib && palette && dib->BitsPerPixel() <= 8)
        dib->SetColourTable(raster::ColourTableOf(*palette));
    SetPaletteModified(true);
    NotifyChanged(this);
}

// --- Transparency and drawing ----------------------------------------------------------

TColor TBitmap::TransparentColor() {
    if (transparentColor_ != clDefault) return ColourToRGB(transparentColor_) | 0x02000000;
    if (Monochrome()) return 0x02FFFFFF;
    EnsureHandle();
    raster::Image* image = image_->DeviceHandle();
    // Without a pixel there is nothing to leave out.
    if (!image) return clNone;
    return ColourOfPixel(raster::GetPixel(*image, 0, image->Height() - 1)) | 0x02000000;
}

void TBitmap::SetTransparentColor(TColor color) {
    if (color == transparentColor_) return;
    transparentMode_ = color == clDefault ? tmAuto : tmFixed;
    transparentColor_ = color;
    NotifyChanged(this);
}

raster::Image* TBitmap::MaskBitmapHandle() {
    if (maskValid_ && maskBitsValid_) return image_->mask_.get();
    TBitmapImage::DetachFromCanvases(image_->mask_.get());
    image_->mask_.reset();
    FreeCanvasContext();
    EnsureHandle();
    if (raster::Image* image = image_->DeviceHandle()) {
        auto mask = raster::DeviceImage::CreateMonochrome(image->Width(), image->Height());
        if (!mask) RaiseOutOfResources();
        const TColor transparent = TransparentColor();
        if (transparent != clNone) raster::CopyImage(*mask, *image, {0, RasterColour(transparent & 0xFFFFFF)});
        image_->mask_ = std::move(mask);
    }
    maskValid_ = maskBitsValid_ = true;
    return image_->mask_.get();
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
    canvas.RequiredState(csAllValid);
    // Palettes need no realising on the true-colour surfaces this system draws on.
    MakePalette();
    EnsureHandle();
    raster::Image* image = image_->DeviceHandle();
    if (!image) return;

    const raster::BitmapDescription& bm = image_->description_.dsBm;
    auto* bitmapCanvas = dynamic_cast<TBitmapCanvas*>(&canvas);
    const raster::Image* target = bitmapCanvas ? bitmapCanvas->BoundImage() : nullptr;
    const int destinationBits = target ? target->BitsPerPixel() : raster::ScreenBitsPerPixel();
    const raster::StretchMode mode = destinationBits <= 8 && destinationBits < bm.bmBitsPixel * bm.bmPlanes
                                         ? raster::StretchMode::Halftone
                                         : raster::StretchMode::DeleteScans;
    const platform::Rect destination{rect.Left, rect.Top, rect.Right, rect.Bottom};
    const platform::Rect whole{0, 0, bm.bmWidth, std::abs(bm.bmHeight)};

    bool shown;
    if (Transparent()) {
        raster::Image* mask = MaskBitmapHandle();
        image = image_->DeviceHandle();
        shown = raster::MaskedStretchBlt(canvas.Handle(), destination, *image, whole, *mask, mode);
    } else {
        raster::StretchSettings settings;
        settings.rop = canvas.CopyMode();
        settings.mode = mode;
        settings.colours = {RasterColour(canvas.Font().Color()), RasterColour(canvas.Brush().Color())};
        settings.brush = settings.colours.background;
        shown = raster::StretchBlt(canvas.Handle(), destination, *image, whole, settings);
    }
    if (!shown) RaiseOutOfResources();
}

void TBitmap::ReleaseResources() {
    auto stream = std::make_unique<TMemoryStream>();
    WriteBitmap(*stream, false);
    stream->ShrinkToFit();
    FreeCanvasContext();
    canvas_.reset();
    raster::DibSection description = image_->description_;
    description.dsBm.bmBits = nullptr;
    // An empty bitmap keeps no file: it would no longer be Empty.
    if (stream->Size() == 0) stream.reset();
    InstallRecord(nullptr, nullptr, description, image_->os2Format_, std::move(stream));
}

// --- Files and the clipboard -------------------------------------------------------------

void TBitmap::LoadStream(TStream& stream) { ReadBitmap(stream, stream.Size() - stream.Position()); }

void TBitmap::ReadStoredData(TStream& stream) {
    std::uint8_t length[kStoredLengthBytes];
    stream.ReadBuffer(length, sizeof length);
    ReadBitmap(stream, std::int64_t(ReadLittleEndian(length, sizeof length)));
}

void TBitmap::SaveStream(TStream& stream) { WriteBitmap(stream, false); }

void TBitmap::WriteStoredData(TStream& stream) { WriteBitmap(stream, true); }

void TBitmap::ReadBitmap(TStream& stream, std::int64_t length) {
    FreeCanvasContext();
    if (length == 0) {
        InstallEmptyRecord();
        return;
    }
    TBmpContents contents = ReadBmpFile(stream, length);
    InstallRecord(std::move(contents.image), std::move(contents.palette), contents.description, contents.os2Format,
                  std::move(contents.savedStream));
    SetPaletteModified(Palette() != nullptr);
    NotifyChanged(this);
}

void TBitmap::WriteBitmap(TStream& stream, bool withLength) {
    if (TMemoryStream* saved = image_->savedStream_.get()) {
        const auto size = std::uint32_t(saved->Size());
        if (withLength) WriteStoredLength(stream, size);
        stream.WriteBuffer(saved->Memory(), size);
        return;
    }
    EnsureDib();
    TBitmapImage& record = *image_;
    raster::DibImage* dib = record.DIBHandle();
    if (!dib) {
        if (withLength) WriteStoredLength(stream, 0);
        return;
    }
    dib->Flush();

    std::vector<raster::RgbQuad> colours(dib->ColourTable().begin(), dib->ColourTable().end());
    raster::DibSection& description = record.description_;
    if (description.dsBmih.biClrUsed > 0 && description.dsBmih.biClrUsed < colours.size())
        colours.resize(description.dsBmih.biClrUsed);
    if (!record.os2Format_ && colours.empty() && record.palette_ && !record.halftone_)
        colours = raster::ColourTableOf(*record.palette_);
    CompleteMasks(description);
    if (!colours.empty()) description.dsBmih.biClrUsed = std::uint32_t(colours.size());

    WriteBmpFile(stream, {description.dsBmih, description.dsBitfields, colours, dib->Bits(), record.os2Format_},
                 withLength);
}

void TBitmap::LoadClipboardData(std::uint16_t format, raster::Image* data, const raster::PaletteHandle& palette) {
    if (format != CF_BITMAP || !data) throw EInvalidGraphic(ResId::UnsupportedClipboardFormat);
    raster::DibSection description;
    Refresh(description, *data);
    Rebuild(data, palette, description);
    image_->os2Format_ = false;
    SetPaletteModified(palette != nullptr);
    NotifyChanged(this);
}

TClipboardData TBitmap::SaveClipboardData() {
    EnsureHandle();
    TClipboardData result;
    result.format = CF_BITMAP;
    raster::DibSection description = image_->description_;
    description.dsBmih.biSize = 0;
    result.palette = raster::CopyPalette(image_->palette_);
    result.data = BuildImage(image_->DeviceHandle(), result.palette, description, true);
    return result;
}

}  // namespace orvalis

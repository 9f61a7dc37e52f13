#include "graphics/Graphic.h"

#include <cstring>

#include "classes/ClassBuilder.h"
#include "classes/Filer.h"
#include "graphics/Canvas.h"
#include "runtime/Exceptions.h"
#include "runtime/FileStream.h"

namespace orvalis {

namespace {

[[noreturn]] void RaiseAbstract() { throw EAbstractError(ResId::AbstractCall); }

}  // namespace

const TClassInfo& TGraphic::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TGraphic, TPersistent>("TGraphic");
    return info;
}

void TGraphic::DeclareCustomProperties(TFiler& filer) {
    TPersistent::DeclareCustomProperties(filer);
    filer.OfferBinaryProperty(
        "Data", [this](TMemoryStream& data) { ReadStoredData(data); }, [this](TStream& data) { WriteStoredData(data); },
        HasStoredDataToWrite(filer.Ancestor()));
}

bool TGraphic::HasStoredDataToWrite(TPersistent* ancestor) {
    if (!ancestor) return !Empty();
    auto* graphic = dynamic_cast<TGraphic*>(ancestor);
    return !graphic || !IsSameAs(*graphic);
}

void TGraphic::NotifyChanged(TObject*) {
    changedFlag_ = true;
    if (onChange_) onChange_(this);
}

void TGraphic::Draw(TCanvas&, const TRect&) { RaiseAbstract(); }

bool TGraphic::IsSameAs(TGraphic& other) {
    const bool empty = Empty();
    const bool otherEmpty = other.Empty();
    if (empty || otherEmpty) return empty && otherEmpty;
    if (&ClassInfo() != &other.ClassInfo()) return false;
    TMemoryStream mine, theirs;
    WriteStoredData(mine);
    other.WriteStoredData(theirs);
    return mine.Size() == theirs.Size() &&
           (mine.Size() == 0 || std::memcmp(mine.Memory(), theirs.Memory(), std::size_t(mine.Size())) == 0);
}

bool TGraphic::Empty() const { RaiseAbstract(); }
std::int32_t TGraphic::Height() const { RaiseAbstract(); }
raster::PaletteHandle TGraphic::Palette() const { return nullptr; }
bool TGraphic::Transparent() const { return transparent_; }
std::int32_t TGraphic::Width() const { RaiseAbstract(); }
void TGraphic::ReadStoredData(TStream& stream) { LoadStream(stream); }
void TGraphic::SetHeight(std::int32_t) { RaiseAbstract(); }
void TGraphic::SetPalette(raster::PaletteHandle) {}

void TGraphic::SetTransparent(bool transparent) {
    if (transparent == transparent_) return;
    transparent_ = transparent;
    NotifyChanged(this);
}

void TGraphic::SetWidth(std::int32_t) { RaiseAbstract(); }
void TGraphic::WriteStoredData(TStream& stream) { SaveStream(stream); }

void TGraphic::LoadFile(const String& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadStream(stream);
}

void TGraphic::SaveFile(const String& fileName) {
    TFileStream stream(fileName, fmCreate);
    SaveStream(stream);
}

void TGraphic::LoadStream(TStream&) { RaiseAbstract(); }
void TGraphic::SaveStream(TStream&) { RaiseAbstract(); }
void TGraphic::LoadClipboardData(std::uint16_t, raster::Image*, const raster::PaletteHandle&) { RaiseAbstract(); }
TClipboardData TGraphic::SaveClipboardData() { RaiseAbstract(); }

void TGraphic::CopyWithoutPicture(TPersistent* source) {
    if (source && !source->InheritsFrom(ClassInfo())) {
        TGraphic::CopyFromObject(source);
        return;
    }
    if (auto* graphic = dynamic_cast<TGraphic*>(source)) StoreTransparent(graphic->Transparent());
    NotifyChanged(this);
}

void TGraphic::Progress(TObject* sender, TProgressStage stage, std::uint8_t percentDone, bool redrawNow,
                        const TRect& rect, const String& message) {
    if (onProgress_) onProgress_(sender, stage, percentDone, redrawNow, rect, message);
}

void DrawScaled(TCanvas& canvas, const TRect& rect, TGraphic* graphic) {
    if (!graphic) return;
    canvas.Changing();
    canvas.RequiredState(csAllValid);
    graphic->Draw(canvas, rect);
    canvas.Changed();
}

}  // namespace orvalis

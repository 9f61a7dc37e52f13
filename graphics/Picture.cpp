#include "graphics/Picture.h"

#include <cassert>
#include <string>

#include "classes/ClassBuilder.h"
#include "classes/Filer.h"
#include "graphics/Bitmap.h"
#include "graphics/ClipboardFormats.h"
#include "graphics/FileFormats.h"
#include "graphics/Icon.h"

namespace orvalis {

namespace {

constexpr std::size_t kMaxClassNameBytes = 63;

std::unique_ptr<TGraphic> CreateGraphic(const TClassInfo& graphicClass) {
    std::unique_ptr<TPersistent> made = graphicClass.Create();
    auto* graphic = dynamic_cast<TGraphic*>(made.get());
    assert(graphic && "a graphic class");
    made.release();
    return std::unique_ptr<TGraphic>(graphic);
}

}  // namespace

const TClassInfo& TPicture::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TPicture, TPersistent>("TPicture");
    return info;
}

TPicture::TPicture() {
    FileFormats();
    ClipboardFormats();
}

TPicture::~TPicture() = default;

void TPicture::Install(std::unique_ptr<TGraphic> graphic) {
    if (graphic) {
        graphic->SetOnChange(TNotifyEvent(this, &TPicture::Changed));
        graphic->SetOnProgress(TProgressEvent(this, &TPicture::Progress));
    }
    graphic_ = std::move(graphic);
    Changed(this);
}

void TPicture::SetGraphic(TGraphic* graphic) {
    std::unique_ptr<TGraphic> copy;
    if (graphic) {
        copy = CreateGraphic(graphic->ClassInfo());
        copy->CopyFromObject(graphic);
    }
    Install(std::move(copy));
}

template <class G>
G& TPicture::ForceType() {
    if (auto* graphic = dynamic_cast<G*>(graphic_.get())) return *graphic;
    Install(CreateGraphic(G::StaticClassInfo()));
    return static_cast<G&>(*graphic_);
}

TBitmap& TPicture::Bitmap() { return ForceType<TBitmap>(); }
TIcon& TPicture::Icon() { return ForceType<TIcon>(); }

std::int32_t TPicture::Width() const { return graphic_ ? graphic_->Width() : 0; }
std::int32_t TPicture::Height() const { return graphic_ ? graphic_->Height() : 0; }

void TPicture::CopyFromObject(TPersistent* source) {
    if (!source)
        SetGraphic(nullptr);
    else if (auto* picture = dynamic_cast<TPicture*>(source))
        SetGraphic(picture->Graphic());
    else if (auto* graphic = dynamic_cast<TGraphic*>(source))
        SetGraphic(graphic);
    else
        source->CopyInto(*this);
}

void TPicture::CopyInto(TPersistent& destination) {
    if (graphic_ && graphic_->InheritsFrom(destination.ClassInfo()))
        destination.CopyFromObject(graphic_.get());
    else
        RaiseAssignError(this, destination);
}

void TPicture::LoadStream(TStream& stream) { Bitmap().LoadStream(stream); }
void TPicture::SaveStream(TStream& stream) { Bitmap().SaveStream(stream); }

void TPicture::AddFileFormat(std::string_view extension, const String& description, const TClassInfo& graphicClass) {
    FileFormats().Add(extension, description, graphicClass);
}

void TPicture::RemoveGraphicClass(const TClassInfo& graphicClass) {
    if (TFileFormatsList* formats = FileFormatsIfMade()) formats->Remove(graphicClass);
    if (TClipboardFormats* formats = ClipboardFormatsIfMade()) formats->Remove(graphicClass);
}

void TPicture::Changed(TObject*) {
    if (onChange_) onChange_(this);
    if (notifier_) notifier_->Changed();
}

void TPicture::Progress(TObject* sender, TProgressStage stage, std::uint8_t percentDone, bool redrawNow,
                        const TRect& rect, const String& message) {
    if (onProgress_) onProgress_(sender, stage, percentDone, redrawNow, rect, message);
}

// --- The form property "Data" ---------------------------------------------------------

void TPicture::DeclareCustomProperties(TFiler& filer) {
    TPersistent::DeclareCustomProperties(filer);
    filer.OfferBinaryProperty(
        "Data", [this](TMemoryStream& data) { ReadData(data); }, [this](TStream& data) { WriteData(data); },
        HasDataToWrite(filer.Ancestor()));
}

bool TPicture::HasDataToWrite(TPersistent* ancestor) const {
    if (!ancestor) return graphic_ != nullptr;
    auto* picture = dynamic_cast<TPicture*>(ancestor);
    if (!picture) return true;
    TGraphic* theirs = picture->Graphic();
    if (theirs == graphic_.get()) return false;
    return !(theirs && graphic_ && graphic_->IsSameAs(*theirs));
}

void TPicture::ReadData(TStream& stream) {
    std::uint8_t length = 0;
    stream.ReadBuffer(&length, 1);
    std::string name(length, '\0');
    stream.ReadBuffer(name.data(), length);
    std::unique_ptr<TGraphic> graphic;
    if (const TClassInfo* graphicClass = FileFormats().LookUpClassByName(name)) {
        graphic = CreateGraphic(*graphicClass);
        graphic->ReadStoredData(stream);
    }
    Install(std::move(graphic));
}

void TPicture::WriteData(TStream& stream) {
    const std::string_view name = graphic_ ? graphic_->ClassName().substr(0, kMaxClassNameBytes) : std::string_view();
    const auto length = std::uint8_t(name.size());
    stream.WriteBuffer(&length, 1);
    stream.WriteBuffer(name.data(), name.size());
    if (graphic_) graphic_->WriteStoredData(stream);
}

}  // namespace orvalis

// Arbitrary bytes read as a form resource, twice: into an existing form (the way a
// form reads its own resource) and with no root, so that the root's class is looked
// up in the registry. A resource that reads is then written back and read again:
// what the writer writes must read back and be written the same way.
//
// Any framework exception is a refusal, not a finding. Anything else escaping, a
// sanitizer report, a lock left held or a reference left waiting after the reading
// is over is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "framework/classes/ClassBuilder.h"
#include "framework/classes/ClassRegistry.h"
#include "framework/classes/Collection.h"
#include "framework/classes/Color.h"
#include "framework/classes/Component.h"
#include "framework/classes/Events.h"
#include "framework/classes/FontCharset.h"
#include "framework/classes/Loading.h"
#include "framework/classes/Strings.h"
#include "framework/classes/TypeInfo.h"
#include "framework/classes/Writer.h"
#include "runtime/Exceptions.h"
#include "runtime/Stream.h"

namespace orvalis::fuzz {
namespace {

enum TFuzzStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
constexpr std::string_view kFuzzStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
constexpr TTypeInfo kFuzzStyleType = EnumerationType("TFuzzStyle", kFuzzStyleNames);
constexpr TTypeInfo kFuzzStylesType = SetType("TFuzzStyles", kFuzzStyleType);

enum class TFuzzAlign : std::uint8_t { None, Top, Bottom, Client };
constexpr std::string_view kFuzzAlignNames[] = {"alNone", "alTop", "alBottom", "alClient"};
constexpr TTypeInfo kFuzzAlignType = EnumerationType("TFuzzAlign", kFuzzAlignNames);
[[maybe_unused]] const TTypeInfo& DescribeType(TypeTag<TFuzzAlign>) { return kFuzzAlignType; }

// Forty names: a set of them keeps the first 32 positions only.
constexpr std::string_view kManyNames[] = {
    "m0",  "m1",  "m2",  "m3",  "m4",  "m5",  "m6",  "m7",  "m8",  "m9",  "m10", "m11", "m12", "m13",
    "m14", "m15", "m16", "m17", "m18", "m19", "m20", "m21", "m22", "m23", "m24", "m25", "m26", "m27",
    "m28", "m29", "m30", "m31", "m32", "m33", "m34", "m35", "m36", "m37", "m38", "m39"};
constexpr TTypeInfo kManyType = EnumerationType("TMany", kManyNames);
constexpr TTypeInfo kManySetType = SetType("TManySet", kManyType, ordLong);
constexpr TTypeInfo kShortCaptionType = ShortStringType("TShortCaption", 15);

class TFuzzFont : public TPersistent {
    ORVALIS_TYPE_INFO(TFuzzFont)

    TFuzzFont() = default;

    void CopyFromObject(TPersistent* source) override {
        auto* font = dynamic_cast<TFuzzFont*>(source);
        if (!font) return TPersistent::CopyFromObject(source);
        height_ = font->height_;
        name_ = font->name_;
        color_ = font->color_;
        charset_ = font->charset_;
        style_ = font->style_;
        size_ = font->size_;
    }

private:
    std::int32_t height_ = -11;
    String name_ = "Sans";
    TColor color_ = clWindowText;
    TFontCharset charset_ = DEFAULT_CHARSET;
    std::uint8_t style_ = 0;
    float size_ = 0;
};

class TFuzzItem : public TCollectionItem {
    ORVALIS_TYPE_INFO(TFuzzItem)

    explicit TFuzzItem(TCollection* collection) : TCollectionItem(collection) {}

private:
    String caption_;
    std::int32_t width_ = 0;
    std::uint16_t word_ = 0;
};

// A control-like child with a property of every kind the reader stores, a reference,
// an event and a binary custom property.
class TFuzzChild : public TComponent {
    ORVALIS_TYPE_INFO(TFuzzChild)

    explicit TFuzzChild(TComponent* owner) : TComponent(owner) {}

    const TNotifyEvent& OnClick() const { return onClick_; }
    void SetOnClick(const TNotifyEvent& handler) { onClick_ = handler; }

    void DeclareCustomProperties(TFiler& filer) override {
        TComponent::DeclareCustomProperties(filer);
        filer.OfferBinaryProperty(
            "Data", [this](TMemoryStream& data) { data_.assign(data.Memory(), data.Memory() + data.Size()); },
            [this](TStream& data) { data.WriteBuffer(data_.data(), data_.size()); }, !data_.empty());
    }

protected:
    void Notification(TComponent& component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == operationRemove && &component == associate_) associate_ = nullptr;
    }

private:
    String caption_;
    String shortCaption_;
    std::int32_t width_ = 75;
    std::int8_t small_ = 0;
    std::uint32_t cardinal_ = 0;
    TNotifyEvent onClick_;
    TComponent* associate_ = nullptr;
    TFuzzAlign align_ = TFuzzAlign::None;
    bool enabled_ = true;
    char accelerator_ = 0;
    double ratio_ = 0;
    long double extended_ = 0;
    std::u16string hint_;
    std::int64_t big_ = 0;
    std::int32_t flag_ = 0;
    std::uint32_t many_ = 0;
    std::vector<std::uint8_t> data_;
};

class TFuzzTimer : public TComponent {
    ORVALIS_TYPE_INFO(TFuzzTimer)

    explicit TFuzzTimer(TComponent* owner) : TComponent(owner) {}

    const TNotifyEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(const TNotifyEvent& handler) { onTimer_ = handler; }

private:
    std::uint32_t interval_ = 1000;
    TNotifyEvent onTimer_;
};

// A form: an object of its own reached by paths, a string list, a collection, a part
// that is a sub-component, references, handlers, published fields and methods.
class TFuzzForm : public TComponent {
    ORVALIS_TYPE_INFO(TFuzzForm)

    explicit TFuzzForm(TComponent* owner) : TComponent(owner) {
        panel_ = new TFuzzChild(this);
        panel_->SetName("Panel");
        panel_->SetSubComponent(true);
    }
    ~TFuzzForm() override { DestroyComponents(); }

    TFuzzFont* Font() const { return font_.get(); }
    void SetFont(TFuzzFont* font) { font_->CopyFromObject(font); }
    TStringList* Items() const { return items_.get(); }
    void SetItems(TStringList* items) { items_->CopyFromObject(items); }
    TCollection* Columns() const { return columns_.get(); }
    void SetColumns(TCollection* columns) { columns_->CopyFromObject(columns); }
    TFuzzChild* Panel() const { return panel_; }
    std::int32_t Counter() const { return 0; }
    const TCloseEvent& OnClose() const { return onClose_; }
    void SetOnClose(const TCloseEvent& handler) { onClose_ = handler; }

    TFuzzChild* Button1 = nullptr;
    TFuzzChild* Button2 = nullptr;
    TFuzzTimer* Timer1 = nullptr;

    void Button1Click(TObject*) {}
    void Timer1Timer(TObject*) {}
    void FormClose(TObject*, TCloseAction& action) { action = closeFree; }

protected:
    void Notification(TComponent& component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation != operationRemove) return;
        if (&component == menu_) menu_ = nullptr;
        if (&component == default_) default_ = nullptr;
        if (&component == panel_) panel_ = nullptr;
    }

private:
    std::unique_ptr<TFuzzFont> font_ = std::make_unique<TFuzzFont>();
    std::unique_ptr<TStringList> items_ = std::make_unique<TStringList>();
    std::unique_ptr<TCollection> columns_ = std::make_unique<TCollection>(TFuzzItem::StaticClassInfo());
    TFuzzChild* panel_ = nullptr;
    String caption_;
    TColor color_ = clBtnFace;
    TComponent* menu_ = nullptr;
    TFuzzChild* default_ = nullptr;
    TCloseEvent onClose_;
};

}  // namespace

const TClassInfo& TFuzzFont::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TFuzzFont, TPersistent>("TFuzzFont")
        .Property("Charset", &TFuzzFont::charset_).Type(kFontCharsetType).Default(DEFAULT_CHARSET)
        .Property("Color", &TFuzzFont::color_).Type(kColorType).Default(clWindowText)
        .Property("Height", &TFuzzFont::height_)
        .Property("Name", &TFuzzFont::name_)
        .Property("Size", &TFuzzFont::size_)
        .Property("Style", &TFuzzFont::style_).Type(kFuzzStylesType).Default(0);
    return info;
}

const TClassInfo& TFuzzItem::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TFuzzItem, TCollectionItem>("TFuzzItem")
        .Property("Caption", &TFuzzItem::caption_)
        .Property("Width", &TFuzzItem::width_).Default(0)
        .Property("Word", &TFuzzItem::word_).Default(0);
    return info;
}

const TClassInfo& TFuzzChild::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TFuzzChild, TComponent>("TFuzzChild")
        .Property("Accelerator", &TFuzzChild::accelerator_)
        .Property("Align", &TFuzzChild::align_).Default(0)
        .Property("Associate", &TFuzzChild::associate_)
        .Property("Big", &TFuzzChild::big_).Default(0)
        .Property("Caption", &TFuzzChild::caption_)
        .Property("Cardinal", &TFuzzChild::cardinal_).Default(0)
        .Property("Enabled", &TFuzzChild::enabled_).Default(true)
        .Property("Extended", &TFuzzChild::extended_)
        .Property("Flag", &TFuzzChild::flag_).Type(kLongBoolType).Default(0)
        .Property("Hint", &TFuzzChild::hint_)
        .Property("Many", &TFuzzChild::many_).Type(kManySetType).Default(0)
        .Property("Ratio", &TFuzzChild::ratio_)
        .Property("ShortCaption", &TFuzzChild::shortCaption_).Type(kShortCaptionType)
        .Property("Small", &TFuzzChild::small_).Default(0)
        .Property("Width", &TFuzzChild::width_)
        .Property("OnClick", &TFuzzChild::OnClick, &TFuzzChild::SetOnClick);
    return info;
}

const TClassInfo& TFuzzTimer::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TFuzzTimer, TComponent>("TFuzzTimer")
        .Property("Interval", &TFuzzTimer::interval_).Default(1000)
        .Property("OnTimer", &TFuzzTimer::OnTimer, &TFuzzTimer::SetOnTimer);
    return info;
}

const TClassInfo& TFuzzForm::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TFuzzForm, TComponent>("TFuzzForm")
        .Property("Caption", &TFuzzForm::caption_)
        .Property("Color", &TFuzzForm::color_).Type(kColorType).Default(clBtnFace)
        .Property("Columns", &TFuzzForm::Columns, &TFuzzForm::SetColumns)
        .Property("Counter", &TFuzzForm::Counter)
        .Property("Default", &TFuzzForm::default_)
        .Property("Font", &TFuzzForm::Font, &TFuzzForm::SetFont)
        .Property("Items", &TFuzzForm::Items, &TFuzzForm::SetItems)
        .Property("Menu", &TFuzzForm::menu_)
        .Property("Panel", &TFuzzForm::Panel)
        .Property("OnClose", &TFuzzForm::OnClose, &TFuzzForm::SetOnClose)
        .Field("Button1", &TFuzzForm::Button1)
        .Field("Button2", &TFuzzForm::Button2)
        .Field("Timer1", &TFuzzForm::Timer1)
        .Method("Button1Click", &TFuzzForm::Button1Click)
        .Method("FormClose", &TFuzzForm::FormClose)
        .Method("Timer1Timer", &TFuzzForm::Timer1Timer);
    return info;
}

namespace {

// Another form that exists while the resources are read, so that references of the
// form "Other.Button1" resolve; any other form name leaves them waiting.
TFuzzForm* otherForm = nullptr;

TComponent* FindOtherForm(std::string_view name) {
    return otherForm && SameText(otherForm->Name().View(), name) ? otherForm : nullptr;
}

void SetUp() {
    RegisterStreamClasses({&TFuzzForm::StaticClassInfo(), &TFuzzChild::StaticClassInfo(),
                           &TFuzzTimer::StaticClassInfo(), &TStringList::StaticClassInfo()});
    otherForm = new TFuzzForm(nullptr);
    otherForm->SetName("Other");
    (new TFuzzChild(otherForm))->SetName("Button1");
    RegisterGlobalComponentLookup(&FindOtherForm);
}

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "fuzz_form_reader: %s\n", what);
    std::abort();
}

// After any reading, successful or not, nothing of it may be left behind.
void CheckNothingLeft() {
    if (TNameSpaceLock::Instance().IsWriteLocked()) Finding("the name-space lock is still held");
    if (PendingCrossFormReferenceCount() != 0) Finding("a reference of a freed form still waits");
}

std::unique_ptr<TMemoryStream> StreamOf(const std::uint8_t* data, std::size_t size) {
    auto stream = std::make_unique<TMemoryStream>();
    if (size > 0) stream->WriteBuffer(data, size);
    stream->SetPosition(0);
    return stream;
}

std::vector<std::uint8_t> Written(TComponent& root) {
    TMemoryStream stream;
    {
        TWriter writer(stream);
        writer.WriteRootComponent(root);
    }
    return {stream.Memory(), stream.Memory() + stream.Size()};
}

// Read into a new form, as a form reads its resource. A form made by an ancestor's
// resource already holds a child, which an inherited child of the stream can name.
std::unique_ptr<TFuzzForm> ReadIntoForm(const std::uint8_t* data, std::size_t size, bool withAncestorChild) {
    auto form = std::make_unique<TFuzzForm>(nullptr);
    if (withAncestorChild) (new TFuzzChild(form.get()))->SetName("Button2");
    const auto stream = StreamOf(data, size);
    ReadComponentFromStream(*stream, form.get());
    return form;
}

void WrittenReadsBack(TComponent& root) {
    const std::vector<std::uint8_t> first = Written(root);
    std::unique_ptr<TFuzzForm> again;
    try {
        again = ReadIntoForm(first.data(), first.size(), false);
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s\n", error.Message().CStr());
        Finding("what the writer wrote does not read back");
    }
    if (Written(*again) != first) Finding("what the writer wrote reads back into other values");
}

}  // namespace
}  // namespace orvalis::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orvalis::fuzz::SetUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvalis;
    using namespace orvalis::fuzz;

    std::unique_ptr<TFuzzForm> form;
    try {
        form = ReadIntoForm(data, size, true);
    } catch (const Exception&) {
    }
    if (TNameSpaceLock::Instance().IsWriteLocked()) Finding("the name-space lock is still held");
    if (form) WrittenReadsBack(*form);
    form.reset();
    CheckNothingLeft();

    try {
        const auto stream = StreamOf(data, size);
        const std::unique_ptr<TComponent> made(ReadComponentFromStream(*stream, nullptr));
    } catch (const Exception&) {
    }
    CheckNothingLeft();
    return 0;
}

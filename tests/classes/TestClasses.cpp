#include "tests/classes/TestClasses.h"

#include <algorithm>
#include <mutex>

#include "classes/ClassBuilder.h"
#include "classes/Loading.h"
#include "classes/Reader.h"

namespace orvalis::test {

std::vector<std::string>& LoadingLog() {
    static std::vector<std::string> log;
    return log;
}

const TClassInfo& TTestFont::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TTestFont, TPersistent>("TTestFont")
                                       .Property("Charset", &TTestFont::charset_)
                                       .Type(kFontCharsetType)
                                       .Default(DEFAULT_CHARSET)
                                       .Property("Color", &TTestFont::color_)
                                       .Type(kColorType)
                                       .Default(clWindowText)
                                       .Property("Height", &TTestFont::Height, &TTestFont::SetHeight)
                                       .Property("Name", &TTestFont::name_)
                                       .Property("Style", &TTestFont::style_)
                                       .Type(kTestStylesType)
                                       .Default(0);
    return info;
}

void TTestFont::CopyFromObject(TPersistent* source) {
    auto* font = dynamic_cast<TTestFont*>(source);
    if (!font) return TPersistent::CopyFromObject(source);
    height_ = font->height_;
    name_ = font->name_;
    color_ = font->color_;
    charset_ = font->charset_;
    style_ = font->style_;
}

const TClassInfo& TTestItem::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TTestItem, TCollectionItem>("TTestItem")
                                       .Property("Caption", &TTestItem::caption_)
                                       .Property("Width", &TTestItem::width_)
                                       .Default(0);
    return info;
}

const TClassInfo& TTestChild::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TTestChild, TComponent>("TTestChild")
                                       .Property("Accelerator", &TTestChild::accelerator_)
                                       .Property("Align", &TTestChild::align_)
                                       .Default(0)
                                       .Property("Associate", &TTestChild::associate_)
                                       .Property("Big", &TTestChild::big_)
                                       .Default(0)
                                       .Property("Caption", &TTestChild::caption_)
                                       .Property("Code", &TTestChild::code_)
                                       .Type(kCodeType)
                                       .Property("Enabled", &TTestChild::enabled_)
                                       .Default(true)
                                       .Property("Flag", &TTestChild::flag_)
                                       .Type(kLongBoolType)
                                       .Default(0)
                                       .Property("Hint", &TTestChild::hint_)
                                       .Property("Many", &TTestChild::many_)
                                       .Type(kManySetType)
                                       .Default(0)
                                       .Property("Ratio", &TTestChild::ratio_)
                                       .Property("Width", &TTestChild::width_)
                                       .Property("OnClick", &TTestChild::OnClick, &TTestChild::SetOnClick);
    return info;
}

void TTestChild::LoadingFinished() {
    TComponent::LoadingFinished();
    LoadingLog().push_back(Name().ToStdString());
}

void TTestChild::DeclareCustomProperties(TFiler& filer) {
    TComponent::DeclareCustomProperties(filer);
    filer.OfferBinaryProperty(
        "Data", [this](TMemoryStream& data) { data_.assign(data.Memory(), data.Memory() + data.Size()); },
        [this](TStream& data) {
            if (!data_.empty()) data.WriteBuffer(data_.data(), data_.size());
        },
        !data_.empty());
}

const TClassInfo& TTestTimer::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TTestTimer, TComponent>("TTestTimer")
                                       .Property("Interval", &TTestTimer::Interval, &TTestTimer::SetInterval)
                                       .Default(1000)
                                       .Property("OnTimer", &TTestTimer::OnTimer, &TTestTimer::SetOnTimer);
    return info;
}

void TTestTimer::LoadingFinished() {
    TComponent::LoadingFinished();
    LoadingLog().push_back(Name().ToStdString());
}

const TClassInfo& TTestForm::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TTestForm, TComponent>("TTestForm")
                                       .Property("Caption", &TTestForm::caption_)
                                       .Property("Color", &TTestForm::color_)
                                       .Type(kColorType)
                                       .Default(clBtnFace)
                                       .Property("Columns", &TTestForm::Columns, &TTestForm::SetColumns)
                                       .Property("Counter", &TTestForm::Counter)
                                       .Property("Default", &TTestForm::default_)
                                       .Property("Font", &TTestForm::Font, &TTestForm::SetFont)
                                       .Property("Items", &TTestForm::Items, &TTestForm::SetItems)
                                       .Property("Menu", &TTestForm::menu_)
                                       .Property("OnClose", &TTestForm::onClose_)
                                       .Field("Button1", &TTestForm::Button1)
                                       .Field("Button2", &TTestForm::Button2)
                                       .Field("Timer1", &TTestForm::Timer1)
                                       .Method("Button1Click", &TTestForm::Button1Click)
                                       .Method("FormClose", &TTestForm::FormClose)
                                       .Method("Timer1Timer", &TTestForm::Timer1Timer);
    return info;
}

TTestForm::TTestForm(TComponent* owner) : TComponent(owner) {}

TTestForm::~TTestForm() { DestroyComponents(); }

void TTestForm::LoadingFinished() {
    TComponent::LoadingFinished();
    LoadingLog().push_back(Name().ToStdString());
}

void TTestForm::Button1Click(TObject* sender) {
    lastSender = sender;
    lastReceiver = this;
}

void TTestForm::Timer1Timer(TObject* sender) { lastSender = sender; }

void TTestForm::FormClose(TObject* sender, TCloseAction& action) {
    lastSender = sender;
    action = closeFree;
}

const TClassInfo& TTestDerivedForm::StaticClassInfo() {
    static const TClassInfo info =
        DescribeClass<TTestDerivedForm, TTestForm>("TTestDerivedForm").Field("Extra", &TTestDerivedForm::Extra);
    return info;
}

Resource::Resource() : writer_(std::make_unique<TWriter>(stream_)) { writer_->WriteSignature(); }

Resource& Resource::Component(std::string_view className, std::string_view name, std::uint8_t flags, int position) {
    writer_->WritePrefix(flags, position);
    writer_->WriteShortString(className);
    writer_->WriteShortString(name);
    return *this;
}

Resource& Resource::Children() {
    writer_->WriteListEnd();
    return *this;
}

Resource& Resource::End() {
    writer_->WriteListEnd();
    return *this;
}

Resource& Resource::Name(std::string_view property) {
    writer_->WriteShortString(property);
    return *this;
}

Resource& Resource::Int(std::string_view property, std::int64_t value) {
    Name(property);
    writer_->WriteInteger(value);
    return *this;
}

Resource& Resource::Text(std::string_view property, std::string_view text) {
    Name(property);
    writer_->WriteText(text);
    return *this;
}

Resource& Resource::Ident(std::string_view property, std::string_view ident) {
    Name(property);
    writer_->WriteIdent(ident);
    return *this;
}

Resource& Resource::Set(std::string_view property, std::initializer_list<std::string_view> names) {
    Name(property);
    writer_->WriteSet(std::span<const std::string_view>(names.begin(), names.size()));
    return *this;
}

Resource& Resource::Raw(std::string_view property, std::initializer_list<std::uint8_t> bytes) {
    Name(property);
    writer_->Write(bytes.begin(), bytes.size());
    return *this;
}

std::vector<std::uint8_t> Resource::Bytes() {
    writer_->FlushBuffer();
    return {stream_.Memory(), stream_.Memory() + stream_.Size()};
}

std::unique_ptr<TMemoryStream> StreamOf(const std::vector<std::uint8_t>& bytes) {
    auto stream = std::make_unique<TMemoryStream>();
    if (!bytes.empty()) stream->WriteBuffer(bytes.data(), bytes.size());
    stream->SetPosition(0);
    return stream;
}

std::unique_ptr<TTestForm> ReadTestForm(const std::vector<std::uint8_t>& bytes) {
    auto form = std::make_unique<TTestForm>(nullptr);
    const auto stream = StreamOf(bytes);
    ReadComponentFromStream(*stream, form.get());
    return form;
}

namespace {

std::vector<TComponent*>& KnownForms() {
    static std::vector<TComponent*> forms;
    return forms;
}

TComponent* FindTestForm(std::string_view name) {
    for (TComponent* form : KnownForms())
        if (!form->HasState(stateLoading) && SameText(form->Name().View(), name)) return form;
    return nullptr;
}

}  // namespace

TestForms::TestForms() { RegisterGlobalComponentLookup(&FindTestForm); }

TestForms::~TestForms() {
    UnregisterGlobalComponentLookup(&FindTestForm);
    KnownForms().clear();
}

void TestForms::Add(TComponent& form) { KnownForms().push_back(&form); }

void TestForms::Remove(TComponent& form) { std::erase(KnownForms(), &form); }

}  // namespace orvalis::test

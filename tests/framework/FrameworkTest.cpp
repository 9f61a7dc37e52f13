#include "tests/framework/FrameworkTest.h"

#include <list>
#include <set>

#include "framework/classes/ClassBuilder.h"
#include "graphics/SystemColors.h"
#include "platform/MessageQueue.h"
#include "runtime/Resources.h"

namespace orvalis::test {

FormResource::FormResource() : writer_(std::make_unique<TWriter>(stream_)) { writer_->WriteSignature(); }

FormResource& FormResource::Component(std::string_view className, std::string_view name) {
    writer_->WriteShortString(className);
    writer_->WriteShortString(name);
    return *this;
}

FormResource& FormResource::Children() {
    writer_->WriteListEnd();
    return *this;
}

FormResource& FormResource::End() {
    writer_->WriteListEnd();
    return *this;
}

FormResource& FormResource::Int(std::string_view property, std::int64_t value) {
    writer_->WriteShortString(property);
    writer_->WriteInteger(value);
    return *this;
}

FormResource& FormResource::Text(std::string_view property, std::string_view text) {
    writer_->WriteShortString(property);
    writer_->WriteText(text);
    return *this;
}

FormResource& FormResource::Ident(std::string_view property, std::string_view ident) {
    writer_->WriteShortString(property);
    writer_->WriteIdent(ident);
    return *this;
}

FormResource& FormResource::Bool(std::string_view property, bool value) {
    writer_->WriteShortString(property);
    writer_->WriteBoolean(value);
    return *this;
}

FormResource& FormResource::Set(std::string_view property, std::initializer_list<std::string_view> names) {
    writer_->WriteShortString(property);
    writer_->WriteSet(std::vector<std::string_view>(names));
    return *this;
}

void FormResource::Register(std::string_view name) {
    static std::set<std::string> registered;
    static std::list<std::vector<std::uint8_t>> kept;  // resources must outlive their use
    if (!registered.insert(std::string(name)).second) return;
    writer_->FlushBuffer();
    const std::uint8_t* bytes = stream_.Memory();
    kept.emplace_back(bytes, bytes + stream_.Size());
    RegisterResource(ResourceType::RawData, name, kept.back());
}

const TClassInfo& TTestBox::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TTestBox, TCustomControl>("TTestBox")
                                       .Property("Caption", &TControl::Caption, &TControl::SetCaption)
                                       .Property("Color", &TControl::Color, &TControl::SetColor)
                                       .Type(kColorType)
                                       .Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
                                       .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
                                       .Default(true)
                                       .Property("OnClick", &TControl::OnClick)
                                       .Property("OnKeyPress", &TWinControl::OnKeyPress);
    return info;
}

TTestBox::TTestBox(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

void TTestBox::Paint() { Canvas().FillRect(ClientRect()); }

const TClassInfo& TTestPicture::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TTestPicture, TGraphicControl>("TTestPicture")
                                       .Property("Align", &TControl::Align, &TControl::SetAlign)
                                       .Default(alNone)
                                       .Property("Color", &TControl::Color, &TControl::SetColor)
                                       .Type(kColorType)
                                       .Property("OnClick", &TControl::OnClick);
    return info;
}

TTestPicture::TTestPicture(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 105, 105);
    SetControlStyle(ControlStyle() | csOpaque);
}

void TTestPicture::Paint() {
    ++paints;
    Canvas().FillRect(ClientRect());
}

void FrameworkTest::Run(const std::function<void(TApplication& application)>& body) { RunProgram(body); }

void FrameworkTest::PumpUntilScriptEnds() {
    script.Check([] { platform::PostQuitMessage(0); });
    while (!Application->QuitRequested()) Application->PumpOne();
}

std::vector<std::pair<std::string, std::string>> FrameworkTest::Boxes() const {
    std::vector<std::pair<std::string, std::string>> boxes;
    for (const auto& record : backend.MessageBoxLog()) boxes.emplace_back(record.request.caption, record.request.text);
    return boxes;
}

}  // namespace orvalis::test

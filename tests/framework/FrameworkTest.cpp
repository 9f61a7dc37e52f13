#include "tests/framework/FrameworkTest.h"

#include "classes/ClassBuilder.h"
#include "graphics/SystemColours.h"
#include "platform/MessageQueue.h"

namespace orvalis::test {

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

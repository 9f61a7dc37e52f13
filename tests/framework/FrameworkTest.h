#pragma once
// What the framework tests share: a headless session per test with its scripted user,
// form resources written with the component writer's primitives and registered under
// the upper-case class name, and the test controls.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Application.h"
#include "framework/CustomControl.h"
#include "framework/GraphicControl.h"
#include "framework/Program.h"
#include "framework/classes/Writer.h"
#include "platform/headless/HeadlessSession.h"
#include "runtime/Stream.h"

namespace orvalis {
// Texts show as texts in test failures.
inline void PrintTo(const String& text, std::ostream* out) { *out << '"' << text.View() << '"'; }
}  // namespace orvalis

namespace orvalis::test {

// A form resource in the TPF0 format, component by component.
class FormResource {
public:
    FormResource();

    // A component header; its properties follow.
    FormResource& Component(std::string_view className, std::string_view name);
    // Ends the properties; the children follow.
    FormResource& Children();
    // Ends the children.
    FormResource& End();
    // A component without children: Children().End().
    FormResource& Leaf() { return Children().End(); }

    FormResource& Int(std::string_view property, std::int64_t value);
    FormResource& Text(std::string_view property, std::string_view text);
    FormResource& Ident(std::string_view property, std::string_view ident);
    FormResource& Bool(std::string_view property, bool value);
    FormResource& Set(std::string_view property, std::initializer_list<std::string_view> names);

    // The bytes, registered as the raw-data resource `name` (the upper-case class name).
    // A name is registered once per test program: later calls with it change nothing.
    void Register(std::string_view name);

private:
    TMemoryStream stream_;
    std::unique_ptr<TWriter> writer_;
};

// A windowed control that can take the focus (Tab stops at it) and paints itself in
// its colour; a click runs OnClick.
class TTestBox : public TCustomControl {
    ORVALIS_TYPE_INFO(TTestBox)

    explicit TTestBox(TComponent* owner);

protected:
    void Paint() override;
};

// A windowless control that fills its rectangle with its colour; it has no click
// handler unless one is bound.
class TTestPicture : public TGraphicControl {
    ORVALIS_TYPE_INFO(TTestPicture)

    explicit TTestPicture(TComponent* owner);

    int paints = 0;

protected:
    void Paint() override;
};

// A headless platform per test, and the program's run on it.
class FrameworkTest : public ::testing::Test {
protected:
    // RunProgram with `body`.
    void Run(const std::function<void(TApplication& application)>& body);
    // Pumps the application's loop until the script's last step, which asks to quit.
    void PumpUntilScriptEnds();
    // The message boxes shown so far, as (caption, text).
    std::vector<std::pair<std::string, std::string>> Boxes() const;

    platform::headless::HeadlessSession session;
    platform::headless::UserScript& script = session.Script();
    platform::headless::HeadlessBackend& backend = session.Backend();
};

}  // namespace orvalis::test

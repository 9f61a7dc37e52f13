#pragma once
// What the framework tests share: a headless session per test with its scripted user,
// and the test controls. Their forms' resources are form sources in forms/, embedded at
// build time as the program embeds its own.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/CustomControl.h"
#include "framework/GraphicControl.h"
#include "framework/Program.h"
#include "platform/headless/HeadlessSession.h"
#include "tests/support/PrintString.h"

namespace orvalis::test {

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

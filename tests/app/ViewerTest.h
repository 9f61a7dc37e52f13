#pragma once
// What the viewer's tests share: a folder of their own as the working directory, the
// headless backend with its scripted user, the real viewer run through the program's own
// start-up piece, and readings of what the user sees (captions, pixels, the message
// dialogs on the screen).

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/HeadlessSession.h"
#include "runtime/String.h"
#include "tests/app/ViewerFiles.h"
#include "tests/support/PrintString.h"

namespace orvalis::test {

// A dialog as the user reads it: (caption, text).
using Seen = std::pair<std::string, std::string>;

class ViewerTest : public ::testing::Test {
protected:
    // The viewer, from its start-up to its end, under the script; its status. Given a
    // file, the viewer starts on it as from the command line.
    int RunTheViewer(const std::string& fileAtStart = {});
    // A piece of code run as the program's start-up body (the application exists, no
    // form does): the loaders' own tests.
    void RunInProgram(const std::function<void()>& body);

    // The framework's message dialogs on the screen, bottom first.
    static std::vector<Seen> MessageDialogs();
    // The platform's message boxes shown so far (the application's error boxes).
    std::vector<Seen> ErrorBoxes() const;

    // The main window's caption and client size, and a pixel of its client area.
    static std::string MainCaption();
    static std::pair<int, int> MainClientSize();  // (width, height)
    // The width of the main window's menu bar; the client area is never narrower.
    static int MenuBarWidth();
    // The client size that a picture of this size gives the main window.
    static std::pair<int, int> ClientSizeFor(int pictureWidth, int pictureHeight);
    static std::uint32_t MainPixel(int x, int y);

    WorkFolder folder;  // first: the working directory before the program starts
    platform::headless::HeadlessSession session;
    platform::headless::UserScript& script = session.Script();
    platform::headless::HeadlessBackend& backend = session.Backend();
};

// Whether two colours 0x00RRGGBB are the same within `tolerance` on each channel (JPEG
// views are lossy).
bool NearColour(std::uint32_t actual, std::uint32_t expected, int tolerance = 4);
#define EXPECT_NEAR_COLOUR(actual, expected) \
    EXPECT_PRED2([](std::uint32_t a, std::uint32_t e) { return NearColour(a, e); }, actual, expected)

}  // namespace orvalis::test

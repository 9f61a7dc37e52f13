#pragma once
// A headless platform per test, a window procedure that records what it receives, and
// the small loops the tests drive.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/Focus.h"
#include "platform/MessageQueue.h"
#include "platform/ScreenMetrics.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessSession.h"

namespace orvalis::platform::testing {

struct Received {
    HWND window;
    std::uint32_t message;
    WPARAM wParam;
    LPARAM lParam;
};

// Records every message, answers with a handler when one is set for the message,
// and passes the rest to the default handling.
class Recorder : public WindowProcedure {
public:
    using Handler = std::function<LRESULT(HWND, WPARAM, LPARAM)>;

    LRESULT WindowProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) override {
        log.push_back({window, message, wParam, lParam});
        if (auto found = handlers.find(message); found != handlers.end()) return found->second(window, wParam, lParam);
        return DefWindowProc(window, message, wParam, lParam);
    }

    // The entries for these messages, in order.
    std::vector<Received> Only(std::initializer_list<std::uint32_t> messages) const {
        std::vector<Received> kept;
        for (const Received& r : log)
            for (std::uint32_t m : messages)
                if (r.message == m) kept.push_back(r);
        return kept;
    }

    std::vector<Received> log;
    std::map<std::uint32_t, Handler> handlers;
};

class PlatformTest : public ::testing::Test {
protected:
    explicit PlatformTest(ScreenMetrics screen = {}) : session(screen) {
        RegisterWindowClass({"TestWindow", CS_DBLCLKS});
    }

    HWND TopLevel(const Rect& bounds, std::uint32_t style = WS_POPUP, std::string caption = "Fenêtre") {
        return CreateWindow({"TestWindow", std::move(caption), style, 0, bounds, 0, &recorder});
    }
    HWND Child(HWND parent, const Rect& bounds, std::string text = "") {
        return CreateWindow({"TestWindow", std::move(text), WS_CHILD | WS_VISIBLE, 0, bounds, parent, &recorder});
    }

    // Dispatches everything that is there, without waiting.
    void Drain() {
        Message message;
        while (PeekMessage(message, PM_REMOVE)) {
            TranslateMessage(message);
            DispatchMessage(message);
        }
    }
    // Runs the program's loop until the script is over: its last step, performed once
    // everything before it has been handled, posts a message that ends the loop.
    void RunScript() {
        constexpr std::uint32_t kScriptDone = WM_USER + 0x3FF;
        script.Check([] { PostMessage(0, kScriptDone, 0, 0); });
        Message message;
        while (GetMessage(message) && !(message.hwnd == 0 && message.message == kScriptDone)) {
            TranslateMessage(message);
            DispatchMessage(message);
        }
    }
    // The program's loop: runs the script until WM_QUIT.
    int RunLoop() {
        Message message;
        while (GetMessage(message)) {
            TranslateMessage(message);
            DispatchMessage(message);
        }
        return static_cast<int>(message.wParam);
    }

    headless::HeadlessSession session;
    headless::UserScript& script = session.Script();
    headless::HeadlessBackend& backend = session.Backend();
    Recorder recorder;
};

}  // namespace orvalis::platform::testing

#include <atomic>
#include <thread>

#include "platform/NativeInput.h"
#include "platform/Painting.h"
#include "platform/Timers.h"
#include "platform/VirtualKeys.h"
#include "tests/platform/PlatformFixture.h"

namespace orvalis::platform::testing {
namespace {

using namespace std::chrono_literals;

class QueueTest : public PlatformTest {};

TEST_F(QueueTest, TakesPostedThenQuitThenInputThenPaintThenTimer) {
    HWND window = TopLevel({0, 0, 100, 100}, WS_POPUP | WS_VISIBLE);
    Drain();
    SetTimer(window, 7, 10);
    script.Advance(10);
    WaitMessage();  // the script moves the clock: the timer is due
    ASSERT_EQ(backend.Clock(), 10u);

    InvalidateRect(window, nullptr, false);
    native::KeyEvent('A', U'a', 0, true);
    PostMessage(window, WM_USER, 1, 0);
    PostQuitMessage(3);
    PostMessage(window, WM_USER, 2, 0);

    std::vector<std::pair<std::uint32_t, WPARAM>> taken;
    Message message;
    while (PeekMessage(message, PM_REMOVE)) {
        taken.emplace_back(message.message, message.wParam);
        if (message.message != WM_QUIT) DispatchMessage(message);
    }
    std::vector<std::pair<std::uint32_t, WPARAM>> expected{{WM_USER, 1},      {WM_USER, 2},  {WM_QUIT, 3},
                                                           {WM_KEYDOWN, 'A'}, {WM_PAINT, 0}, {WM_TIMER, 7}};
    EXPECT_EQ(taken, expected);
}

TEST_F(QueueTest, QuitComesOnceAndOnlyAfterWhatIsPosted) {
    HWND window = TopLevel({0, 0, 10, 10});
    PostQuitMessage(0);
    PostMessage(window, WM_USER, 0, 0);
    Message message;
    ASSERT_TRUE(PeekMessage(message, PM_NOREMOVE));
    EXPECT_EQ(message.message, WM_USER);
    ASSERT_TRUE(PeekMessage(message));
    EXPECT_EQ(message.message, WM_USER);
    ASSERT_TRUE(PeekMessage(message));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_FALSE(PeekMessage(message));
}

TEST_F(QueueTest, MessagesForADestroyedWindowAreDropped) {
    HWND window = TopLevel({0, 0, 10, 10});
    PostMessage(window, WM_USER, 0, 0);
    SetTimer(window, 1, 10);
    DestroyWindow(window);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(SendMessage(window, WM_USER), 0);
    backend.ElapseBusy(100);
    Message message;
    EXPECT_FALSE(PeekMessage(message));
}

TEST_F(QueueTest, PaintIsGeneratedUntilTheAreaIsValidated) {
    HWND window = TopLevel({0, 0, 50, 50}, WS_POPUP | WS_VISIBLE);
    recorder.handlers[WM_PAINT] = [](HWND, WPARAM, LPARAM) { return 0; };  // paints nothing, validates nothing
    Message message;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(PeekMessage(message));
        EXPECT_EQ(message.message, WM_PAINT);
        DispatchMessage(message);
    }
    ValidateRect(window, nullptr);
    EXPECT_FALSE(PeekMessage(message));
}

struct KeyCase {
    const char* name;
    int virtualKey;
    unsigned modifiers;
    std::uint32_t charMessage;  // 0: no character message
    char32_t character;
};

class TranslateTest : public PlatformTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(TranslateTest, KeyDownsBecomeCharacters) {
    const KeyCase& key = GetParam();
    HWND window = TopLevel({0, 0, 50, 50}, WS_POPUP | WS_VISIBLE);
    ASSERT_EQ(GetFocus(), window);
    script.Press(key.virtualKey, key.modifiers);
    RunScript();
    auto characters = recorder.Only({WM_CHAR, WM_SYSCHAR});
    if (key.charMessage == 0) {
        EXPECT_TRUE(characters.empty()) << key.name;
        return;
    }
    ASSERT_EQ(characters.size(), 1u) << key.name;
    EXPECT_EQ(characters[0].message, key.charMessage) << key.name;
    EXPECT_EQ(characters[0].wParam, key.character) << key.name;
    // The character comes right after its key-down, before the key-up.
    auto keys = recorder.Only({WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR, WM_SYSCHAR, WM_KEYUP, WM_SYSKEYUP});
    auto at = std::find_if(keys.begin(), keys.end(), [&](const Received& r) { return r.message == key.charMessage; });
    ASSERT_NE(at, keys.begin());
    EXPECT_EQ((at - 1)->wParam, static_cast<WPARAM>(key.virtualKey)) << key.name;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TranslateTest,
    ::testing::Values(KeyCase{"letter", 'A', 0, WM_CHAR, U'a'}, KeyCase{"shifted letter", 'A', ModShift, WM_CHAR, U'A'},
                      KeyCase{"digit", '7', 0, WM_CHAR, U'7'}, KeyCase{"space", VK_SPACE, 0, WM_CHAR, U' '},
                      KeyCase{"tab", VK_TAB, 0, WM_CHAR, 9}, KeyCase{"enter", VK_RETURN, 0, WM_CHAR, 13},
                      KeyCase{"escape", VK_ESCAPE, 0, WM_CHAR, 27}, KeyCase{"backspace", VK_BACK, 0, WM_CHAR, 8},
                      KeyCase{"ctrl+c", 'C', ModCtrl, WM_CHAR, 3}, KeyCase{"ctrl+z", 'Z', ModCtrl, WM_CHAR, 26},
                      KeyCase{"ctrl+enter", VK_RETURN, ModCtrl, WM_CHAR, 10}, KeyCase{"ctrl+digit", '1', ModCtrl, 0, 0},
                      KeyCase{"alt+f", 'F', ModAlt, WM_SYSCHAR, U'f'}, KeyCase{"arrow", VK_LEFT, 0, 0, 0},
                      KeyCase{"function key", VK_F1, 0, 0, 0}),
    [](const auto& testCase) {
        std::string name = testCase.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST_F(QueueTest, KeyStateFollowsTheKeysTaken) {
    TopLevel({0, 0, 50, 50}, WS_POPUP | WS_VISIBLE);
    std::vector<bool> ctrlDownAtC;
    recorder.handlers[WM_KEYDOWN] = [&](HWND, WPARAM key, LPARAM) {
        if (key == 'C') ctrlDownAtC.push_back(GetKeyState(VK_CONTROL) < 0);
        return 0;
    };
    script.Press('C', ModCtrl).Press('C');
    RunScript();
    EXPECT_EQ(ctrlDownAtC, (std::vector<bool>{true, false}));
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);
}

TEST_F(QueueTest, KeysThatNoWindowCanTakeStillMoveTheKeyState) {
    HWND window = TopLevel({0, 0, 50, 50}, WS_POPUP | WS_VISIBLE);
    native::KeyEvent(VK_CONTROL, 0, ModCtrl, true);
    Drain();
    ASSERT_LT(GetKeyState(VK_CONTROL), 0);
    // A box disables the task's windows; the keyboard goes on: Ctrl let go (as a backend
    // also reports the keys held when the keyboard goes elsewhere), Shift pressed.
    EnableWindow(window, false);
    native::KeyEvent(VK_CONTROL, 0, 0, false);
    native::KeyEvent(VK_SHIFT, 0, ModShift, true);
    Message message;
    EXPECT_FALSE(PeekMessage(message, PM_REMOVE)) << "no window takes them";
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
}

TEST_F(QueueTest, TypedTextReachesTheFocusWindowAsCharacters) {
    HWND form = TopLevel({0, 0, 200, 100}, WS_POPUP | WS_VISIBLE);
    HWND edit = Child(form, {10, 10, 110, 30});
    SetFocus(edit);
    std::u32string typed;
    recorder.handlers[WM_CHAR] = [&](HWND window, WPARAM c, LPARAM) {
        if (window == edit) typed += static_cast<char32_t>(c);
        return 0;
    };
    script.Type("Vue n°3").Check([] { PostQuitMessage(0); });
    RunLoop();
    EXPECT_EQ(typed, U"Vue n°3");
}

TEST_F(QueueTest, PostFromAnotherThreadWakesARealWait) {
    HWND window = TopLevel({0, 0, 10, 10});
    constexpr int kPerThread = 500;
    std::vector<std::thread> posters;
    script.Check([&] {
        for (int t = 0; t < 2; ++t)
            posters.emplace_back([window, t] {
                for (int i = 0; i < kPerThread; ++i) PostMessage(window, WM_USER, static_cast<WPARAM>(t), i);
            });
    });
    for (int i = 0; i < 2 * kPerThread; ++i) script.AwaitPost(10s);

    std::vector<LPARAM> next(2, 0);
    int received = 0;
    Message message;
    while (received < 2 * kPerThread) {
        ASSERT_TRUE(GetMessage(message));
        ASSERT_EQ(message.message, WM_USER);
        // Each thread's messages arrive in the order it posted them.
        EXPECT_EQ(message.lParam, next[message.wParam]++);
        ++received;
    }
    for (std::thread& poster : posters) poster.join();
    EXPECT_EQ(next, (std::vector<LPARAM>{kPerThread, kPerThread}));
}

}  // namespace
}  // namespace orvalis::platform::testing

#include <csignal>
#include <cstring>
#include <set>

#include "platform/EndSession.h"
#include "platform/MessageBox.h"
#include "tests/platform/PlatformFixture.h"

namespace orvalis::platform::testing {
namespace {

class EndSessionTest : public PlatformTest {
protected:
    EndSessionTest() {
        InstallEndSessionHandler();
        application = TopLevel({0, 0, 0, 0}, WS_POPUP, "orvalis");  // hidden, like the application window
        main = TopLevel({0, 0, 100, 100}, WS_OVERLAPPEDWINDOW | WS_VISIBLE, "Orvalis");
        Drain();
    }
    HWND application;
    HWND main;
};

// Each signal that asks a program to end: termination, the interrupt key, and the hang-up
// of the terminal that started it.
class EndSessionSignal : public EndSessionTest, public ::testing::WithParamInterface<int> {};

TEST_P(EndSessionSignal, BecomesEndSessionForEveryTopLevelWindow) {
    std::raise(GetParam());
    Message message;
    ASSERT_TRUE(PeekMessage(message));
    EXPECT_EQ(message.message, WM_NULL);  // so that the loop looks at its state
    auto sent = recorder.Only({WM_ENDSESSION});
    ASSERT_EQ(sent.size(), 2u);
    std::set<HWND> windows;
    for (const Received& r : sent) {
        EXPECT_NE(r.wParam, 0u);
        windows.insert(r.window);
    }
    EXPECT_EQ(windows, (std::set<HWND>{application, main}));
    EXPECT_TRUE(IsSessionEnding());
    EXPECT_FALSE(PeekMessage(message));
}

INSTANTIATE_TEST_SUITE_P(EndSessionTest, EndSessionSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& signal) { return sigabbrev_np(signal.param); });

TEST_F(EndSessionTest, ASignalWakesTheWaitAndEndsOpenBoxes) {
    // The signal comes while the program waits inside a message box.
    script.Check([] { std::raise(SIGINT); });
    EXPECT_EQ(MessageBox(main, "Enregistrer ?", "Orvalis", MB_YESNO), IDNO);
    EXPECT_EQ(recorder.Only({WM_ENDSESSION}).size(), 2u);
    EXPECT_EQ(backend.ShownMessageBox(), nullptr);
    // A box opened while the session ends closes at once.
    EXPECT_EQ(MessageBox(main, "Erreur", "Orvalis", MB_OKCANCEL), IDCANCEL);
}

TEST_F(EndSessionTest, ASecondSignalBeforeTheFirstIsTakenEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::raise(SIGTERM);
            std::raise(SIGTERM);
        },
        ::testing::KilledBySignal(SIGTERM), "");
    Message message;
    EXPECT_FALSE(PeekMessage(message));  // nothing pending in this process
}

}  // namespace
}  // namespace orvalis::platform::testing

#include "platform/Clipboard.h"
#include "platform/MessageBox.h"
#include "platform/OpenFileDialog.h"
#include "platform/ScreenMetrics.h"
#include "tests/platform/PlatformFixture.h"

namespace orvalis::platform::testing {
namespace {

using headless::WindowTarget;

// A script that cannot go on must stop the test with a message that says where the
// program waited, never hang it.
class ScriptFailureTest : public PlatformTest {
protected:
    ScriptFailureTest() {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        main = TopLevel({0, 0, 696, 480}, WS_OVERLAPPEDWINDOW | WS_VISIBLE, "Orvalis");
        hidden = TopLevel({0, 0, 100, 100}, WS_POPUP, "Options");
    }
    HWND main;
    HWND hidden;
};

TEST_F(ScriptFailureTest, RunningOutOfActionsNamesTheLoopThatWaits) {
    script.Click(WindowTarget::Captioned("Orvalis"), {10, 10});
    EXPECT_DEATH(RunLoop(),
                 "the script has no more actions(.|\n)*waits in its message loop(.|\n)*"
                 "Active window: \"Orvalis\" \\(client 688 x 453\\)(.|\n)*"
                 "Last step performed: step 1, click at \\(10, 10\\)");
}

TEST_F(ScriptFailureTest, RunningOutOfActionsInsideAMessageBoxNamesTheBox) {
    EXPECT_DEATH(MessageBox(main, "Fichier introuvable.", "Orvalis", MB_OK),
                 "no more actions(.|\n)*message box is shown: caption \"Orvalis\", text \"Fichier introuvable.\"");
}

TEST_F(ScriptFailureTest, ActionsThatCannotApply) {
    struct Case {
        std::function<void(headless::UserScript&)> add;
        const char* message;
    };
    const Case cases[] = {
        {[](auto& s) { s.AnswerMessageBox(IDOK); }, "there is no message box to answer"},
        {[](auto& s) {
             s.Click(WindowTarget::Captioned("Options"), {1, 1});
         },
         "window captioned \"Options\" is hidden"},
        {[](auto& s) {
             s.Click(WindowTarget::Captioned("Absente"), {1, 1});
         },
         "there is no window captioned"},
        {[](auto& s) {
             s.Click(WindowTarget::Active(), {700, 10});
         },
         "outside the client area \\(688 x 453\\)"},
        {[](auto& s) { s.ChooseMenu(WindowTarget::Active(), {"Fichier"}); }, "has no menu bar"},
        {[](auto& s) { s.CancelFileDialog(); }, "there is no file dialog"},
    };
    for (const Case& c : cases) {
        EXPECT_DEATH(
            {
                c.add(script);
                RunLoop();
            },
            c.message);
    }
}

TEST_F(ScriptFailureTest, AnAnswerTheBoxDoesNotOfferFails) {
    script.AnswerMessageBox(IDYES);
    EXPECT_DEATH(MessageBox(main, "Fichier introuvable.", "Orvalis", MB_OK), "has no button 6");
}

TEST_F(ScriptFailureTest, SeveralFilesNeedMultiSelect) {
    script.AnswerFileDialogInFolder("/x", {"a.jpg", "b.jpg"});
    OpenFileResult result;
    EXPECT_DEATH(GetOpenFileName(OpenFileRequest{}, nullptr, result), "does not allow choosing several files");
}

TEST(HeadlessBackend, ScreenAndClipboardAreSettings) {
    headless::HeadlessSession session(ScreenMetrics{.width = 800, .height = 600, .bitsPerPixel = 8});
    ScreenMetrics screen = GetScreenMetrics();
    EXPECT_EQ(screen.width, 800);
    EXPECT_EQ(screen.bitsPerPixel, 8);
    EXPECT_EQ(screen.planes, 1);
    EXPECT_EQ(screen.pixelsPerInch, 96);
    EXPECT_EQ(GetClipboardText(), std::nullopt);
    EXPECT_TRUE(SetClipboardText("Erreur\r\n"));
    EXPECT_EQ(GetClipboardText(), "Erreur\r\n");
    session.Backend().SetClipboardAvailable(false);
    EXPECT_FALSE(SetClipboardText("x"));
    EXPECT_EQ(session.Backend().Clipboard(), "Erreur\r\n");
}

TEST(HeadlessBackend, DefaultScreen) {
    headless::HeadlessSession session;
    ScreenMetrics screen = GetScreenMetrics();
    EXPECT_EQ(screen.width, 1280);
    EXPECT_EQ(screen.height, 1024);
    EXPECT_EQ(screen.bitsPerPixel, 32);
}

}  // namespace
}  // namespace orvalis::platform::testing

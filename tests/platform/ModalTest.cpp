#include <filesystem>
#include <fstream>

#include "platform/MessageBox.h"
#include "platform/OpenFileDialog.h"
#include "platform/Timers.h"
#include "tests/platform/PlatformFixture.h"
#include "tests/support/TemporaryFolder.h"

namespace orvalis::platform::testing {
namespace {

using headless::WindowTarget;

// A main window with a one-second timer whose ticks are counted.
class ModalTest : public PlatformTest {
protected:
    ModalTest() {
        main = TopLevel({0, 0, 200, 200}, WS_OVERLAPPEDWINDOW | WS_VISIBLE, "Orvalis");
        recorder.handlers[WM_TIMER] = [this](HWND, WPARAM, LPARAM) {
            tickTimes.push_back(GetTickCount64());
            if (onTick) onTick();
            return 0;
        };
        SetTimer(main, 1, 1000);
        Drain();
    }

    HWND main;
    std::vector<std::uint64_t> tickTimes;
    std::function<void()> onTick;
};

TEST_F(ModalTest, TheMessageBoxKeepsDispatchingTimerTicks) {
    script
        .Check([this] {
            ASSERT_NE(backend.ShownMessageBox(), nullptr);
            EXPECT_EQ(backend.ShownMessageBox()->caption, "Question");
        })
        .Advance(2500)
        .AnswerMessageBox(IDYES);
    int answer = MessageBox(main, "Continuer ?", "Question", MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(answer, IDYES);
    EXPECT_EQ(tickTimes, (std::vector<std::uint64_t>{1000, 2000}));
    ASSERT_EQ(backend.MessageBoxLog().size(), 1u);
    EXPECT_EQ(backend.MessageBoxLog()[0].request.text, "Continuer ?");
    EXPECT_EQ(backend.MessageBoxLog()[0].request.flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(backend.MessageBoxLog()[0].answer, IDYES);
    EXPECT_EQ(backend.ShownMessageBox(), nullptr);
}

TEST_F(ModalTest, ABoxOpenedByATickStacksAboveTheFirst) {
    std::vector<int> answers;
    onTick = [&] {
        KillTimer(main, 1);
        answers.push_back(MessageBox(main, "Fichier introuvable.", "Orvalis", MB_OK | MB_ICONHAND));
    };
    script.Advance(1000)
        .Check([this] { EXPECT_EQ(backend.ShownMessageBox()->text, "Fichier introuvable."); })
        .AnswerMessageBox(IDOK)
        .Check([this] { EXPECT_EQ(backend.ShownMessageBox()->text, "Encore ?"); })
        .AnswerMessageBox(IDCANCEL);
    answers.push_back(MessageBox(main, "Encore ?", "Orvalis", MB_OKCANCEL));
    EXPECT_EQ(answers, (std::vector<int>{IDOK, IDCANCEL}));
}

TEST_F(ModalTest, DisabledWindowsGetNoInputWhileTheBoxIsOpen) {
    EnableWindow(main, false);  // as the caller does
    recorder.log.clear();
    script.Click(WindowTarget::Captioned("Orvalis"), {10, 10}).Type("a").Advance(1000).AnswerMessageBox(IDOK);
    MessageBox(main, "Attention", "Orvalis", MB_OK);
    EXPECT_TRUE(recorder.Only({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN, WM_CHAR}).empty());
    EXPECT_EQ(tickTimes.size(), 1u);
}

TEST_F(ModalTest, AQuitTakenInsideTheBoxClosesItAndIsPostedAgain) {
    onTick = [] { PostQuitMessage(4); };
    script.Advance(1000);
    EXPECT_EQ(MessageBox(main, "Enregistrer ?", "Orvalis", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(backend.ShownMessageBox(), nullptr);
    Message message;
    ASSERT_TRUE(PeekMessage(message));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 4u);
}

TEST_F(ModalTest, BoxButtonsAndTheAnswerWithoutAChoice) {
    struct Case {
        std::uint32_t flags;
        std::vector<int> buttons;
        int dismiss;
    };
    const Case cases[] = {
        {MB_OK, {IDOK}, IDOK},
        {MB_OKCANCEL, {IDOK, IDCANCEL}, IDCANCEL},
        {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, IDABORT},
        {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, {IDYES, IDNO}, IDNO},
        {MB_RETRYCANCEL | MB_TASKMODAL, {IDRETRY, IDCANCEL}, IDCANCEL},
    };
    for (const Case& c : cases) {
        auto buttons = MessageBoxButtons(c.flags);
        EXPECT_EQ(std::vector<int>(buttons.begin(), buttons.end()), c.buttons) << c.flags;
        EXPECT_EQ(MessageBoxDismissAnswer(c.flags), c.dismiss) << c.flags;
    }
}

// Records the dialog's notifications; refuses the first confirmation when asked to.
struct HookRecorder : OpenFileHooks {
    void OnShow() override { events.push_back("show"); }
    void OnTypeChange(int index) override { events.push_back("type " + std::to_string(index)); }
    void OnFolderChange() override { events.push_back("folder " + RunningOpenFileDialog()->folder); }
    void OnSelectionChange() override { events.push_back("selection " + RunningOpenFileDialog()->path); }
    bool OnFileOk(const OpenFileResult& chosen) override {
        events.push_back("ok " + chosen.fileBuffer);
        return refusals-- <= 0;
    }
    void OnClose() override { events.push_back("close"); }

    std::vector<std::string> events;
    int refusals = 0;
};

OpenFileRequest ViewerRequest() {
    OpenFileRequest request;
    request.title = "Ouverture d'une liste de vues de perspectives";
    request.filters = {{"Fichiers JPEG ", "*.JPG;*JPEG"}, {"Graphique Portable ", "*.PNG"}};
    request.flags = OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
    request.initialDir = "/plans";
    return request;
}

TEST_F(ModalTest, TheFileDialogReportsWhatTheUserDoesAndKeepsTheTimerTicking) {
    HookRecorder hooks;
    OpenFileRequest request = ViewerRequest();
    script
        .Check([this] {
            const headless::ShownFileDialog* shown = backend.ShownFileDialogBox();
            ASSERT_NE(shown, nullptr);
            EXPECT_EQ(shown->request.title, "Ouverture d'une liste de vues de perspectives");
            EXPECT_EQ(shown->state.folder, "/plans");
        })
        .Advance(1500)
        // Selected in the folder shown, without a confirmation.
        .SelectInFileDialog("/plans/vue3.jpg")
        .Check([] { EXPECT_EQ(RunningOpenFileDialog()->path, "/plans/vue3.jpg"); })
        .ChooseFileFilter(2)
        .AnswerFileDialog("/images/comptage.png");
    OpenFileResult result;
    ASSERT_TRUE(GetOpenFileName(request, &hooks, result));
    EXPECT_EQ(result.fileBuffer, "/images/comptage.png");
    EXPECT_EQ(result.filterIndex, 2);
    EXPECT_EQ(result.flags, request.flags);
    EXPECT_EQ(hooks.events,
              (std::vector<std::string>{"show", "selection /plans/vue3.jpg", "type 2", "folder /images",
                                        "selection /images/comptage.png", "ok /images/comptage.png", "close"}));
    EXPECT_EQ(tickTimes, (std::vector<std::uint64_t>{1000}));
    EXPECT_EQ(RunningOpenFileDialog(), nullptr);
    EXPECT_EQ(backend.ShownFileDialogBox(), nullptr);
}

TEST_F(ModalTest, ARefusedConfirmationKeepsTheDialogOpen) {
    HookRecorder hooks;
    hooks.refusals = 1;
    script.AnswerFileDialog("/plans/vue1.jpg").AnswerFileDialog("/plans/vue2.jpg");
    OpenFileResult result;
    ASSERT_TRUE(GetOpenFileName(ViewerRequest(), &hooks, result));
    EXPECT_EQ(result.fileBuffer, "/plans/vue2.jpg");
    EXPECT_EQ(backend.FileDialogsShown(), 1u);
    EXPECT_EQ(std::count(hooks.events.begin(), hooks.events.end(), "close"), 1);
}

TEST_F(ModalTest, CancellingLeavesNoResult) {
    HookRecorder hooks;
    script.CancelFileDialog();
    OpenFileResult result;
    result.fileBuffer = "unchanged";
    EXPECT_FALSE(GetOpenFileName(ViewerRequest(), &hooks, result));
    EXPECT_EQ(result.fileBuffer, "unchanged");
    EXPECT_EQ(hooks.events, (std::vector<std::string>{"show", "close"}));
}

TEST_F(ModalTest, SeveralFilesComeAsFolderAndNames) {
    OpenFileRequest request = ViewerRequest();
    request.flags |= OFN_ALLOWMULTISELECT;
    request.bufferSize = kMultiSelectFileBufferSize;
    script.AnswerFileDialogInFolder("/x", {"a.png", "b.png"});
    OpenFileResult result;
    ASSERT_TRUE(GetOpenFileName(request, nullptr, result));
    EXPECT_EQ(result.fileBuffer, std::string("/x\0a.png\0b.png\0", 15));

    // The old style separates with zeros too: its long names may hold blanks.
    request.flags &= ~OFN_EXPLORER;
    script.AnswerFileDialogInFolder("/my pics", {"a b.png", "c.png"});
    ASSERT_TRUE(GetOpenFileName(request, nullptr, result));
    EXPECT_EQ(result.fileBuffer, std::string("/my pics\0a b.png\0c.png\0", 23));

    for (const std::uint32_t style : {0u, std::uint32_t{OFN_EXPLORER}}) {  // one file only: its full path
        request.flags = (request.flags & ~OFN_EXPLORER) | style;
        script.AnswerFileDialogInFolder("/x", {"a b.png"});
        ASSERT_TRUE(GetOpenFileName(request, nullptr, result));
        EXPECT_EQ(result.fileBuffer, "/x/a b.png");
    }
}

TEST_F(ModalTest, ANameLongerThanTheBufferFailsTheCall) {
    HookRecorder hooks;
    std::string folder = "/" + std::string(250, 'd');
    script.AnswerFileDialog(folder + "/vue1.jpg");  // 260 characters and the zero: one too many
    OpenFileResult result;
    EXPECT_FALSE(GetOpenFileName(ViewerRequest(), &hooks, result));
    EXPECT_EQ(hooks.events.back(), "close");
    script.AnswerFileDialog(folder + "/vue.jpg");  // exactly fits
    EXPECT_TRUE(GetOpenFileName(ViewerRequest(), &hooks, result));
}

TEST_F(ModalTest, DefaultExtensionAndTheOutputFlags) {
    OpenFileRequest request = ViewerRequest();
    request.defaultExt = "jpg";
    OpenFileResult result;
    script.AnswerFileDialog("/plans/vue3");
    ASSERT_TRUE(GetOpenFileName(request, nullptr, result));
    EXPECT_EQ(result.fileBuffer, "/plans/vue3.jpg");
    EXPECT_EQ(result.flags & (OFN_EXTENSIONDIFFERENT | OFN_READONLY), 0u);

    script.AnswerFileDialog("/plans/vue3.png", true);
    ASSERT_TRUE(GetOpenFileName(request, nullptr, result));
    EXPECT_EQ(result.flags & (OFN_EXTENSIONDIFFERENT | OFN_READONLY), OFN_EXTENSIONDIFFERENT | OFN_READONLY);
}

TEST_F(ModalTest, FileMustExistRefusesMissingFiles) {
    const test::TemporaryFolder folder("platform-dialog");
    std::ofstream(folder / "vue1.jpg") << "x";
    OpenFileRequest request = ViewerRequest();
    request.flags |= OFN_FILEMUSTEXIST;
    script.AnswerFileDialog((folder / "vue9.jpg").string()).AnswerFileDialog((folder / "vue1.jpg").string());
    OpenFileResult result;
    ASSERT_TRUE(GetOpenFileName(request, nullptr, result));
    EXPECT_EQ(result.fileBuffer, (folder / "vue1.jpg").string());
    ASSERT_EQ(backend.FileDialogRefusals().size(), 1u);
    EXPECT_EQ(backend.FileDialogRefusals()[0].reason, FileDialogRefusal::Reason::FileNotFound);
    EXPECT_EQ(backend.FileDialogRefusals()[0].name, "vue9.jpg");
}

}  // namespace
}  // namespace orvalis::platform::testing

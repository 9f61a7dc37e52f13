// TOpenDialog on the platform's file-open dialog under the scripted user: the request
// made of the properties, the names taken back (one, several, absolute ones), what
// carries over to the next run and what a cancel leaves alone, the events and a
// refusal of OnCanClose, an exception in a handler, the windows disabled meanwhile,
// timers ticking, and the class as a form resource names it.

#include "classes/ClassBuilder.h"
#include "classes/ClassRegistry.h"
#include "framework/Form.h"
#include "framework/OpenDialog.h"
#include "framework/Timer.h"
#include "platform/Focus.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"
#include "runtime/Exceptions.h"
#include "tests/framework/FrameworkTest.h"

namespace orvalis::test {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries EntriesOf(const std::vector<platform::FileFilter>& filters) {
    Entries entries;
    for (const platform::FileFilter& filter : filters) entries.emplace_back(filter.description, filter.patterns);
    return entries;
}

constexpr std::string_view kViewerFilter = "Fichiers JPEG |*.JPG;*JPEG|Graphique Portable |*.PNG";

std::vector<std::string> Texts(const TStrings& strings) {
    std::vector<std::string> texts;
    for (int i = 0; i < strings.Count(); ++i) texts.push_back(strings.Strings(i).ToStdString());
    return texts;
}

// Notes the dialog's events, and answers OnCanClose from a list.
struct DialogEvents : TObject {
    void Shown(TObject*) { events.push_back("show"); }
    void Closed(TObject*) { events.push_back("close"); }
    void FolderChanged(TObject*) { events.push_back("folder"); }
    void SelectionChanged(TObject*) { events.push_back("selection"); }
    void TypeChanged(TObject* sender) {
        events.push_back("type " + std::to_string(static_cast<TOpenDialog*>(sender)->FilterIndex()));
    }
    void CanClose(TObject* sender, bool& canClose) {
        auto* dialog = static_cast<TOpenDialog*>(sender);
        events.push_back("can close " + dialog->FileName().ToStdString() + " " +
                         std::to_string(dialog->SelectedFiles().Count()));
        canClose = answers.empty() || answers.front();
        if (!answers.empty()) answers.erase(answers.begin());
    }
    void Hook(TOpenDialog& dialog) {
        dialog.OnShow = TNotifyEvent(this, &DialogEvents::Shown);
        dialog.OnClose = TNotifyEvent(this, &DialogEvents::Closed);
        dialog.OnFolderChange = TNotifyEvent(this, &DialogEvents::FolderChanged);
        dialog.OnSelectionChange = TNotifyEvent(this, &DialogEvents::SelectionChanged);
        dialog.OnTypeChange = TNotifyEvent(this, &DialogEvents::TypeChanged);
        dialog.OnCanClose = TCloseQueryEvent(this, &DialogEvents::CanClose);
    }
    std::vector<std::string> events;
    std::vector<bool> answers;
};

class OpenDialogs : public FrameworkTest {
protected:
    // The dialog as the viewer runs it.
    static std::unique_ptr<TOpenDialog> ViewerDialog() {
        auto dialog = std::make_unique<TOpenDialog>(nullptr);
        dialog->SetTitle("Ouverture d'une liste de vues de perspectives");
        dialog->SetFilter(String(kViewerFilter));
        return dialog;
    }
    static bool DialogShown() { return platform::RunningOpenFileDialog() != nullptr; }
};

TEST_F(OpenDialogs, TheViewersSettingsMakeTheRequest) {
    script
        .Check([&] {
            const auto* shown = backend.ShownFileDialogBox();
            ASSERT_NE(shown, nullptr);
            EXPECT_EQ(shown->request.flags, 0x20u | 0x4u | 0x800000u | 0x80000u);
            EXPECT_EQ(shown->request.bufferSize, 260u);
            EXPECT_EQ(EntriesOf(shown->request.filters),
                      (Entries{{"Fichiers JPEG ", "*.JPG;*JPEG"}, {"Graphique Portable ", "*.PNG"}}));
            EXPECT_EQ(shown->request.filterIndex, 1) << "\"Fichiers JPEG \" selected";
            EXPECT_EQ(shown->request.title, "Ouverture d'une liste de vues de perspectives");
            EXPECT_EQ(shown->request.initialDir, "");
            EXPECT_EQ(shown->request.defaultExt, "");
            EXPECT_EQ(shown->request.fileName, "");
            EXPECT_EQ(shown->request.owner, Application->Handle());
        })
        .AnswerFileDialog("/plans/vue3.jpg");
    Run([&](TApplication&) {
        const auto dialog = ViewerDialog();
        EXPECT_EQ(dialog->Options(), OpenOptionBit(ofHideReadOnly) | OpenOptionBit(ofEnableSizing));
        EXPECT_EQ(dialog->FilterIndex(), 1);
        EXPECT_TRUE(dialog->Ctl3D());
        ASSERT_TRUE(dialog->RunDialog());
        EXPECT_EQ(dialog->FileName(), "/plans/vue3.jpg");
        EXPECT_EQ(Texts(dialog->SelectedFiles()), (std::vector<std::string>{"/plans/vue3.jpg"}));
    });
}

TEST_F(OpenDialogs, TheRequestFollowsTheProperties) {
    Run([&](TApplication&) {
        TOpenDialog dialog(nullptr);
        dialog.SetOptions(OpenOptionBit(ofAllowMultiSelect) | OpenOptionBit(ofFileMustExist) |
                          OpenOptionBit(ofOldStyleDialog));
        dialog.SetOptionsEx(1);
        dialog.SetFileName("/plans/vue.bmp");
        platform::OpenFileRequest request = dialog.BuildRequest();
        EXPECT_EQ(request.flags, 0x20u | 0x200u | 0x1000u) << "the old style clears the Explorer flag";
        EXPECT_EQ(request.flagsEx, 1u);
        EXPECT_EQ(request.bufferSize, 65519u);
        EXPECT_EQ(request.defaultExt, "bmp") << "the old style takes the extension of FileName";
        EXPECT_EQ(request.fileName, "/plans/vue.bmp");

        dialog.SetOptions(0);
        dialog.SetFileName(String(std::string(300, 'a')));
        request = dialog.BuildRequest();
        EXPECT_EQ(request.defaultExt, "") << "not with the Explorer style";
        EXPECT_EQ(request.fileName.size(), 259u) << "cut to the buffer, its zero kept";
        EXPECT_TRUE(dialog.BuildRequest().filters.empty()) << "no filter: no entry";

        dialog.SetFilter("Tout|*|Incomplet");
        EXPECT_EQ(EntriesOf(dialog.BuildRequest().filters), (Entries{{"Tout", "*"}}));
    });
}

// The pairs are read to the end of the text, empty parts included, so that FilterIndex
// counts the pairs as written: a platform that reads the zero-separated list stops at
// the first empty part instead.
TEST(OpenDialogFilter, EveryPairIsAnEntryEvenWithAnEmptyPart) {
    const std::pair<std::string_view, Entries> cases[] = {
        {kViewerFilter, {{"Fichiers JPEG ", "*.JPG;*JPEG"}, {"Graphique Portable ", "*.PNG"}}},
        {"|*.a|B|*.b", {{"", "*.a"}, {"B", "*.b"}}},  // an entry without a name
        {"A||B|*.b", {{"A", ""}, {"B", "*.b"}}},      // an entry that matches no file
        {"Tout|*|Incomplet", {{"Tout", "*"}}},        // a last name without patterns is left out
        {"", {}},
    };
    for (const auto& [filter, entries] : cases) EXPECT_EQ(EntriesOf(FilterEntries(filter)), entries) << filter;
}

TEST_F(OpenDialogs, InitialDirLosesATrailingSlashExceptTheRoot) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"/images/", "/images"}, {"/", "/"}, {"/images", "/images"}, {"", ""}, {"images/", "images"}};
    TOpenDialog dialog(nullptr);
    for (const auto& [given, stored] : cases) {
        dialog.SetInitialDir(String(given));
        EXPECT_EQ(dialog.InitialDir(), String(stored)) << given;
    }
}

TEST_F(OpenDialogs, ACancelKeepsWhatTheLastChoiceLeftAndAChosenFilterCarriesOver) {
    DialogEvents events;
    script.CancelFileDialog()
        .ChooseFileFilter(2)
        .AnswerFileDialog("/images/carte.png", true)
        .Check([&] {
            EXPECT_EQ(backend.ShownFileDialogBox()->request.filterIndex, 2) << "the entry chosen last time";
            EXPECT_EQ(backend.ShownFileDialogBox()->request.fileName, "/images/carte.png") << "pre-filled";
        })
        .ChooseFileFilter(1)
        .CancelFileDialog();
    Run([&](TApplication&) {
        const auto dialog = ViewerDialog();
        events.Hook(*dialog);
        dialog->SetFileName("/plans/vue3.jpg");
        EXPECT_FALSE(dialog->RunDialog());
        EXPECT_EQ(dialog->FileName(), "/plans/vue3.jpg");

        ASSERT_TRUE(dialog->RunDialog());
        EXPECT_EQ(dialog->FileName(), "/images/carte.png");
        EXPECT_EQ(dialog->FilterIndex(), 2);
        EXPECT_TRUE(dialog->Options() & OpenOptionBit(ofReadOnly)) << "the read-only box was ticked";

        const TOpenOptions options = dialog->Options();
        EXPECT_FALSE(dialog->RunDialog());
        EXPECT_EQ(dialog->FileName(), "/images/carte.png");
        EXPECT_EQ(dialog->FilterIndex(), 2) << "a cancelled choice of filter is forgotten";
        EXPECT_EQ(dialog->Options(), options);
    });
    EXPECT_EQ(events.events, (std::vector<std::string>{"show", "close",                           //
                                                       "show", "type 2", "folder", "selection",   //
                                                       "can close /images/carte.png 1", "close",  //
                                                       "show", "type 1", "close"}));
}

TEST_F(OpenDialogs, SeveralFilesAreJoinedToTheirFolderUnlessAbsolute) {
    script.AnswerFileDialogInFolder("/x", {"a.png", "b.png"})
        .AnswerFileDialogInFolder("/", {"a.png", "/y/b.png"})
        .AnswerFileDialogInFolder("/x", {"seul.png"});
    Run([&](TApplication&) {
        TOpenDialog dialog(nullptr);
        dialog.SetOptions(dialog.Options() | OpenOptionBit(ofAllowMultiSelect));
        ASSERT_TRUE(dialog.RunDialog());
        EXPECT_EQ(Texts(dialog.SelectedFiles()), (std::vector<std::string>{"/x/a.png", "/x/b.png"}));
        EXPECT_EQ(dialog.FileName(), "/x/a.png");
        ASSERT_TRUE(dialog.RunDialog());
        EXPECT_EQ(Texts(dialog.SelectedFiles()), (std::vector<std::string>{"/a.png", "/y/b.png"}));
        ASSERT_TRUE(dialog.RunDialog());
        EXPECT_EQ(Texts(dialog.SelectedFiles()), (std::vector<std::string>{"/x/seul.png"}));
        EXPECT_EQ(dialog.FileName(), "/x/seul.png");
    });
}

// Blanks in the folder and in the names: the names come back as chosen, in the old style
// too (its list is not split at blanks).
TEST_F(OpenDialogs, NamesWithBlanksComeBackUnchangedInBothStyles) {
    struct Case {
        bool oldStyle, multiSelect;
        std::string folder;
        std::vector<std::string> names;
        std::vector<std::string> selected;
    };
    std::vector<Case> cases;
    for (const bool oldStyle : {false, true}) {
        cases.push_back(
            {oldStyle, true, "/data/my pics", {"a b.png", "c.png"}, {"/data/my pics/a b.png", "/data/my pics/c.png"}});
        cases.push_back({oldStyle, true, "/x", {"a b.png"}, {"/x/a b.png"}});
        cases.push_back({oldStyle, false, "/my pics", {" d e .png"}, {"/my pics/ d e .png"}});
    }
    for (const Case& c : cases) script.AnswerFileDialogInFolder(c.folder, c.names);
    Run([&](TApplication&) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message()
                         << (c.oldStyle ? "old style, " : "Explorer style, ") << c.names.size() << " in " << c.folder);
            TOpenDialog dialog(nullptr);
            TOpenOptions options = dialog.Options();
            if (c.oldStyle) options |= OpenOptionBit(ofOldStyleDialog);
            if (c.multiSelect) options |= OpenOptionBit(ofAllowMultiSelect);
            dialog.SetOptions(options);
            ASSERT_TRUE(dialog.RunDialog());
            EXPECT_EQ(Texts(dialog.SelectedFiles()), c.selected);
            EXPECT_EQ(dialog.FileName(), String(c.selected.front()));
        }
    });
}

TEST_F(OpenDialogs, OnCanCloseThatRefusesKeepsTheDialogOpenAndARefusedChoiceIsNotKept) {
    DialogEvents events;
    events.answers = {false, true, false};
    script.AnswerFileDialog("/a/un.jpg")
        .Check([&] { EXPECT_TRUE(DialogShown()) << "refused: still open"; })
        .AnswerFileDialog("/a/deux.jpg")
        .AnswerFileDialog("/a/trois.jpg")
        .CancelFileDialog();
    Run([&](TApplication&) {
        const auto dialog = ViewerDialog();
        events.Hook(*dialog);
        ASSERT_TRUE(dialog->RunDialog());
        EXPECT_EQ(dialog->FileName(), "/a/deux.jpg");
        EXPECT_FALSE(dialog->RunDialog());
        EXPECT_EQ(dialog->FileName(), "/a/deux.jpg") << "the refused name went with the cancel";
        EXPECT_EQ(dialog->SelectedFiles().Count(), 0);
    });
    EXPECT_EQ(std::count(events.events.begin(), events.events.end(), "can close /a/un.jpg 1"), 1);
    EXPECT_EQ(std::count(events.events.begin(), events.events.end(), "can close /a/deux.jpg 1"), 1);
    EXPECT_EQ(std::count(events.events.begin(), events.events.end(), "can close /a/trois.jpg 1"), 1);
}

TEST_F(OpenDialogs, AnExceptionInAHandlerIsReportedAndTheDialogGoesOn) {
    struct Failing : TObject {
        void SelectionChanged(TObject*) { throw Exception(String("Sélection impossible")); }
    } failing;
    script.AnswerFileDialog("/a/un.jpg").AnswerMessageBox(platform::IDOK);
    Run([&](TApplication& application) {
        const auto dialog = ViewerDialog();
        dialog->OnSelectionChange = TNotifyEvent(&failing, &Failing::SelectionChanged);
        EXPECT_TRUE(dialog->RunDialog());
        EXPECT_EQ(dialog->FileName(), "/a/un.jpg");
        EXPECT_EQ(Boxes(), (std::vector<std::pair<std::string, std::string>>{
                               {application.AppTitle().ToStdString(), "Sélection impossible."}}));
    });
}

TEST_F(OpenDialogs, TheOtherWindowsAreDisabledMeanwhileAndTimersTick) {
    struct Ticks : TObject {
        void Tick(TObject*) { ++count; }
        int count = 0;
    } ticks;
    TForm* main = nullptr;
    script
        .Check([&] {
            EXPECT_FALSE(platform::IsWindowEnabled(main->Handle()));
            EXPECT_TRUE(DialogShown());
        })
        .Advance(3500)
        .Check([&] { EXPECT_EQ(ticks.count, 3); })
        .CancelFileDialog();
    Run([&](TApplication& application) {
        application.CreateAppForm(main);
        main->SetCaption("Orvalis");
        main->Show();
        auto* timer = new TTimer(main);
        timer->SetOnTimer(TNotifyEvent(&ticks, &Ticks::Tick));
        const auto dialog = ViewerDialog();
        EXPECT_FALSE(dialog->RunDialog());
        EXPECT_TRUE(platform::IsWindowEnabled(main->Handle()));
        EXPECT_EQ(platform::GetActiveWindow(), main->Handle()) << "the activation comes back";
        EXPECT_EQ(platform::GetFocus(), main->Handle()) << "and the focus";
    });
}

class TDialogHost : public TForm {
    ORVALIS_TYPE_INFO(TDialogHost)

    explicit TDialogHost(TComponent* owner) : TForm(owner) {}
};

}  // namespace

const TClassInfo& TDialogHost::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TDialogHost, TForm>("TDialogHost");
    return info;
}

namespace {

// The resource is forms/DialogHost.form.
TEST_F(OpenDialogs, AResourceNamesTheClassWithItsPositionOnly) {
    Run([&](TApplication& application) {
        EXPECT_NE(LookupClass("TOpenDialog"), nullptr);
        TDialogHost* host = nullptr;
        application.CreateAppForm(host);
        auto* dialog = dynamic_cast<TOpenDialog*>(host->FindComponent("OpenDialog1"));
        ASSERT_NE(dialog, nullptr) << "found in the class registry: the form has no field for it";
        EXPECT_EQ(dialog->DesignLeft(), 24);
        EXPECT_EQ(dialog->DesignTop(), 48);
        EXPECT_EQ(dialog->FilterIndex(), 1);
        EXPECT_EQ(dialog->Options(), OpenOptionBit(ofHideReadOnly) | OpenOptionBit(ofEnableSizing));
    });
}

}  // namespace
}  // namespace orvalis::test

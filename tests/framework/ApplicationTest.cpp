// The application's loop on the headless backend with two forms built from their
// resources: the primary form and its activation, the path of keys (shortcuts twice,
// then OnKeyPress; Tab moving the focus), the modal loop, timer ticks inside modal loops,
// exceptions shown in error boxes, closing, the end of the session, and the start-up.

#include <new>
#include <stdexcept>
#include <thread>

#include "framework/Screen.h"
#include "framework/SynchronisedCalls.h"
#include "platform/Focus.h"
#include "platform/MessageBox.h"
#include "platform/MessageQueue.h"
#include "platform/Timers.h"
#include "platform/VirtualKeys.h"
#include "platform/headless/Inspection.h"
#include "runtime/Exceptions.h"
#include "tests/framework/TestForms.h"

namespace orvalis::test {
namespace {

using platform::headless::WindowTarget;
using Box = std::pair<std::string, std::string>;

class TwoForms : public FrameworkTest {
protected:
    TwoForms() { DestructionLog().clear(); }
    // The start-up of the program: both forms, the main one first.
    static void Start(TApplication& application) {
        application.Startup();
        application.CreateAppForm(MainForm);
        application.CreateAppForm(DialogForm);
    }
    static WindowTarget Main() { return WindowTarget::Captioned("Orvalis"); }
    static WindowTarget Dialog() { return WindowTarget::Captioned("Options de visualisation"); }
};

TEST_F(TwoForms, TheFirstFormIsThePrimaryFormAndActivatesOnceWhenFirstShown) {
    struct AppEvents : TObject {
        void Activated(TObject*) { ++activations; }
        int activations = 0;
    } appEvents;
    script
        .Check([&] {
            EXPECT_EQ(appEvents.activations, 1) << "the application became active with its first window";
            EXPECT_TRUE(Application->AppActive());
            EXPECT_EQ(MainForm->activations, 1);
            EXPECT_EQ(Screen->FocusedForm(), MainForm);
            EXPECT_TRUE(platform::IsWindowVisible(MainForm->Handle()));
            EXPECT_EQ(platform::GetActiveWindow(), MainForm->Handle());
            EXPECT_FALSE(DialogForm->Visible());
        })
        .Activate(Main())
        .Check([] { EXPECT_EQ(MainForm->activations, 1) << "bringing it forward again is no new activation"; })
        .CloseWindow(Main());
    Run([&](TApplication& application) {
        application.OnAppActivate = TNotifyEvent(&appEvents, &AppEvents::Activated);
        Start(application);
        EXPECT_EQ(application.PrimaryForm(), MainForm);
        EXPECT_TRUE(MainForm->childrenInBody) << "the construction body runs after the resource";
        EXPECT_TRUE(MainForm->HandleAllocated()) << "the primary form gets its window at once";
        EXPECT_FALSE(DialogForm->HandleAllocated());
        EXPECT_EQ(MainForm->activations, 0);
        application.RunMessageLoop();
        EXPECT_EQ(MainForm->closes, 1);
    });
    EXPECT_EQ(DestructionLog(), (std::vector<std::string>{"DialogForm", "MainForm"})) << "the last made goes first";
}

TEST_F(TwoForms, AnUnhandledKeyReachesTheShortcutTwiceThenOnKeyPress) {
    script.Press('A')
        .Check([] {
            EXPECT_EQ(MainForm->shortCuts, (std::vector<std::uint16_t>{'A', 'A'}));
            EXPECT_EQ(MainForm->keys, U"a");
        })
        .Press(platform::VK_TAB)
        .Check([] {
            EXPECT_EQ(MainForm->shortCuts.size(), 4u);
            EXPECT_EQ(MainForm->keys, U"a") << "Tab is the form's, not a character";
        })
        .Press(platform::VK_RETURN)
        .Press(platform::VK_F1)
        .Check([] { EXPECT_EQ(MainForm->keys, U"a\r") << "a key without character has no OnKeyPress"; })
        // Escape: the handler closes the form at each of its two calls, and the
        // character still comes before the loop ends.
        .Press(platform::VK_ESCAPE);
    Run([](TApplication& application) {
        Start(application);
        application.RunMessageLoop();
        EXPECT_EQ(MainForm->closes, 2);
        EXPECT_EQ(MainForm->keys, U"a\r\x1b");
        EXPECT_EQ(MainForm->activations, 1);
    });
    EXPECT_EQ(DestructionLog(), (std::vector<std::string>{"DialogForm", "MainForm"}));
}

TEST_F(TwoForms, AModalFormEndsWithItsResultWithoutActivatingItsOwnerAgain) {
    script.ChooseMenu(Main(), {"Options"})
        .Check([] {
            EXPECT_TRUE(DialogForm->Visible());
            EXPECT_EQ(DialogForm->activations, 1);
            EXPECT_EQ(Screen->FocusedForm(), DialogForm);
            EXPECT_FALSE(platform::IsWindowEnabled(MainForm->Handle()));
            EXPECT_TRUE(DialogForm->Annuler->Focused()) << "TabOrder 0 comes first";
        })
        .Press(platform::VK_TAB)
        .Check([] { EXPECT_TRUE(DialogForm->OK->Focused()); })
        .Press(platform::VK_TAB, platform::ModShift)
        .Check([] { EXPECT_TRUE(DialogForm->Annuler->Focused()); })
        .Press(platform::VK_LEFT)
        .Check([] { EXPECT_TRUE(DialogForm->OK->Focused()) << "the arrows move among the parent's children"; })
        .Press('X')
        .Check([] {
            EXPECT_EQ(DialogForm->keys, U"x") << "neither Tab nor the arrows reached the boxes";
            EXPECT_TRUE(MainForm->shortCuts.empty()) << "the disabled primary form takes no shortcut";
        })
        .Advance(3000)
        .Check([] { EXPECT_EQ(MainForm->ticks, 1) << "the timer ticks inside the modal loop"; })
        .Click(Dialog(), {20, 110})
        .Check([] {
            EXPECT_EQ(MainForm->dialogResult, mrYes);
            EXPECT_EQ(MainForm->activationsAfterDialog, 1);
            EXPECT_FALSE(DialogForm->Visible());
            EXPECT_EQ(Screen->FocusedForm(), MainForm);
            EXPECT_TRUE(platform::IsWindowEnabled(MainForm->Handle()));
            EXPECT_EQ(platform::GetActiveWindow(), MainForm->Handle());
        })
        // Shown again, the dialog keeps its state; its close box cancels.
        .ChooseMenu(Main(), {"Options"})
        .CloseWindow(Dialog())
        .Check([] {
            EXPECT_EQ(MainForm->dialogResult, mrCancel);
            EXPECT_EQ(DialogForm->activations, 2);
            EXPECT_EQ(MainForm->activations, 1);
        })
        .CloseWindow(Main());
    Run([](TApplication& application) {
        Start(application);
        application.RunMessageLoop();
    });
}

TEST_F(TwoForms, ShowingAVisibleFormModallyIsRefused) {
    Run([](TApplication& application) {
        Start(application);
        MainForm->Show();
        try {
            MainForm->ShowAsModal();
            ADD_FAILURE() << "a visible form became modal";
        } catch (const EInvalidOperation& error) {
            EXPECT_EQ(error.Message(), "Impossible de rendre modale une fenêtre visible");
        }
        EXPECT_FALSE(MainForm->IsModal());
    });
}

TEST_F(TwoForms, AnExceptionInAHandlerIsShownAndTheLoopGoesOnWhileTimersTick) {
    std::string title;
    script.ChooseMenu(Main(), {"Fichier", "Ouvrir"})
        .Check([&] {
            const platform::MessageBoxRequest* box = backend.ShownMessageBox();
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text, "Fichier introuvable.");
            EXPECT_EQ(box->caption, title);
            EXPECT_EQ(box->flags, platform::MB_OK | platform::MB_ICONERROR);
            EXPECT_EQ(MainForm->menuSender, MainForm->mOuvrir) << "the item is the sender";
            EXPECT_FALSE(platform::IsWindowEnabled(MainForm->Handle())) << "the box disables the program's windows";
        })
        .Advance(3000)
        .Check([] { EXPECT_EQ(MainForm->ticks, 1) << "the timer ticks under the message box"; })
        .AnswerMessageBox(platform::IDOK)
        .Check([] {
            EXPECT_TRUE(platform::IsWindowEnabled(MainForm->Handle()));
            EXPECT_EQ(platform::GetFocus(), MainForm->Handle());
            EXPECT_EQ(MainForm->activations, 1);
        })
        .ChooseMenu(Main(), {"Fichier", "Abandon"})
        .ChooseMenu(Main(), {"Modif. couleurs"})
        .Check([&] {
            EXPECT_EQ(MainForm->menuSender, MainForm->mAbandon) << "an item without handler does nothing";
            EXPECT_EQ(backend.MessageBoxLog().size(), 1u) << "EAbort shows nothing";
        })
        .ChooseMenu(Main(), {"Fichier", "Quitter"});
    Run([&](TApplication& application) {
        title = application.AppTitle().ToStdString();
        EXPECT_EQ(title, "framework_tests");
        Start(application);
        application.RunMessageLoop();
        EXPECT_EQ(MainForm->menuSender, MainForm->Quitter1);
    });
}

TEST_F(TwoForms, AnAllocationThatFailsInAHandlerIsShownInFrenchAndTheLoopGoesOn) {
    std::string title;
    script.Check([] { MainForm->openRunsOutOfMemory = true; })
        .ChooseMenu(Main(), {"Fichier", "Ouvrir"})
        .Check([&] {
            const platform::MessageBoxRequest* box = backend.ShownMessageBox();
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text, "Mémoire insuffisante.");
            EXPECT_EQ(box->caption, title);
            EXPECT_EQ(box->flags, platform::MB_OK | platform::MB_ICONERROR);
        })
        .AnswerMessageBox(platform::IDOK)
        .Advance(3000)
        .Check([] { EXPECT_EQ(MainForm->ticks, 1) << "the loop goes on"; })
        .ChooseMenu(Main(), {"Fichier", "Ouvrir"})
        .AnswerMessageBox(platform::IDOK)
        .ChooseMenu(Main(), {"Fichier", "Quitter"});
    Run([&](TApplication& application) {
        title = application.AppTitle().ToStdString();
        Start(application);
        application.RunMessageLoop();
        EXPECT_EQ(MainForm->menuSender, MainForm->Quitter1);
    });
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[1], Box(title, "Mémoire insuffisante."));
}

TEST_F(TwoForms, ClosingThePrimaryFormWithCloseNoneKeepsTheProgramRunning) {
    script.CloseWindow(Main())
        .Check([] {
            EXPECT_EQ(MainForm->closes, 1);
            EXPECT_TRUE(MainForm->Visible());
            EXPECT_FALSE(Application->QuitRequested());
            MainForm->closeAction = closeHide;
        })
        // Any action but closeNone ends the program; the primary form is not hidden.
        .CloseWindow(Main());
    Run([](TApplication& application) {
        Start(application);
        MainForm->closeAction = closeNone;
        application.RunMessageLoop();
        EXPECT_EQ(MainForm->closes, 2);
        EXPECT_TRUE(MainForm->Visible());
    });
}

TEST_F(TwoForms, TheEndOfTheSessionEndsTheProgram) {
    script.Check([] { platform::PostMessage(Application->Handle(), platform::WM_ENDSESSION, 0, 0); }).Check([] {
        EXPECT_FALSE(Application->QuitRequested()) << "wParam 0: the session goes on";
        platform::PostMessage(Application->Handle(), platform::WM_ENDSESSION, 1, 0);
    });
    Run([](TApplication& application) {
        Start(application);
        application.RunMessageLoop();
        EXPECT_TRUE(application.QuitRequested());
        EXPECT_EQ(MainForm->closes, 0);
    });
    EXPECT_EQ(DestructionLog(), (std::vector<std::string>{"DialogForm", "MainForm"}));
}

TEST_F(TwoForms, AClickOutsideTheChildrenReachesTheFormAndOneOnAChildDoesNot) {
    script
        .Check([] {
            EXPECT_EQ(platform::headless::PixelAt(MainForm->Handle(), {50, 50}), 0xFF0000u) << "the picture";
            EXPECT_EQ(platform::headless::PixelAt(MainForm->Handle(), {300, 300}), 0xF0F0F0u) << "clBtnFace";
        })
        .Click(Main(), {300, 300})
        .Check([] { EXPECT_EQ(MainForm->clicks, 1); })
        .Click(Main(), {50, 50})
        .Check([] { EXPECT_EQ(MainForm->clicks, 1) << "the picture took the click"; })
        .Click(Main(), {687, 433})
        .Check([] { EXPECT_EQ(MainForm->clicks, 2); })
        .CloseWindow(Main());
    Run([](TApplication& application) {
        Start(application);
        application.RunMessageLoop();
    });
}

TEST_F(TwoForms, AMenuShortcutIsTheFormsAndTheApplicationStepIsSkipped) {
    script.Press('Q', platform::ModCtrl);
    Run([](TApplication& application) {
        Start(application);
        MainForm->Quitter1->SetShortCut(ShortCut('Q', ssCtrl));
        application.RunMessageLoop();
        EXPECT_EQ(MainForm->menuSender, MainForm->Quitter1);
        // Ctrl itself went twice through the shortcut check, Ctrl+Q once: the menu took it.
        EXPECT_EQ(MainForm->shortCuts, (std::vector<std::uint16_t>{platform::VK_CONTROL, platform::VK_CONTROL, 'Q'}));
        EXPECT_TRUE(MainForm->keys.empty());
    });
}

bool refuseToQuit = true;
bool AskBeforeQuitting() { return !refuseToQuit; }

TEST_F(TwoForms, ATerminateHookThatRefusesKeepsTheProgramRunning) {
    AddTerminateHook(&AskBeforeQuitting);
    script.ChooseMenu(Main(), {"Fichier", "Quitter"})
        .Check([] {
            EXPECT_EQ(MainForm->closes, 1);
            EXPECT_FALSE(Application->QuitRequested());
            refuseToQuit = false;
        })
        .ChooseMenu(Main(), {"Fichier", "Quitter"});
    Run([](TApplication& application) {
        Start(application);
        application.RunMessageLoop();
        EXPECT_EQ(MainForm->closes, 2);
    });
    RemoveTerminateHook(&AskBeforeQuitting);
}

TEST_F(FrameworkTest, CallsQueuedByOtherThreadsRunOnTheLoopsThread) {
    struct Idle : TObject {
        void Step(TObject*, bool&) { ++steps; }
        int steps = 0;
    } idle;
    std::thread::id ranOn;
    // The other thread's queueing wakes the waiting loop, which runs the call.
    script
        .Check([&] {
            std::thread([&] { QueueSynchronisedCall([&] { ranOn = std::this_thread::get_id(); }); }).join();
            EXPECT_EQ(ranOn, std::thread::id());
        })
        .Check([&] { EXPECT_EQ(ranOn, std::this_thread::get_id()); });
    Run([&](TApplication& application) {
        application.OnAppIdle = TIdleEvent(&idle, &Idle::Step);
        PumpUntilScriptEnds();
    });
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_GT(idle.steps, 0);
}

TEST_F(FrameworkTest, WithoutAFormTheLoopReturnsAtOnce) {
    Run([](TApplication& application) {
        application.RunMessageLoop();
        EXPECT_EQ(application.PrimaryForm(), nullptr);
        EXPECT_FALSE(application.QuitRequested());
    });
}

TEST_F(FrameworkTest, AnExceptionThatEscapesTheStartUpIsShown) {
    script.AnswerMessageBox(platform::IDOK).AnswerMessageBox(platform::IDOK);
    EXPECT_EQ(RunProgram([](TApplication&) { throw EResNotFound(ResId::ResourceNotFound, {"TORVALIS"}); }), 0);
    EXPECT_EQ(RunProgram([](TApplication&) { throw 42; }), 0);
    script.AnswerMessageBox(platform::IDOK);
    EXPECT_EQ(RunProgram([](TApplication&) { throw std::bad_alloc(); }), 0);
    ASSERT_EQ(Boxes().size(), 3u);
    EXPECT_EQ(Boxes()[0], Box("framework_tests", "Ressource TORVALIS non trouvée."));
    EXPECT_EQ(Boxes()[1], Box("framework_tests", "")) << "another object: no message";
    EXPECT_EQ(Boxes()[2], Box("framework_tests", "Mémoire insuffisante."));
}

TEST_F(FrameworkTest, UncaughtExceptionsGoToOnUncaughtOrToTheGeneralReport) {
    struct Receiver : TObject {
        void Uncaught(TObject* sender, Exception& error) {
            seen.push_back(error.Message().ToStdString());
            senders.push_back(sender);
        }
        std::vector<std::string> seen;
        std::vector<TObject*> senders;
    } receiver;
    script.AnswerMessageBox(platform::IDOK);
    Run([&](TApplication& application) {
        const auto raise = [&](auto exception) {
            try {
                throw exception;
            } catch (...) {
                application.HandleUncaught(&receiver);
            }
        };
        // The C++ library's own text is English: it never reaches the user.
        raise(std::runtime_error("vector::_M_realloc_insert"));
        application.OnUncaught = TExceptionEvent(&receiver, &Receiver::Uncaught);
        raise(EConvertError(String("Valeur incorrecte")));
        raise(EAbort(String("silencieux")));
        raise(std::bad_alloc());
    });
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], Box("Erreur d'application", "Erreur d'application"));
    EXPECT_EQ(backend.MessageBoxLog()[0].request.flags, platform::MB_ICONERROR | platform::MB_TASKMODAL);
    EXPECT_EQ(receiver.seen, (std::vector<std::string>{"Valeur incorrecte", "Mémoire insuffisante"}));
    EXPECT_EQ(receiver.senders, (std::vector<TObject*>{&receiver, &receiver}));
}

TEST(ErrorBoxText, AFullStopFollowsALastCharacterAfterTheFullStop) {
    const std::pair<const char*, const char*> cases[] = {
        {"Fichier introuvable", "Fichier introuvable."},
        {"Fin.", "Fin."},
        {"Erreur (3)", "Erreur (3)"},
        {"Attention!", "Attention!"},
        {"Vraiment?", "Vraiment?."},
        {"Cause :", "Cause :."},
        {"Code 12", "Code 12."},
        {"Chemin /", "Chemin /."},
        {"Fin -", "Fin -"},
        {"Déjà vu é", "Déjà vu é."},
        {"", ""},
    };
    for (const auto& [message, shown] : cases) EXPECT_EQ(WithFullStop(String(message)), shown) << message;
}

TEST(AppTitle, IsTheProgramsNameWithoutExtensionInLowerCaseAfterItsFirstLetter) {
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/orvalis", "orvalis"},
        {"/opt/Orvalis/ORVALIS.BIN", "Orvalis"},
        {"/home/a.b/VIEWER.tar.gz", "Viewer"},
        {"relative/ÉTUDE", "Étude"},
        // Every capital of the Windows-1252 code page, those beyond Latin-1 too.
        {"/opt/CHŒUR", "Chœur"},
        {"/opt/ŠŒŽŸÀÞ×", "Šœžÿàþ×"},
        {"/opt/AΓB\xFF\xC3", "AΓb\xFF\xC3"},  // other characters and stray bytes stay as they are
        {"/usr/bin/", ""},
        {".hidden", ""},
        {"Plain", "Plain"},
    };
    for (const auto& [path, title] : cases) EXPECT_EQ(TitleFromModuleName(path), title) << path;
}

}  // namespace
}  // namespace orvalis::test

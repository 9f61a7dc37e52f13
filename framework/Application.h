#pragma once
// TApplication: the one application object of the program. It owns the forms made
// through CreateAppForm (the first TForm is the PrimaryForm: closing it ends the
// program), keeps a hidden window that stands for the program (class "TApplication"),
// runs the message loop of the user-interface thread, pre-processes each message before
// it is dispatched, and turns every exception that escapes a handler into an error box,
// after which the loop goes on.
//
// The loop: RunMessageLoop shows the PrimaryForm and repeats PumpOne until
// QuitRequested. PumpOne is DispatchNext, or IdleStep when the queue was empty.
// DispatchNext takes one message: WM_QUIT sets QuitRequested; anything else goes to
// OnAppMessage, then (when it is a key message) the reflected key notification is sent
// to the framework control that the message is for (the capture window, else the first
// framework control up the parent chain), and what no one took is translated and
// dispatched. There is no hint window, no MDI form and no modeless dialog window here,
// so those steps of the pre-processing do nothing.
//
// A key that the PrimaryForm's OnShortCut leaves unhandled is offered to it twice when
// it holds the focus: once as the focused form's shortcut check, once as the
// application's (AppKeyDown); then it is dispatched and its character reaches OnKeyPress.

#include <cstdint>
#include <new>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

#include "classes/Component.h"
#include "classes/Events.h"
#include "framework/ControlMessages.h"
#include "platform/Messages.h"
#include "platform/Window.h"
#include "runtime/Exceptions.h"
#include "runtime/String.h"

namespace orvalis {

class TControl;
class TCustomForm;
class TForm;

using TMessageEvent = TEvent<void(platform::Message& Msg, bool& Handled)>;
using TIdleEvent = TEvent<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = TEvent<void(TObject* Sender, Exception& E)>;
template <>
inline constexpr std::string_view kEventTypeName<void(platform::Message&, bool&)> = "TMessageEvent";
template <>
inline constexpr std::string_view kEventTypeName<void(TObject*, Exception&)> = "TExceptionEvent";

// A window hook: sees each message of the application window first; true ends its
// handling there (with the message's Result).
using TWindowHook = bool (*)(void* context, TMessage& message);

class TApplication : public TComponent, public platform::WindowProcedure {
    ORVALIS_TYPE_INFO(TApplication)

public:
    // Registers the framework's classes, looks up the icon "MAINICON", takes AppTitle
    // from the program's file name and makes the hidden application window. A window
    // class that cannot be registered: EOutOfResources "Erreur à la création de la
    // classe fenêtre".
    explicit TApplication(TComponent* owner = nullptr);
    // Destroys the remaining forms (last made first), then the window.
    ~TApplication() override;

    // Runs the start-up hook when one is set.
    void Startup();
    // Makes a form of class F owned by the application. `reference` designates the form
    // before its constructor runs (the form reads its resource while being built); when
    // construction fails it is null again and the exception goes on. The first TForm
    // becomes the PrimaryForm and gets its window at once.
    template <class F>
    void CreateAppForm(F*& reference);
    // Shows the PrimaryForm and pumps messages until QuitRequested; returns at once
    // without a PrimaryForm.
    void RunMessageLoop();
    void PumpOne();
    // Takes and handles one message; false when the queue was empty.
    bool DispatchNext(platform::Message& message);
    // Mouse tracking, OnAppIdle, the queued synchronised calls, then waits for a message.
    void IdleStep(const platform::Message& message);
    // Asks the terminate hooks; when all agree, posts the quit message.
    void RequestQuit();
    // Routes the exception being handled (call it inside a catch block): EAbort is
    // silent, OnUncaught or ReportException take a framework exception, and a failed
    // allocation as EOutOfMemory "Mémoire insuffisante"; anything else (a C++ library
    // exception included, whose text is English) is shown in a box captioned and worded
    // "Erreur d'application".
    void HandleUncaught(TObject* sender);
    // The message with its full stop (WithFullStop) in a box captioned AppTitle, with the
    // error icon and an OK button.
    void ReportException(const Exception& exception);
    // The platform's message box, owned by the application window, with the other
    // windows disabled meanwhile; activation and focus come back afterwards.
    int MessageBox(std::string_view text, std::string_view caption, std::uint32_t flags);
    void Minimize();
    void Restore();
    void BringToFront();
    // The application shortcut step: OnAppShortCut, then the PrimaryForm's shortcut
    // check when its window is enabled.
    bool IsShortCut(TWMKey& key);
    // The end of the program: the components destroyed one at a time, the last first
    // (forms through DestroyForm, so they get OnDestroy).
    void ShutdownApplication();
    // Whether RunMessageLoop asked for ShutdownApplication at the end of the program.
    bool ShutdownRequested() const { return shutdownRequested_; }

    HWND Handle() const { return handle_; }
    // The application window's caption (at most 255 characters).
    String AppTitle() const;
    void SetAppTitle(const String& title);
    TForm* PrimaryForm() const { return primaryForm_; }
    bool QuitRequested() const { return quitRequested_; }
    bool AppActive() const { return appActive_; }
    // The bytes of the icon resource "MAINICON", when the program has one.
    const std::optional<std::span<const std::uint8_t>>& IconResource() const { return icon_; }
    void HookMainWindow(TWindowHook hook, void* context);
    void UnhookMainWindow(TWindowHook hook, void* context);

    bool ShowMainAtStart = true;
    TMessageEvent OnAppMessage;
    TIdleEvent OnAppIdle;
    TExceptionEvent OnUncaught;
    TShortCutEvent OnAppShortCut;
    TNotifyEvent OnAppActivate;
    TNotifyEvent OnAppDeactivate;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

    // What forms and controls tell the application when they go.
    void FormDestroyed(const TCustomForm& form);
    void ControlDestroyed(const TControl& control);

    platform::LRESULT WindowProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) override;

private:
    // CreateAppForm's last step: the first TForm becomes the PrimaryForm.
    void FormCreated(TComponent& instance);
    // The key step: the reflected notification; true when it was taken.
    bool PreprocessKey(const platform::Message& message);
    void TrackMouse();
    void HandleMessage(TMessage& message);

    HWND handle_ = 0;
    TForm* primaryForm_ = nullptr;
    bool quitRequested_ = false;
    bool appActive_ = true;
    bool shutdownRequested_ = false;
    std::optional<std::span<const std::uint8_t>> icon_;
    std::vector<std::pair<TWindowHook, void*>> hooks_;
    TControl* mouseControl_ = nullptr;
};

// The program's application object, while it exists (Program.h makes it).
extern TApplication* Application;

// The route of an exception that a window procedure caught (call it inside a catch
// block): the application's HandleUncaught, or on without an application.
void HandleUncaughtException(TObject* sender);

// The terminate hooks that RequestQuit asks; a hook answering false cancels the quit.
using TTerminateHook = bool (*)();
void AddTerminateHook(TTerminateHook hook);
void RemoveTerminateHook(TTerminateHook hook);
// The start-up hook that Startup runs.
using TStartupHook = void (*)();
void SetStartupHook(TStartupHook hook);

// The default title from the program's path: the name after the last "/", cut at its
// first ".", every character after the first in lower case ("/opt/bin/ORVALIS.bin"
// gives "Orvalis").
String TitleFromModuleName(std::string_view path);
// A message as an error box shows it: with "." appended when it is not empty and its
// last character, compared as bytes, comes after "." ("Fichier introuvable." but
// "Fin." and "Erreur (3)" unchanged).
String WithFullStop(const String& message);

template <class F>
void TApplication::CreateAppForm(F*& reference) {
    static_assert(std::is_base_of_v<TComponent, F>, "the application makes components");
    void* memory = ::operator new(sizeof(F));
    // The program's reference designates the form while it is built.
    reference = static_cast<F*>(memory);
    F* instance = nullptr;
    try {
        instance = new (memory) F(this);
    } catch (...) {
        ::operator delete(memory);
        reference = nullptr;
        throw;
    }
    try {
        instance->AfterConstruction();
    } catch (...) {
        delete instance;
        reference = nullptr;
        throw;
    }
    FormCreated(*instance);
}

}  // namespace orvalis

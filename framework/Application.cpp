#include "framework/Application.h"

#include <algorithm>
#include <cassert>
#include <exception>
#include <new>
#include <string>

#include "classes/ClassBuilder.h"
#include "framework/Form.h"
#include "framework/FrameworkClasses.h"
#include "framework/Screen.h"
#include "framework/SynchronisedCalls.h"
#include "framework/TaskModalScope.h"
#include "framework/WinControl.h"
#include "platform/Focus.h"
#include "platform/MessageBox.h"
#include "platform/MessageQueue.h"
#include "platform/ModuleFile.h"
#include "platform/ScreenMetrics.h"
#include "runtime/Resources.h"
#include "runtime/TextConversions.h"

namespace orvalis {

TApplication* Application = nullptr;

namespace {

constexpr const char* kApplicationWindowClass = "TApplication";
// A pop-up with caption, system menu and minimise box.
constexpr std::uint32_t kApplicationWindowStyle = 0x84CA0000;
constexpr std::size_t kMaxTitleLength = 255;

std::vector<TTerminateHook>& TerminateHooks() {
    static std::vector<TTerminateHook> hooks;
    return hooks;
}

TStartupHook startupHook = nullptr;

// The length of the UTF-8 character that starts at `index`.
std::size_t CharacterLength(std::string_view text, std::size_t index) {
    std::size_t end = index + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    return end - index;
}

// The capitals of the Windows-1252 code page outside ASCII and Latin-1, with their small
// letters: Š, Œ, Ž, Ÿ.
constexpr std::pair<char32_t, char32_t> kWindows1252Capitals[] = {
    {U'\u0160', U'\u0161'}, {U'\u0152', U'\u0153'}, {U'\u017D', U'\u017E'}, {U'\u0178', U'\u00FF'}};

// The small letter of a capital of the Windows-1252 code page; any other character as it is.
char32_t LowerCaseWindows1252(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= U'\u00C0' && c <= U'\u00DE' && c != U'\u00D7')) return c + 0x20;
    for (const auto& [capital, lower] : kWindows1252Capitals)
        if (c == capital) return lower;
    return c;
}

// Lower case for the capitals of the Windows-1252 code page (they are all one or two
// bytes long in UTF-8); every other byte is kept as it is.
std::string LowerCaseText(std::string_view text) {
    std::string lowered;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = CharacterLength(text, i);
        const auto lead = static_cast<unsigned char>(text[i]);
        if (length == 1 && lead < 0x80) {
            lowered += static_cast<char>(LowerCaseWindows1252(lead));
        } else if (length == 2 && lead >= 0xC2 && lead <= 0xDF) {
            const char32_t c = char32_t(lead & 0x1F) << 6 | (static_cast<unsigned char>(text[i + 1]) & 0x3F);
            AppendUtf8(lowered, LowerCaseWindows1252(c));
        } else {
            lowered += text.substr(i, length);
        }
        i += length;
    }
    return lowered;
}

}  // namespace

const TClassInfo& TApplication::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TApplication, TComponent>("TApplication");
    return info;
}

String TitleFromModuleName(std::string_view path) {
    std::string_view name = path.substr(path.rfind('/') + 1);
    name = name.substr(0, name.find('.'));
    if (name.empty()) return {};
    const std::size_t first = CharacterLength(name, 0);
    return String(name.substr(0, first)) + LowerCaseText(name.substr(first));
}

String WithFullStop(const String& message) {
    if (message.IsEmpty()) return message;
    const std::string_view text = message.View();
    std::size_t last = text.size() - 1;
    while (last > 0 && (static_cast<unsigned char>(text[last]) & 0xC0) == 0x80) --last;
    // Compared as bytes: "/", digits, letters, "?" and any non-ASCII character come after ".".
    if (text.substr(last) > std::string_view(".")) return message + ".";
    return message;
}

void HandleUncaughtException(TObject* sender) {
    if (!Application) throw;
    Application->HandleUncaught(sender);
}

void AddTerminateHook(TTerminateHook hook) { TerminateHooks().push_back(hook); }

void RemoveTerminateHook(TTerminateHook hook) { std::erase(TerminateHooks(), hook); }

void SetStartupHook(TStartupHook hook) { startupHook = hook; }

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
    RegisterFrameworkClasses();
    icon_ = FindResource(ResourceType::Icon, "MAINICON");
    if (!platform::IsWindowClassRegistered(kApplicationWindowClass) &&
        !platform::RegisterWindowClass({kApplicationWindowClass, 0}))
        throw EOutOfResources(ResId::WindowClassCreation);
    const platform::ScreenMetrics screen = platform::GetScreenMetrics();
    const platform::Point centre{screen.width / 2, screen.height / 2};
    handle_ = platform::CreateWindow({kApplicationWindowClass,
                                      TitleFromModuleName(platform::GetModuleFileName()).ToStdString(),
                                      kApplicationWindowStyle,
                                      0,
                                      {centre.x, centre.y, centre.x, centre.y},
                                      0,
                                      this});
    if (!handle_) throw EOutOfResources(ResId::OutOfSystemResources);
    // Another thread that queues a call wakes the loop through the application window.
    SetSynchronisationWakeUp([window = handle_] { platform::PostMessage(window, platform::WM_NULL, 0, 0); });
}

TApplication::~TApplication() {
    SetSynchronisationWakeUp(nullptr);
    ShutdownApplication();
    platform::SetWindowProcedure(handle_, nullptr);
    platform::DestroyWindow(handle_);
}

void TApplication::Startup() {
    if (startupHook) startupHook();
}

void TApplication::FormCreated(TComponent& instance) {
    if (primaryForm_) return;
    if (auto* form = dynamic_cast<TForm*>(&instance)) {
        form->HandleNeeded();
        primaryForm_ = form;
    }
}

void TApplication::RunMessageLoop() {
    shutdownRequested_ = true;
    if (!primaryForm_) return;
    if (ShowMainAtStart) primaryForm_->Show();
    // The flag is tested before each pump: the session may have ended while showing the
    // primary form ran its first handlers, and the loop must not wait for a message then.
    while (!quitRequested_) {
        try {
            PumpOne();
        } catch (...) {
            HandleUncaught(this);
        }
    }
}

void TApplication::PumpOne() {
    platform::Message message;
    if (!DispatchNext(message)) IdleStep(message);
}

bool TApplication::DispatchNext(platform::Message& message) {
    if (!platform::PeekMessage(message, platform::PM_REMOVE)) return false;
    if (message.message == platform::WM_QUIT) {
        quitRequested_ = true;
        return true;
    }
    bool handled = false;
    if (OnAppMessage) OnAppMessage(message, handled);
    if (handled || PreprocessKey(message)) return true;
    platform::TranslateMessage(message);
    platform::DispatchMessage(message);
    return true;
}

bool TApplication::PreprocessKey(const platform::Message& message) {
    if (message.message < platform::WM_KEYFIRST || message.message > platform::WM_KEYLAST) return false;
    HWND target = platform::GetCapture();
    if (!target) {
        target = message.hwnd;
        while (target && !FindControl(target)) target = platform::GetParent(target);
        if (!target) target = message.hwnd;
    }
    return platform::SendMessage(target, message.message + platform::CN_BASE, message.wParam, message.lParam) != 0;
}

void TApplication::IdleStep(const platform::Message&) {
    TrackMouse();
    bool done = true;
    try {
        if (OnAppIdle) OnAppIdle(this, done);
    } catch (...) {
        HandleUncaught(this);
    }
    if (RunSynchronisedCalls()) done = false;
    if (done) platform::WaitMessage();
}

void TApplication::TrackMouse() {
    const platform::Point cursor = platform::GetCursorPos();
    const HWND window = platform::WindowFromPoint(cursor);
    TControl* control = FindControl(window);
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        const platform::Point point = platform::ScreenToClient(window, cursor);
        if (TControl* child = windowed->ControlAtPos({point.x, point.y}, false)) control = child;
    }
    if (control == mouseControl_) return;
    if (mouseControl_ && !platform::GetCapture()) mouseControl_->Perform(CM_MOUSELEAVE);
    mouseControl_ = control;
    if (mouseControl_ && !platform::GetCapture()) mouseControl_->Perform(CM_MOUSEENTER);
}

void TApplication::RequestQuit() {
    const std::vector<TTerminateHook> hooks = TerminateHooks();
    for (TTerminateHook hook : hooks)
        if (!hook()) return;
    platform::PostQuitMessage(0);
}

void TApplication::HandleUncaught(TObject* sender) {
    assert(std::current_exception() && "HandleUncaught routes the exception being handled");
    if (const HWND capture = platform::GetCapture()) platform::SendMessage(capture, platform::WM_CANCELMODE);
    auto route = [&](Exception& exception) {
        if (OnUncaught)
            OnUncaught(sender, exception);
        else
            ReportException(exception);
    };
    try {
        throw;
    } catch (const EAbort&) {
    } catch (Exception& exception) {
        route(exception);
    } catch (const std::bad_alloc&) {
        // The C++ library's text is English: the framework's own message takes its place.
        EOutOfMemory outOfMemory(ResId::OutOfMemory);
        route(outOfMemory);
    } catch (...) {
        // Any other object, a C++ library exception included (its text is English): the
        // general report.
        const std::string_view caption = LoadResString(ResId::ApplicationError);
        MessageBox(caption, caption, platform::MB_OK | platform::MB_ICONERROR | platform::MB_TASKMODAL);
    }
}

void TApplication::ReportException(const Exception& exception) {
    MessageBox(WithFullStop(exception.Message()).View(), AppTitle().View(), platform::MB_OK | platform::MB_ICONERROR);
}

int TApplication::MessageBox(std::string_view text, std::string_view caption, std::uint32_t flags) {
    const TTaskModalScope modal(this, TTaskModalScope::TGivesBack::ActivationAndFocus);
    return platform::MessageBox(handle_, text, caption, flags);
}

void TApplication::Minimize() {
    if (primaryForm_ && primaryForm_->HandleAllocated())
        platform::ShowWindow(primaryForm_->Handle(), platform::SW_MINIMIZE);
    if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
    if (primaryForm_ && primaryForm_->HandleAllocated())
        platform::ShowWindow(primaryForm_->Handle(), platform::SW_RESTORE);
    if (OnRestore) OnRestore(this);
}

void TApplication::BringToFront() {
    if (primaryForm_ && primaryForm_->HandleAllocated() && primaryForm_->Visible())
        platform::BringWindowToTop(primaryForm_->Handle());
}

bool TApplication::IsShortCut(TWMKey& key) {
    bool handled = false;
    if (OnAppShortCut) OnAppShortCut(key, handled);
    if (!handled && primaryForm_ && primaryForm_->HandleAllocated() &&
        platform::IsWindowEnabled(primaryForm_->Handle()))
        handled = primaryForm_->IsShortCut(key);
    return handled;
}

void TApplication::ShutdownApplication() {
    MarkDestroying();
    while (ComponentCount() > 0) {
        TComponent* last = Components(ComponentCount() - 1);
        if (auto* form = dynamic_cast<TCustomForm*>(last))
            DestroyForm(form);
        else
            delete last;
    }
}

String TApplication::AppTitle() const {
    const std::string caption = platform::GetWindowText(handle_);
    std::size_t end = 0;
    for (std::size_t count = 0; end < caption.size() && count < kMaxTitleLength; ++count)
        end += CharacterLength(caption, end);
    return String(std::string_view(caption).substr(0, end));
}

void TApplication::SetAppTitle(const String& title) { platform::SetWindowText(handle_, title.View()); }

void TApplication::HookMainWindow(TWindowHook hook, void* context) { hooks_.emplace_back(hook, context); }

void TApplication::UnhookMainWindow(TWindowHook hook, void* context) { std::erase(hooks_, std::pair(hook, context)); }

void TApplication::FormDestroyed(const TCustomForm& form) {
    if (primaryForm_ == &form) primaryForm_ = nullptr;
}

void TApplication::ControlDestroyed(const TControl& control) {
    if (mouseControl_ == &control) mouseControl_ = nullptr;
}

platform::LRESULT TApplication::WindowProc(HWND, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    TMessage m{message, wParam, lParam, 0};
    try {
        HandleMessage(m);
    } catch (...) {
        HandleUncaught(this);
    }
    return m.Result;
}

void TApplication::HandleMessage(TMessage& message) {
    const auto hooks = hooks_;
    for (const auto& [hook, context] : hooks)
        if (hook(context, message)) return;
    switch (message.Msg) {
        case platform::WM_NULL: RunSynchronisedCalls(); return;
        case platform::WM_CLOSE:
            if (primaryForm_) primaryForm_->RequestClose();
            return;
        case platform::WM_ENDSESSION:
            if (message.WParam != 0) quitRequested_ = true;
            return;
        case platform::WM_ACTIVATEAPP:
            message.Result = platform::DefWindowProc(handle_, message.Msg, message.WParam, message.LParam);
            appActive_ = message.WParam != 0;
            platform::PostMessage(handle_, appActive_ ? CM_ACTIVATE : CM_DEACTIVATE, 0, 0);
            return;
        case platform::WM_SYSCOMMAND:
            if (message.WParam == platform::SC_MINIMIZE) {
                Minimize();
                return;
            }
            if (message.WParam == platform::SC_RESTORE) {
                Restore();
                return;
            }
            break;
        case CM_ACTIVATE:
            if (OnAppActivate) OnAppActivate(this);
            return;
        case CM_DEACTIVATE:
            if (OnAppDeactivate) OnAppDeactivate(this);
            return;
        case CM_APPKEYDOWN: {
            TWMKey key{message.Msg, static_cast<std::uint16_t>(message.WParam),
                       static_cast<std::int32_t>(message.LParam)};
            message.Result = IsShortCut(key) ? 1 : 0;
            return;
        }
        default: break;
    }
    message.Result = platform::DefWindowProc(handle_, message.Msg, message.WParam, message.LParam);
}

}  // namespace orvalis

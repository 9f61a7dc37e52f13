// The desktop probe: a small program on the platform API alone, run on the desktop
// backend in a real X display by desktop_scenario.py, which drives it as a person would
// and reads what it prints. It shows one window with a menu bar, paints known colours,
// counts timer ticks in its caption, opens the file-open dialog and a message box from
// its menu, and prints every input and every answer it gets, one line each.
//
//     desktop_probe FOLDER     (the folder the file dialog opens in)

#include <cstdarg>
#include <cstdio>
#include <string>

#include "app/ViewerTexts.h"
#include "platform/EndSession.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "platform/MessageQueue.h"
#include "platform/NonClientMetrics.h"
#include "platform/OpenFileDialog.h"
#include "platform/Painting.h"
#include "platform/Platform.h"
#include "platform/Timers.h"
#include "platform/Window.h"
#include "platform/gtk/GtkStartup.h"

using namespace orvalis;
using namespace orvalis::platform;

namespace {

enum : std::uint32_t {
    kOpenJpeg = 101,
    kAskQuestion = 102,
    kQuit = 103,
    kOpenPng = 104,
    kChecked = 201,
    kDisabled = 202,
};
constexpr int kClientWidth = 400;
constexpr int kClientHeight = 300;
constexpr int kBlock = 20;  // the side of the coloured squares
constexpr std::uintptr_t kTickTimer = 1;
constexpr unsigned kTickMilliseconds = 150;

void Say(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    std::putchar('\n');
    std::fflush(stdout);
}

MenuBar ProbeMenu() {
    MenuBar bar;
    bar.items.push_back({0,
                         "&Fichier",
                         true,
                         false,
                         false,
                         {{kOpenJpeg, "&Ouvrir...\tCtrl+O"},
                          {kOpenPng, "Ouvrir &PNG..."},
                          {kAskQuestion, "&Message"},
                          {0, "", true, false, true},
                          {kQuit, "&Quitter"}}});
    bar.items.push_back(
        {0, "&Affichage", true, false, false, {{kChecked, "&Coché", true, true}, {kDisabled, "&Inactif", false}}});
    return bar;
}

// Prints what the dialog tells; a confirmed name containing "refuse" is refused once.
class ProbeHooks final : public OpenFileHooks {
public:
    void OnShow() override { Say("hook show"); }
    void OnTypeChange(int filterIndex) override { Say("hook type %d", filterIndex); }
    void OnFolderChange() override { Say("hook folder %s", RunningOpenFileDialog()->folder.c_str()); }
    void OnSelectionChange() override { Say("hook selection %s", RunningOpenFileDialog()->path.c_str()); }
    bool OnFileOk(const OpenFileResult& chosen) override {
        bool refused = chosen.fileBuffer.find("refuse") != std::string::npos;
        Say("hook fileok %s%s", chosen.fileBuffer.c_str(), refused ? " refused" : "");
        return !refused;
    }
    void OnClose() override { Say("hook close"); }
};

class ProbeWindow final : public WindowProcedure {
public:
    explicit ProbeWindow(std::string folder) : folder_(std::move(folder)) {}

    void Create() {
        RegisterWindowClass({"OrvalisProbe", CS_DBLCLKS});
        CreateWindowParams params;
        params.className = "OrvalisProbe";
        params.text = "Sonde Orvalis n° 0";
        params.style = WS_OVERLAPPEDWINDOW;
        params.bounds = AdjustWindowRect({100, 80, 100 + kClientWidth, 80 + kClientHeight}, params.style, true);
        params.procedure = this;
        handle_ = CreateWindow(params);
        SetMenu(handle_, ProbeMenu());
        MoveWindow(handle_, params.bounds);
        SetTimer(handle_, kTickTimer, kTickMilliseconds);
        ShowWindow(handle_, SW_SHOW);
    }

    LRESULT WindowProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_PAINT: Paint(window); return 0;
            case WM_TIMER: SetWindowText(window, "Sonde Orvalis n° " + std::to_string(++ticks_)); return 0;
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
                Say("keydown vk=%d sys=%d", static_cast<int>(wParam), message == WM_SYSKEYDOWN ? 1 : 0);
                break;
            case WM_KEYUP:
            case WM_SYSKEYUP: Say("keyup vk=%d", static_cast<int>(wParam)); break;
            case WM_CHAR: Say("char %d", static_cast<int>(wParam)); return 0;
            case WM_SYSCHAR: Say("syschar %d", static_cast<int>(wParam)); return 0;
            case WM_MOUSEMOVE:
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_LBUTTONDBLCLK:
            case WM_RBUTTONDOWN:
            case WM_RBUTTONUP: SayMouse(message, lParam); return 0;
            case WM_ACTIVATE: Say("activate %d", LoWord(wParam)); break;
            case WM_SIZE:
                Say("size %d %d", LoWord(static_cast<WPARAM>(lParam)), HiWord(static_cast<WPARAM>(lParam)));
                break;
            case WM_SYSCOMMAND: Say("syscommand %x", static_cast<unsigned>(wParam)); break;
            case WM_CLOSE:
                // The first request is refused: the window must stay, whatever the desktop does.
                Say(closeRequests_++ == 0 ? "close refused" : "close");
                if (closeRequests_ == 1) return 0;
                break;
            case WM_COMMAND: Command(window, static_cast<std::uint32_t>(wParam)); return 0;
            case WM_DESTROY: PostQuitMessage(0); return 0;
            default: break;
        }
        return DefWindowProc(window, message, wParam, lParam);
    }

private:
    void Paint(HWND window) {
        PaintStruct paint;
        cairo_t* cr = BeginPaint(window, paint);
        auto fill = [cr](double r, double g, double b, double x, double y, double w, double h) {
            cairo_set_source_rgb(cr, r, g, b);
            cairo_rectangle(cr, x, y, w, h);
            cairo_fill(cr);
        };
        fill(0.5, 0.5, 0.5, 0, 0, kClientWidth, kClientHeight);
        fill(1, 0, 0, 0, 0, kBlock, kBlock);
        fill(0, 1, 0, (kClientWidth - kBlock) / 2, (kClientHeight - kBlock) / 2, kBlock, kBlock);
        fill(0, 0, 1, kClientWidth - kBlock, kClientHeight - kBlock, kBlock, kBlock);
        EndPaint(window, paint);
        if (!painted_) Say("ready client=%d,%d", kClientWidth, kClientHeight);
        painted_ = true;
    }

    static void SayMouse(std::uint32_t message, LPARAM lParam) {
        const char* what = message == WM_MOUSEMOVE       ? "move"
                           : message == WM_LBUTTONDOWN   ? "ldown"
                           : message == WM_LBUTTONUP     ? "lup"
                           : message == WM_LBUTTONDBLCLK ? "ldblclk"
                           : message == WM_RBUTTONDOWN   ? "rdown"
                                                         : "rup";
        Point point = PointFromLParam(lParam);
        Say("mouse %s %d %d", what, point.x, point.y);
    }

    void Command(HWND window, std::uint32_t id) {
        Say("command %u", id);
        switch (id) {
            case kOpenJpeg:
            case kOpenPng: Open(window, id == kOpenJpeg ? 1 : 2); break;
            case kAskQuestion: {
                EnableWindow(window, false);
                int answer = MessageBox(window, "Voulez-vous continuer ?", "Question de la sonde",
                                        MB_YESNOCANCEL | MB_ICONQUESTION);
                EnableWindow(window, true);
                Say("messagebox %d", answer);
                break;
            }
            case kQuit: DestroyWindow(window); break;
            default: break;
        }
    }

    void Open(HWND window, int filterIndex) {
        OpenFileRequest request;
        request.owner = window;
        request.title = "Ouverture d'une liste de vues de perspectives";
        request.filters = {{"Fichiers JPEG ", "*.JPG;*JPEG"}, {"Graphique Portable ", "*.PNG"}};
        request.filterIndex = filterIndex;
        request.initialDir = folder_;
        request.flags = OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
        ProbeHooks hooks;
        OpenFileResult result;
        EnableWindow(window, false);
        bool confirmed = GetOpenFileName(request, &hooks, result);
        EnableWindow(window, true);
        if (confirmed)
            Say("open ok path=%s filter=%d", result.fileBuffer.c_str(), result.filterIndex);
        else
            Say("open cancelled");
    }

    std::string folder_;
    HWND handle_ = 0;
    int ticks_ = 0;
    int closeRequests_ = 0;
    bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!gtk::InstallGtkBackend(texts::kLostDisplay)) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(texts::kNoDisplay.size()), texts::kNoDisplay.data());
        return 1;
    }
    InstallEndSessionHandler();
    ProbeWindow probe(argc > 1 ? argv[1] : ".");
    probe.Create();
    Message message;
    while (GetMessage(message)) {
        TranslateMessage(message);
        DispatchMessage(message);
    }
    Say("exit %d", static_cast<int>(message.wParam));
    RemoveBackend();
    return static_cast<int>(message.wParam);
}

// The desktop backend in a real X display (CTest runs this under run_in_xvfb.py): native
// windows of the exact client size, the menu bar, the close box, the message box and the
// file-open dialog answered through GTK itself, the clipboard, the screen, the icon and
// waiting. The user's own keys, clicks and screenshots are desktop_scenario.py's.

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/MainIcon.h"
#include "platform/Clipboard.h"
#include "platform/Focus.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "platform/MessageQueue.h"
#include "platform/NonClientMetrics.h"
#include "platform/OpenFileDialog.h"
#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"
#include "platform/Timers.h"
#include "platform/Window.h"
#include "platform/gtk/AppIcon.h"
#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/GtkStartup.h"
#include "platform/gtk/TopLevelWindow.h"
#include "runtime/Resources.h"
#include "tests/support/TemporaryFolder.h"

using namespace orvalis;
using namespace orvalis::platform;

namespace {

// Records the messages of a window; `on` may answer one instead of the default handling.
class Recorder final : public WindowProcedure {
public:
    std::function<std::optional<LRESULT>(HWND, std::uint32_t, WPARAM, LPARAM)> on;
    std::vector<std::pair<std::uint32_t, WPARAM>> seen;

    LRESULT WindowProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back({message, wParam});
        if (on)
            if (std::optional<LRESULT> answer = on(window, message, wParam, lParam)) return *answer;
        return DefWindowProc(window, message, wParam, lParam);
    }
    bool Saw(std::uint32_t message, WPARAM wParam) const {
        for (const auto& [m, w] : seen)
            if (m == message && w == wParam) return true;
        return false;
    }
};

MenuBar ViewerLikeMenu() {
    MenuBar bar;
    bar.items.push_back(
        {0, "&Fichier", true, false, false, {{1, "&Ouvrir\tCtrl+O"}, {0, "", true, false, true}, {2, "&Quitter"}}});
    bar.items.push_back({3, "&Options"});
    bar.items.push_back(
        {0,
         "&Traitement PNG",
         true,
         false,
         false,
         {{4, "&Comptage couleurs ", true, true}, {5, "&Modif. couleurs", false}, {6, "Noir && blanc_2"}}});
    return bar;
}

const std::vector<FileFilter> kViewerFilters = {{"Fichiers JPEG ", "*.JPG;*JPEG"}, {"Graphique Portable ", "*.PNG"}};

class GtkBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterMainIcon();
        ASSERT_TRUE(gtk::InstallGtkBackend("the test's display went away"))
            << "no display: these tests run under tests/desktop/run_in_xvfb.py";
        RegisterWindowClass({"GtkBackendTest", CS_DBLCLKS});
        // A hidden window whose timer bounds every wait and ends dialogs that never answer.
        CreateWindowParams params;
        params.className = "GtkBackendTest";
        params.procedure = &helper_;
        helperWindow_ = CreateWindow(params);
        helper_.on = [this](HWND, std::uint32_t message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (message == WM_USER && !steps_.empty()) {
                std::function<void()> step = std::move(steps_.front());
                steps_.erase(steps_.begin());
                step();
                return 0;
            }
            if (message == WM_TIMER && whenReady_ && whenReady_()) whenReady_ = nullptr;
            if (message == WM_TIMER && std::chrono::steady_clock::now() > deadline_) GiveUp();
            return std::nullopt;
        };
    }

    void TearDown() override {
        RemoveBackend();
        while (gtk_events_pending()) gtk_main_iteration();
    }

    gtk::GtkBackend& Backend() { return static_cast<gtk::GtkBackend&>(CurrentBackend()); }

    HWND MakeWindow(std::uint32_t style, Size client, const std::optional<MenuBar>& menu, Recorder* recorder) {
        CreateWindowParams params;
        params.className = "GtkBackendTest";
        params.text = "Fenêtre d'essai";
        params.style = style;
        params.bounds = AdjustWindowRect({60, 60, 60 + client.width, 60 + client.height}, style, menu.has_value());
        params.procedure = recorder;
        HWND window = CreateWindow(params);
        SetMenu(window, menu);
        MoveWindow(window, params.bounds);
        ShowWindow(window, SW_SHOW);
        return window;
    }

    // Runs `step` from the queue once the program waits (inside a dialog's loop too).
    void Then(std::function<void()> step) {
        steps_.push_back(std::move(step));
        PostMessage(helperWindow_, WM_USER, 0, 0);
    }

    // Once GTK has done what it was asked (polled at each tick of the helper's timer, so
    // that the queue keeps waiting on GTK meanwhile), `ready` acts and answers true.
    void WhenReady(std::function<bool()> ready) { whenReady_ = std::move(ready); }

    // Pumps the queue until `done` holds; false after twenty seconds.
    bool PumpUntil(const std::function<bool()>& done) {
        Arm();
        while (!done() && !gaveUp_) {
            Message message;
            if (PeekMessage(message, PM_REMOVE)) {
                TranslateMessage(message);
                DispatchMessage(message);
            } else {
                WaitMessage();
            }
        }
        KillTimer(helperWindow_, 1);
        return done();
    }

    // Bounds a modal run that the test drives.
    void Arm() {
        gaveUp_ = false;
        deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        SetTimer(helperWindow_, 1, 20);
    }

    GtkWindow* TopDialog() { return Backend().Dialogs().empty() ? nullptr : Backend().Dialogs().back(); }

    static Size Allocation(GtkWidget* widget) {
        return {gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget)};
    }

    bool gaveUp_ = false;

private:
    void GiveUp() {
        gaveUp_ = true;
        for (GtkWindow* dialog : Backend().Dialogs())
            if (GTK_IS_DIALOG(dialog)) gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    }

    Recorder helper_;
    HWND helperWindow_ = 0;
    std::vector<std::function<void()>> steps_;
    std::function<bool()> whenReady_;
    std::chrono::steady_clock::time_point deadline_;
};

// GDK ends the program itself when it meets a lost connection before the backend's watch
// does (a flush while painting); its last words, through either of GLib's ways of
// logging, give way to the program's own line and status 1. Its other messages pass.
TEST_F(GtkBackendTest, GdksOwnEndOnALostConnectionSaysTheProgramsLine) {
    const std::vector<std::function<void()>> endings = {
        [] { g_log("Gdk", G_LOG_LEVEL_MESSAGE, "Error flushing display: %s", "Broken pipe"); },
        [] { g_log("Gdk", G_LOG_LEVEL_MESSAGE, "Error %d (%s) dispatching to Wayland display.", 32, "Broken pipe"); },
        [] { g_log_structured("Gdk", G_LOG_LEVEL_MESSAGE, "MESSAGE", "Lost connection to Wayland compositor."); },
        [] { g_log_structured("Gdk", G_LOG_LEVEL_MESSAGE, "MESSAGE", "Error reading events from display: %s", "EOF"); },
    };
    for (const std::function<void()>& ending : endings)
        EXPECT_EXIT(ending(), ::testing::ExitedWithCode(1), "the test's display went away");
    EXPECT_EXIT(
        {
            g_log("Gdk", G_LOG_LEVEL_MESSAGE, "Error flushing nothing at all");
            g_log("Other", G_LOG_LEVEL_MESSAGE, "Error flushing display: %s", "Broken pipe");
            std::fprintf(stderr, "still running\n");
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "still running");
}

TEST_F(GtkBackendTest, TheDrawingAreaHasExactlyTheClientSize) {
    const std::uint32_t fixed = WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;
    struct Case {
        const char* what;
        std::uint32_t style;
        Size client;
        std::optional<MenuBar> menu;
    };
    const Case cases[] = {
        {"a sizeable window with the viewer's menu bar", WS_OVERLAPPEDWINDOW, {688, 434}, ViewerLikeMenu()},
        {"a sizeable window without a menu bar", WS_OVERLAPPEDWINDOW, {320, 240}, std::nullopt},
        {"a fixed dialog frame with a menu bar", fixed, {300, 200}, ViewerLikeMenu()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Recorder recorder;
        HWND window = MakeWindow(c.style, c.client, c.menu, &recorder);
        ASSERT_EQ(GetClientRect(window).Extent(), c.client);
        const gtk::TopLevelWindow* native = Backend().NativeWindow(window);
        ASSERT_NE(native, nullptr);
        GtkWidget* area = native->DrawingArea();
        EXPECT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(area) && Allocation(area) == c.client; }))
            << "the drawing area is " << Allocation(area).width << " x " << Allocation(area).height;
        EXPECT_EQ(Allocation(GTK_WIDGET(native->Window())).width, c.client.width);

        // The program sizes the client area anew (as ClientWidth and ClientHeight do).
        Size larger{c.client.width + 40, c.client.height + 30};
        Rect bounds = GetWindowRect(window);
        Rect wanted =
            AdjustWindowRect(Rect::FromOriginAndSize(ClientToScreen(window, {}), larger), c.style, c.menu.has_value());
        SetWindowPos(window, HWND_TOP, bounds.left, bounds.top, wanted.Width(), wanted.Height(), SWP_NOZORDER);
        ASSERT_EQ(GetClientRect(window).Extent(), larger);
        EXPECT_TRUE(PumpUntil([&] { return Allocation(area) == larger; }))
            << "the drawing area is " << Allocation(area).width << " x " << Allocation(area).height;
        // GTK's own sizes never came back as the user's.
        EXPECT_EQ(GetClientRect(window).Extent(), larger);
        DestroyWindow(window);
    }
}

// A client area larger than the screen (a large view) gives a window no larger than the
// screen's work area, showing the top-left part of what is drawn; the platform reads the
// client size the window has, and a later smaller size is exact again.
TEST_F(GtkBackendTest, AWindowLargerThanTheWorkAreaIsBoundedAndThePlatformReadsItsSize) {
    struct Case {
        const char* what;
        std::uint32_t style;
        std::optional<MenuBar> menu;
    };
    const Case cases[] = {
        {"the viewer's sizeable window with its menu bar", WS_OVERLAPPEDWINDOW, ViewerLikeMenu()},
        {"a fixed dialog frame", WS_CAPTION | WS_SYSMENU | WS_DLGFRAME, std::nullopt},
    };
    const ScreenMetrics screen = GetScreenMetrics();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Recorder recorder;
        HWND window = MakeWindow(c.style, {320, 200}, c.menu, &recorder);
        const gtk::TopLevelWindow* native = Backend().NativeWindow(window);
        ASSERT_NE(native, nullptr);
        GtkWidget* area = native->DrawingArea();
        GtkWidget* whole = GTK_WIDGET(native->Window());
        ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(area); }));

        const Size huge{10000, 10000};
        Rect wanted =
            AdjustWindowRect(Rect::FromOriginAndSize(ClientToScreen(window, {}), huge), c.style, c.menu.has_value());
        SetWindowPos(window, HWND_TOP, 0, 0, wanted.Width(), wanted.Height(), SWP_NOZORDER | SWP_NOMOVE);
        EXPECT_TRUE(PumpUntil([&] {
            Size client = GetClientRect(window).Extent();
            return client.width <= screen.width && client.height <= screen.height && Allocation(area) == client;
        })) << "the platform reads "
            << GetClientRect(window).Width() << " x " << GetClientRect(window).Height() << ", the drawing area is "
            << Allocation(area).width << " x " << Allocation(area).height;
        EXPECT_LE(Allocation(whole).width, screen.width);
        EXPECT_LE(Allocation(whole).height, screen.height);
        int x = -1, y = -1;
        gtk_window_get_position(native->Window(), &x, &y);
        EXPECT_GE(x, 0);
        EXPECT_GE(y, 0);
        EXPECT_LE(x + Allocation(whole).width, screen.width);
        EXPECT_LE(y + Allocation(whole).height, screen.height);

        const Size small{300, 180};
        wanted =
            AdjustWindowRect(Rect::FromOriginAndSize(ClientToScreen(window, {}), small), c.style, c.menu.has_value());
        SetWindowPos(window, HWND_TOP, 0, 0, wanted.Width(), wanted.Height(), SWP_NOZORDER | SWP_NOMOVE);
        EXPECT_TRUE(PumpUntil([&] { return Allocation(area) == small; }))
            << "the drawing area is " << Allocation(area).width << " x " << Allocation(area).height;
        EXPECT_EQ(GetClientRect(window).Extent(), small);
        DestroyWindow(window);
    }
}

// Whether every item of the bar lies inside the window's width, where the mouse reaches it.
bool EveryItemShows(GtkWidget* bar, int windowWidth);

// The original platform wraps a narrow window's menu bar onto more lines; here the window
// keeps the bar's width, for the program's sizes and the user's alike.
TEST_F(GtkBackendTest, AWindowIsNeverNarrowerThanItsMenuBar) {
    const std::uint32_t fixed = WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;
    for (const std::uint32_t style : {std::uint32_t{WS_OVERLAPPEDWINDOW}, fixed}) {
        Recorder recorder;
        HWND window = MakeWindow(style, {16, 16}, ViewerLikeMenu(), &recorder);
        const int barWidth = GetMenuBarWidth(window);
        EXPECT_GT(barWidth, 100) << "three menus in the forms' font";
        ASSERT_EQ(GetClientRect(window).Extent(), (Size{barWidth, 16}));
        const gtk::TopLevelWindow* native = Backend().NativeWindow(window);
        GtkWidget* area = native->DrawingArea();
        GtkWidget* frame = GTK_WIDGET(native->Window());
        EXPECT_TRUE(PumpUntil([&] {
            return gtk_widget_get_mapped(area) && Allocation(area) == Size{barWidth, 16};
        })) << "the drawing area is "
            << Allocation(area).width << " x " << Allocation(area).height;
        EXPECT_EQ(Allocation(frame).width, barWidth);
        EXPECT_TRUE(EveryItemShows(native->MenuBar(), Allocation(frame).width));

        // An empty client area (a view that did not load) keeps the bar's width.
        Rect bounds = GetWindowRect(window);
        SetWindowPos(window, HWND_TOP, bounds.left, bounds.top, 0, 0, SWP_NOZORDER);
        EXPECT_EQ(GetClientRect(window).Extent(), (Size{barWidth, 0}));
        EXPECT_TRUE(PumpUntil([&] { return Allocation(frame).width == barWidth; }));
        EXPECT_TRUE(EveryItemShows(native->MenuBar(), Allocation(frame).width));

        if (style == WS_OVERLAPPEDWINDOW) {
            // The user cannot make it narrower either.
            SetWindowPos(window, HWND_TOP, bounds.left, bounds.top, bounds.Width() + 100, bounds.Height() + 40,
                         SWP_NOZORDER);
            EXPECT_TRUE(PumpUntil([&] { return Allocation(frame).width == barWidth + 100; }));
            int width = 0, height = 0;
            gtk_window_get_size(native->Window(), &width, &height);
            gtk_window_resize(native->Window(), 20, height);
            EXPECT_TRUE(PumpUntil([&] { return GetClientRect(window).Width() == barWidth; }))
                << GetClientRect(window).Width();
            EXPECT_TRUE(PumpUntil([&] { return Allocation(frame).width == barWidth; }));
        }
        DestroyWindow(window);
    }
}

bool EveryItemShows(GtkWidget* bar, int windowWidth) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(bar));
    bool shows = children != nullptr;
    for (GList* child = children; child; child = child->next) {
        GtkAllocation item;
        gtk_widget_get_allocation(GTK_WIDGET(child->data), &item);
        int x = 0, y = 0;
        gtk_widget_translate_coordinates(GTK_WIDGET(child->data), gtk_widget_get_toplevel(bar), 0, 0, &x, &y);
        shows = shows && gtk_widget_get_mapped(GTK_WIDGET(child->data)) && x >= 0 && x + item.width <= windowWidth;
    }
    g_list_free(children);
    return shows;
}

TEST_F(GtkBackendTest, TheUsersOwnResizingAndMovingReachThePlatform) {
    Recorder recorder;
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, {300, 200}, ViewerLikeMenu(), &recorder);
    const gtk::TopLevelWindow* native = Backend().NativeWindow(window);
    GtkWidget* area = native->DrawingArea();
    ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(area) && Allocation(area) == Size{300, 200}; }));

    // What a window manager does when the user drags the frame.
    int width = 0, height = 0;
    gtk_window_get_size(native->Window(), &width, &height);
    gtk_window_resize(native->Window(), width + 50, height + 20);
    EXPECT_TRUE(PumpUntil([&] {
        return GetClientRect(window).Extent() == Size{350, 220};
    })) << GetClientRect(window).Width()
        << " x " << GetClientRect(window).Height();
    EXPECT_TRUE(recorder.Saw(WM_SIZE, SIZE_RESTORED));
    EXPECT_EQ(Allocation(area), (Size{350, 220}));

    gtk_window_move(native->Window(), 321, 123);
    EXPECT_TRUE(PumpUntil([&] { return GetWindowRect(window).Origin() == Point{321, 123}; }));
    EXPECT_TRUE(recorder.Saw(WM_MOVE, 0));
}

std::string LabelOf(GtkWidget* item) {
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(item));
    if (GTK_IS_BOX(child)) {
        GList* parts = gtk_container_get_children(GTK_CONTAINER(child));
        child = GTK_WIDGET(parts->data);
        g_list_free(parts);
    }
    return GTK_IS_LABEL(child) ? gtk_label_get_label(GTK_LABEL(child)) : "";
}

std::vector<GtkWidget*> ItemsOf(GtkWidget* shell) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(shell));
    std::vector<GtkWidget*> items;
    for (GList* child = children; child; child = child->next) items.push_back(GTK_WIDGET(child->data));
    g_list_free(children);
    return items;
}

TEST_F(GtkBackendTest, TheMenuBarShowsTheModelAndReportsChoices) {
    Recorder recorder;
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, {400, 300}, ViewerLikeMenu(), &recorder);
    GtkWidget* bar = Backend().NativeWindow(window)->MenuBar();
    ASSERT_TRUE(GTK_IS_MENU_BAR(bar));
    std::vector<GtkWidget*> top = ItemsOf(bar);
    ASSERT_EQ(top.size(), 3u);
    EXPECT_EQ(LabelOf(top[0]), "_Fichier");
    EXPECT_EQ(LabelOf(top[1]), "_Options");
    EXPECT_EQ(LabelOf(top[2]), "_Traitement PNG");
    std::vector<GtkWidget*> file = ItemsOf(gtk_menu_item_get_submenu(GTK_MENU_ITEM(top[0])));
    ASSERT_EQ(file.size(), 3u);
    EXPECT_EQ(LabelOf(file[0]), "_Ouvrir");
    EXPECT_TRUE(GTK_IS_SEPARATOR_MENU_ITEM(file[1]));
    EXPECT_EQ(LabelOf(file[2]), "_Quitter");
    std::vector<GtkWidget*> png = ItemsOf(gtk_menu_item_get_submenu(GTK_MENU_ITEM(top[2])));
    ASSERT_EQ(png.size(), 3u);
    ASSERT_TRUE(GTK_IS_CHECK_MENU_ITEM(png[0]));
    EXPECT_TRUE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(png[0])));
    EXPECT_FALSE(gtk_widget_get_sensitive(png[1]));
    EXPECT_EQ(LabelOf(png[2]), "Noir & blanc__2");

    // Choosing items: a plain one, one at the bar itself, the checked one (its mark is the
    // program's to change) and a disabled one (nothing comes).
    for (GtkWidget* item : {file[0], top[1], png[0], png[1]}) gtk_menu_item_activate(GTK_MENU_ITEM(item));
    EXPECT_TRUE(PumpUntil([&] { return recorder.Saw(WM_COMMAND, 4); }));
    EXPECT_TRUE(recorder.Saw(WM_COMMAND, 1));
    EXPECT_TRUE(recorder.Saw(WM_COMMAND, 3));
    EXPECT_FALSE(recorder.Saw(WM_COMMAND, 5));
    EXPECT_TRUE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(png[0])));

    // A disabled window's menu bar cannot be used.
    EnableWindow(window, false);
    EXPECT_FALSE(gtk_widget_is_sensitive(bar));
    EnableWindow(window, true);
    EXPECT_TRUE(gtk_widget_is_sensitive(bar));
}

TEST_F(GtkBackendTest, TheCloseBoxAsksTheProgramWhichDecides) {
    Recorder recorder;
    bool refuse = true;
    recorder.on = [&](HWND, std::uint32_t message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_CLOSE && refuse) return 0;
        return std::nullopt;
    };
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, {200, 100}, std::nullopt, &recorder);
    GtkWindow* native = Backend().NativeWindow(window)->Window();
    gtk_window_close(native);
    EXPECT_TRUE(PumpUntil([&] { return recorder.Saw(WM_CLOSE, 0); }));
    EXPECT_TRUE(recorder.Saw(WM_SYSCOMMAND, SC_CLOSE));
    ASSERT_TRUE(IsWindow(window));
    EXPECT_TRUE(gtk_widget_get_visible(GTK_WIDGET(Backend().NativeWindow(window)->Window())));

    refuse = false;
    gtk_window_close(Backend().NativeWindow(window)->Window());
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
    EXPECT_EQ(Backend().NativeWindow(window), nullptr);
}

std::vector<std::string> ButtonLabels(GtkDialog* dialog, std::span<const int> buttons) {
    std::vector<std::string> labels;
    for (int button : buttons) {
        GtkWidget* widget = gtk_dialog_get_widget_for_response(dialog, button);
        labels.push_back(GTK_IS_BUTTON(widget) ? gtk_button_get_label(GTK_BUTTON(widget)) : "(none)");
    }
    return labels;
}

TEST_F(GtkBackendTest, TheMessageBoxShowsItsButtonsAndAnswersWithTheOnePressed) {
    struct Case {
        std::uint32_t flags;
        std::vector<std::string> labels;
        int focused;  // the default button
        GtkMessageType type;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONHAND, {"OK"}, IDOK, GTK_MESSAGE_ERROR},
        {MB_OKCANCEL | MB_ICONASTERISK, {"OK", "Annuler"}, IDOK, GTK_MESSAGE_INFO},
        {MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION,
         {"_Abandonner", "_Retenter", "_Ignorer"},
         IDABORT,
         GTK_MESSAGE_WARNING},
        {MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2, {"_Oui", "_Non", "Annuler"}, IDNO, GTK_MESSAGE_QUESTION},
        {MB_YESNO, {"_Oui", "_Non"}, IDYES, GTK_MESSAGE_OTHER},
        {MB_RETRYCANCEL | MB_DEFBUTTON2, {"_Retenter", "Annuler"}, IDCANCEL, GTK_MESSAGE_OTHER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.labels.front());
        std::span<const int> buttons = MessageBoxButtons(c.flags);
        Then([&] {
            GtkWindow* box = TopDialog();
            ASSERT_TRUE(GTK_IS_MESSAGE_DIALOG(box));
            EXPECT_STREQ(gtk_window_get_title(box), "Légende");
            EXPECT_EQ(ButtonLabels(GTK_DIALOG(box), buttons), c.labels);
            EXPECT_EQ(gtk_window_get_focus(box), gtk_dialog_get_widget_for_response(GTK_DIALOG(box), c.focused));
            GtkMessageType type;
            g_object_get(box, "message-type", &type, nullptr);
            EXPECT_EQ(type, c.type);
            gtk_dialog_response(GTK_DIALOG(box), buttons.back());
        });
        Arm();
        EXPECT_EQ(MessageBox(0, "Le texte de la boîte", "Légende", c.flags), buttons.back());
        EXPECT_FALSE(gaveUp_);
        EXPECT_EQ(TopDialog(), nullptr);
    }
}

TEST_F(GtkBackendTest, TheCloseBoxOfAMessageBoxAnswersOnlyWhereTheBoxCanBeDismissed) {
    struct Case {
        std::uint32_t flags;
        int answer;
    };
    for (const Case& c : {Case{MB_OK, IDOK}, Case{MB_OKCANCEL, IDCANCEL}, Case{MB_YESNOCANCEL, IDCANCEL}}) {
        Then([] {});
        Then([this] { gtk_window_close(TopDialog()); });
        Arm();
        EXPECT_EQ(MessageBox(0, "Fermer ?", "Légende", c.flags), c.answer);
    }
    // A Yes/No box stays until Yes or No.
    Then([this] { gtk_window_close(TopDialog()); });
    Then([this] {
        GtkWindow* box = TopDialog();
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(gtk_widget_get_visible(GTK_WIDGET(box)));
        gtk_dialog_response(GTK_DIALOG(box), IDNO);
    });
    Arm();
    EXPECT_EQ(MessageBox(0, "Oui ou non ?", "Légende", MB_YESNO), IDNO);
    EXPECT_FALSE(gaveUp_);
}

// A folder of files for the file dialog, removed afterwards.
class Folder {
public:
    explicit Folder(std::initializer_list<const char*> names) {
        for (const char* name : names) std::fclose(std::fopen((folder_ / name).c_str(), "w"));
    }
    std::string Path() const { return folder_.Path().string(); }
    std::string operator/(const char* name) const { return (folder_ / name).string(); }

private:
    orvalis::test::TemporaryFolder folder_{"gtk"};
};

// Hooks that record what they hear and let the test act at each point.
class ScriptedHooks final : public OpenFileHooks {
public:
    std::vector<std::string> heard;
    std::function<void()> onShow;
    std::function<void(const std::string&)> onSelection;
    std::function<bool(const OpenFileResult&)> onFileOk;

    void OnShow() override {
        heard.push_back("show");
        if (onShow) onShow();
    }
    void OnTypeChange(int index) override { heard.push_back("type " + std::to_string(index)); }
    void OnFolderChange() override { heard.push_back("folder"); }
    void OnSelectionChange() override {
        std::string path = RunningOpenFileDialog()->path;
        heard.push_back("selection " + path);
        if (onSelection) onSelection(path);
    }
    bool OnFileOk(const OpenFileResult& chosen) override {
        heard.push_back("fileok");
        return onFileOk ? onFileOk(chosen) : true;
    }
    void OnClose() override { heard.push_back("close"); }

    bool Heard(const std::string& what) const { return std::find(heard.begin(), heard.end(), what) != heard.end(); }
};

GtkFileChooser* ChooserOf(GtkWindow* dialog) {
    return GTK_IS_FILE_CHOOSER(dialog) ? GTK_FILE_CHOOSER(dialog) : nullptr;
}

std::vector<GtkFileFilter*> FiltersOf(GtkFileChooser* chooser) {
    GSList* list = gtk_file_chooser_list_filters(chooser);
    std::vector<GtkFileFilter*> filters;
    for (GSList* item = list; item; item = item->next) filters.push_back(GTK_FILE_FILTER(item->data));
    g_slist_free(list);
    return filters;
}

bool FilterTakes(GtkFileFilter* filter, const std::string& name) {
    std::string path = "/plans/" + name;
    GtkFileFilterInfo info{};
    info.contains = GtkFileFilterFlags(GTK_FILE_FILTER_FILENAME | GTK_FILE_FILTER_DISPLAY_NAME);
    info.filename = path.c_str();
    info.display_name = name.c_str();
    return gtk_file_filter_filter(filter, &info);
}

TEST_F(GtkBackendTest, TheFileDialogsFiltersMatchWithoutRegardToCase) {
    OpenFileRequest request;
    request.title = "Ouverture d'une liste de vues de perspectives";
    request.filters = kViewerFilters;
    request.filterIndex = 2;
    request.flags = OFN_HIDEREADONLY | OFN_EXPLORER;
    ScriptedHooks hooks;
    hooks.onShow = [&] {
        GtkFileChooser* chooser = ChooserOf(TopDialog());
        ASSERT_NE(chooser, nullptr);
        EXPECT_STREQ(gtk_window_get_title(TopDialog()), "Ouverture d'une liste de vues de perspectives");
        std::vector<GtkFileFilter*> filters = FiltersOf(chooser);
        ASSERT_EQ(filters.size(), 2u);
        EXPECT_STREQ(gtk_file_filter_get_name(filters[0]), "Fichiers JPEG ");
        EXPECT_STREQ(gtk_file_filter_get_name(filters[1]), "Graphique Portable ");
        EXPECT_EQ(gtk_file_chooser_get_filter(chooser), filters[1]);
        for (const char* name : {"vue1.jpg", "VUE2.JPG", "X.jpeg", "PLAN.JPEG", "photo.Jpeg", "planJPEG"})
            EXPECT_TRUE(FilterTakes(filters[0], name)) << name;
        for (const char* name : {"notes.txt", "image.png", "jpeg.txt", "vue1.jpg.bak"})
            EXPECT_FALSE(FilterTakes(filters[0], name)) << name;
        EXPECT_TRUE(FilterTakes(filters[1], "image.PNG"));
        EXPECT_FALSE(FilterTakes(filters[1], "X.jpeg"));
        EXPECT_FALSE(gtk_file_chooser_get_select_multiple(chooser));
        EXPECT_EQ(gtk_file_chooser_get_extra_widget(chooser), nullptr);  // no read-only box
        Then([this] { gtk_dialog_response(GTK_DIALOG(TopDialog()), GTK_RESPONSE_CANCEL); });
    };
    OpenFileResult result;
    Arm();
    EXPECT_FALSE(GetOpenFileName(request, &hooks, result));
    EXPECT_FALSE(gaveUp_);
    // The chooser may report selecting its folder while it loads; nothing else may come.
    std::erase_if(hooks.heard, [](const std::string& h) { return h.starts_with("selection "); });
    EXPECT_EQ(hooks.heard, (std::vector<std::string>{"show", "close"}));
}

TEST_F(GtkBackendTest, AnotherFilterAndAFileChosenInTheDialogAreTheResult) {
    Folder folder{"vue1.jpg", "image.png", "notes.txt"};
    OpenFileRequest request;
    request.filters = kViewerFilters;
    request.initialDir = folder.Path();
    request.flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_FILEMUSTEXIST;
    ScriptedHooks hooks;
    std::string chosen = folder / "image.png";
    hooks.onShow = [&] {
        GtkFileChooser* chooser = ChooserOf(TopDialog());
        ASSERT_NE(chooser, nullptr);
        EXPECT_STREQ(gtk_window_get_title(TopDialog()), "Ouvrir");  // the platform's own
        gtk_file_chooser_set_filter(chooser, FiltersOf(chooser)[1]);
        gtk_file_chooser_select_filename(chooser, chosen.c_str());
    };
    hooks.onSelection = [&](const std::string& path) {
        if (path == chosen) gtk_dialog_response(GTK_DIALOG(TopDialog()), GTK_RESPONSE_ACCEPT);
    };
    OpenFileResult result;
    Arm();
    ASSERT_TRUE(GetOpenFileName(request, &hooks, result));
    EXPECT_EQ(result.fileBuffer, chosen);
    EXPECT_EQ(result.filterIndex, 2);
    EXPECT_TRUE(hooks.Heard("type 2"));
    EXPECT_TRUE(hooks.Heard("selection " + chosen));
    EXPECT_EQ(hooks.heard.back(), "close");
    EXPECT_EQ(hooks.heard[hooks.heard.size() - 2], "fileok");
    EXPECT_EQ(TopDialog(), nullptr);
}

TEST_F(GtkBackendTest, ThePreFilledFileIsSelectedInItsFolder) {
    Folder folder{"vue1.jpg", "vue2.jpg"};
    OpenFileRequest request;
    request.filters = kViewerFilters;
    request.fileName = folder / "vue2.jpg";
    request.flags = OFN_HIDEREADONLY | OFN_EXPLORER;
    ScriptedHooks hooks;
    hooks.onShow = [&] {
        WhenReady([&] {
            gchar* selected = gtk_file_chooser_get_filename(ChooserOf(TopDialog()));
            bool there = selected && folder / "vue2.jpg" == selected;
            g_free(selected);
            if (there) gtk_dialog_response(GTK_DIALOG(TopDialog()), GTK_RESPONSE_ACCEPT);
            return there;
        });
    };
    OpenFileResult result;
    Arm();
    ASSERT_TRUE(GetOpenFileName(request, &hooks, result));
    EXPECT_EQ(result.fileBuffer, folder / "vue2.jpg");
}

TEST_F(GtkBackendTest, SeveralFilesComeAsTheFolderAndTheirNamesAndARefusalKeepsTheDialogOpen) {
    Folder folder{"a.png", "b.png", "c.png"};
    OpenFileRequest request;
    request.filters = kViewerFilters;
    request.filterIndex = 2;
    request.initialDir = folder.Path();
    request.flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ALLOWMULTISELECT;
    request.bufferSize = kMultiSelectFileBufferSize;
    ScriptedHooks hooks;
    hooks.onShow = [&] {
        GtkFileChooser* chooser = ChooserOf(TopDialog());
        ASSERT_NE(chooser, nullptr);
        EXPECT_TRUE(gtk_file_chooser_get_select_multiple(chooser));
        // Every file of the folder, once GTK has loaded it (it then selects the first).
        WhenReady([this, &hooks] {
            if (hooks.heard.size() < 2) return false;
            GtkFileChooser* shown = ChooserOf(TopDialog());
            gtk_file_chooser_select_all(shown);
            GSList* files = gtk_file_chooser_get_filenames(shown);
            bool all = g_slist_length(files) == 3;
            g_slist_free_full(files, g_free);
            if (all) gtk_dialog_response(GTK_DIALOG(TopDialog()), GTK_RESPONSE_ACCEPT);
            return all;
        });
    };
    int offered = 0;
    hooks.onFileOk = [&](const OpenFileResult&) {
        if (++offered > 1) return true;
        // The first time the program says no: the dialog stays, and the user confirms again.
        Then([this] {
            ASSERT_NE(ChooserOf(TopDialog()), nullptr);
            EXPECT_TRUE(gtk_widget_get_visible(GTK_WIDGET(TopDialog())));
            gtk_dialog_response(GTK_DIALOG(TopDialog()), GTK_RESPONSE_ACCEPT);
        });
        return false;
    };
    OpenFileResult result;
    Arm();
    ASSERT_TRUE(GetOpenFileName(request, &hooks, result)) << testing::PrintToString(hooks.heard);
    EXPECT_EQ(offered, 2);
    EXPECT_EQ(result.fileBuffer, folder.Path() + std::string("\0a.png\0b.png\0c.png\0", 19));
}

TEST_F(GtkBackendTest, AChosenFileThatIsGoneIsRefusedAboveTheDialog) {
    Folder folder{"vue1.jpg"};
    OpenFileRequest request;
    request.filters = kViewerFilters;
    request.initialDir = folder.Path();
    request.flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_FILEMUSTEXIST;
    ScriptedHooks hooks;
    std::string chosen = folder / "vue1.jpg";
    hooks.onShow = [&] { gtk_file_chooser_select_filename(ChooserOf(TopDialog()), chosen.c_str()); };
    hooks.onSelection = [&](const std::string& path) {
        if (path != chosen) return;
        std::filesystem::remove(chosen);
        GtkWindow* chooser = TopDialog();
        gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
        Then([this, chooser] {
            ASSERT_EQ(Backend().Dialogs().size(), 2u);
            GtkWindow* refusal = TopDialog();
            ASSERT_TRUE(GTK_IS_MESSAGE_DIALOG(refusal));
            gchar* text = nullptr;
            g_object_get(refusal, "text", &text, nullptr);
            EXPECT_NE(std::string(text).find("vue1.jpg\nFichier introuvable."), std::string::npos) << text;
            g_free(text);
            gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_CANCEL);
        });
    };
    OpenFileResult result;
    Arm();
    EXPECT_FALSE(GetOpenFileName(request, &hooks, result));
    EXPECT_FALSE(gaveUp_);
    EXPECT_FALSE(hooks.Heard("fileok"));
    EXPECT_TRUE(Backend().Dialogs().empty());
}

TEST_F(GtkBackendTest, TheClipboardHoldsText) {
    EXPECT_TRUE(SetClipboardText("Élan vital — vue n° 3"));
    EXPECT_EQ(GetClipboardText(), "Élan vital — vue n° 3");
}

TEST_F(GtkBackendTest, TheScreenIsTheDisplays) {
    ScreenMetrics screen = GetScreenMetrics();
    EXPECT_EQ(screen.width, 1280);
    EXPECT_EQ(screen.height, 1024);
    EXPECT_EQ(screen.bitsPerPixel, 32);
    EXPECT_EQ(screen.planes, 1);
    EXPECT_EQ(screen.pixelsPerInch, 96);
}

TEST_F(GtkBackendTest, TheApplicationIconIsEveryWindowsIcon) {
    std::optional<std::span<const std::uint8_t>> icon = FindResource(ResourceType::Icon, "MAINICON");
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(gtk::IconGroupImages(*icon).size(), 2u);
    GList* icons = gtk_window_get_default_icon_list();
    std::vector<int> widths;
    for (GList* item = icons; item; item = item->next) widths.push_back(gdk_pixbuf_get_width(GDK_PIXBUF(item->data)));
    g_list_free(icons);
    EXPECT_EQ(widths, (std::vector<int>{48, 16}));
}

TEST_F(GtkBackendTest, WaitingEndsAtTheDeadline) {
    std::uint64_t deadline = Backend().Now() + 30;
    int neverReadable[2];
    ASSERT_EQ(pipe(neverReadable), 0);
    while (Backend().Now() < deadline) Backend().WaitForEvents(deadline, neverReadable[0]);
    EXPECT_GE(Backend().Now(), deadline);
    close(neverReadable[0]);
    close(neverReadable[1]);
}

// Left alone, the wait blocks: with a window shown and nothing happening, it returns
// only for a reason (here, the deadline), not again and again.
TEST_F(GtkBackendTest, AWaitWithNothingToDoBlocksUntilItsDeadline) {
    Recorder recorder;
    HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, {200, 100}, ViewerLikeMenu(), &recorder);
    int neverReadable[2];
    ASSERT_EQ(pipe(neverReadable), 0);
    // What showing the window brings (mapping, exposure, focus) is handled first.
    Message message;
    const std::uint64_t settled = Backend().Now() + 1000;
    while (Backend().Now() < settled) {
        while (PeekMessage(message, PM_REMOVE)) DispatchMessage(message);
        Backend().WaitForEvents(settled, neverReadable[0]);
    }
    const std::uint64_t deadline = Backend().Now() + 500;
    int returns = 0;
    while (Backend().Now() < deadline) {
        Backend().WaitForEvents(deadline, neverReadable[0]);
        ++returns;
        while (PeekMessage(message, PM_REMOVE)) DispatchMessage(message);
    }
    EXPECT_LE(returns, 5) << "the wait kept returning with nothing to do";
    close(neverReadable[0]);
    close(neverReadable[1]);
    DestroyWindow(window);
}

// The blocking wait still wakes for what it waits for: a post from another thread, and
// a timer (each woke it: the message it brings is the first one there).
TEST_F(GtkBackendTest, AWaitWakesForAPostFromAnotherThreadAndForATimer) {
    Recorder recorder;
    CreateWindowParams params;
    params.className = "GtkBackendTest";
    params.procedure = &recorder;
    HWND target = CreateWindow(params);
    Message message;
    while (PeekMessage(message, PM_REMOVE)) DispatchMessage(message);

    const std::uint64_t postStart = Backend().Now();
    std::thread poster([target] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        PostMessage(target, WM_USER + 1, 7, 0);
    });
    WaitMessage();
    ASSERT_TRUE(PeekMessage(message, PM_REMOVE));
    poster.join();
    EXPECT_EQ(message.message, WM_USER + 1u);
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_LT(Backend().Now() - postStart, 5000u) << "the post woke the wait";

    const std::uint64_t timerStart = Backend().Now();
    SetTimer(target, 9, 50);
    WaitMessage();
    ASSERT_TRUE(PeekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_TIMER);
    EXPECT_EQ(message.wParam, 9u);
    EXPECT_GE(Backend().Now() - timerStart, 50u);
    EXPECT_LT(Backend().Now() - timerStart, 5000u) << "the timer woke the wait";
    KillTimer(target, 9);
    DestroyWindow(target);
}

}  // namespace

#include "platform/gtk/GtkBackend.h"

#include <gtk/gtk.h>
#include <poll.h>

#include <algorithm>
#include <utility>

#include "platform/NativeInput.h"
#include "platform/Window.h"
#include "platform/gtk/AccessibleSurfaceArea.h"
#include "platform/gtk/FileOpenChooser.h"
#include "platform/gtk/MessageBoxDialog.h"
#include "platform/gtk/Presenting.h"
#include "platform/gtk/TopLevelWindow.h"
#include "platform/gtk/ValidUtf8.h"

namespace orvalis::platform::gtk {

namespace {

// How long the focus may take to reach the window the platform activated; focus changes
// seen meanwhile are older ones that the platform's decision overtook.
constexpr std::uint64_t kActivationSettleMilliseconds = 1000;
// The events handled in one wait at most, so that a source that is always ready cannot
// keep the program from its own messages.
constexpr int kEventsPerWait = 200;

bool IsReadable(int fd) {
    pollfd wake{fd, POLLIN, 0};
    return poll(&wake, 1, 0) > 0;
}

}  // namespace

GtkBackend::GtkBackend() = default;

GtkBackend::~GtkBackend() {
    choosers_.clear();
    boxes_.clear();
    windows_.clear();
    // What the program put on the clipboard outlives it when a clipboard manager runs.
    gtk_clipboard_store(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
}

const TopLevelWindow* GtkBackend::NativeWindow(HWND window) const { return Find(window); }

TopLevelWindow* GtkBackend::Find(HWND window) const {
    auto found = windows_.find(window);
    return found == windows_.end() ? nullptr : found->second.get();
}

void GtkBackend::WindowFocused(const TopLevelWindow& window) {
    if (window.Handle() == active_) {
        activationAskedAt_.reset();
        // The user came back to a window that the platform keeps disabled under a dialog.
        if (!dialogs_.empty() && !IsWindowEnabled(window.Handle())) refocus_ = true;
        return;
    }
    if (activationAskedAt_ && Now() - *activationAskedAt_ < kActivationSettleMilliseconds) return;
    activationAskedAt_.reset();
    native::WindowActivated(window.Handle());
}

GtkWindow* GtkBackend::DialogParent(HWND owner) const {
    if (!dialogs_.empty()) return dialogs_.back();
    if (TopLevelWindow* window = Find(owner ? GetTopLevelWindow(owner) : 0);
        window && gtk_widget_get_visible(GTK_WIDGET(window->Window())))
        return window->Window();
    TopLevelWindow* active = Find(active_);
    return active ? active->Window() : nullptr;
}

void GtkBackend::DialogShown(GtkWindow* dialog) {
    dialogs_.push_back(dialog);
    PresentNow(dialog);
}

void GtkBackend::DialogClosing(GtkWindow* dialog) {
    // A box that stands above the dialog goes with it.
    auto goes = [dialog](GtkWindow* shown) { return shown == dialog || gtk_window_get_transient_for(shown) == dialog; };
    if (std::erase_if(dialogs_, goes) != 0) refocus_ = true;
}

void GtkBackend::RefocusIfAsked() {
    if (!std::exchange(refocus_, false)) return;
    if (!dialogs_.empty()) {
        PresentNow(dialogs_.back());
    } else if (TopLevelWindow* active = Find(active_)) {
        active->Present();
    }
}

void GtkBackend::FinishBatch() {
    std::uint64_t now = Now();
    for (auto& [handle, window] : windows_) window->ReportUserGeometry(now);
    RefocusIfAsked();
}

void GtkBackend::CreateNativeWindow(HWND window, const NativeWindowState& state) {
    auto native = std::make_unique<TopLevelWindow>(*this, window, state);
    native->SetOwner(Find(state.owner));
    windows_[window] = std::move(native);
}

void GtkBackend::DestroyNativeWindow(HWND window) {
    if (window == active_) active_ = 0;
    windows_.erase(window);
}

void GtkBackend::ShowNativeWindow(HWND window, bool visible) {
    if (TopLevelWindow* native = Find(window)) native->Show(visible);
    if (!visible && window == active_) active_ = 0;
}

void GtkBackend::SetNativeTitle(HWND window, std::string_view title) {
    if (TopLevelWindow* native = Find(window)) native->SetTitle(title);
}

void GtkBackend::SetNativeGeometry(HWND window, const Rect& outerBounds, Size clientSize) {
    if (TopLevelWindow* native = Find(window)) native->SetGeometry(outerBounds, clientSize);
}

void GtkBackend::SetNativeMenu(HWND window, const MenuBar* menu) {
    if (TopLevelWindow* native = Find(window)) native->SetMenu(menu);
}

int GtkBackend::MenuBarWidth(const MenuBar& menu) { return MeasureMenuBar(menu); }

void GtkBackend::EnableNativeWindow(HWND window, bool enabled) {
    if (TopLevelWindow* native = Find(window)) native->Enable(enabled);
}

void GtkBackend::MinimizeNativeWindow(HWND window, bool minimized) {
    if (TopLevelWindow* native = Find(window)) native->Minimize(minimized);
}

void GtkBackend::SetNativeOwner(HWND window, HWND owner) {
    if (TopLevelWindow* native = Find(window)) native->SetOwner(Find(owner));
}

void GtkBackend::ActivateNativeWindow(HWND window) {
    active_ = window;
    activationAskedAt_ = Now();
    TopLevelWindow* native = Find(window);
    if (!native) return;
    // A window disabled under a dialog leaves the keyboard to the dialog.
    if (!dialogs_.empty() && !IsWindowEnabled(window))
        PresentNow(dialogs_.back());
    else
        native->Present();
}

void GtkBackend::PresentSurface(HWND window, cairo_surface_t*, const Rect& area) {
    if (TopLevelWindow* native = Find(window)) native->Invalidate(area);
}

std::uint64_t GtkBackend::Now() { return static_cast<std::uint64_t>(g_get_monotonic_time() / 1000); }

void GtkBackend::WaitForEvents(std::optional<std::uint64_t> deadline, int wakeFd) {
    // One reading of the clock: read twice, a deadline passed in between would make the
    // wait's limit wrap round to weeks.
    const std::uint64_t now = Now();
    if (!IsReadable(wakeFd) && !(deadline && *deadline <= now)) {
        std::optional<std::uint64_t> limit;
        if (deadline) limit = *deadline - now;
        wait_.Wait(wakeFd, limit);
    }
    PollEvents();
}

void GtkBackend::PollEvents() {
    // What is ready, in order, so that a batch of events is seen whole.
    GMainContext* context = g_main_context_default();
    for (int i = 0; i < kEventsPerWait && g_main_context_iteration(context, FALSE); ++i) {
    }
    FinishBatch();
}

void GtkBackend::ShowMessageBox(int dialog, const MessageBoxRequest& request) {
    auto box = std::make_unique<MessageBoxDialog>(dialog, request, DialogParent(request.owner));
    DialogShown(box->Window());
    boxes_[dialog] = std::move(box);
}

void GtkBackend::CloseMessageBox(int dialog) {
    auto found = boxes_.find(dialog);
    if (found == boxes_.end()) return;
    std::unique_ptr<MessageBoxDialog> box = std::move(found->second);
    boxes_.erase(found);
    // The keyboard moves on before the box goes, so that it never falls to the desktop.
    DialogClosing(box->Window());
    RefocusIfAsked();
}

void GtkBackend::ShowOpenFileDialog(int dialog, const OpenFileRequest& request, const FileDialogState& initial) {
    auto chooser = std::make_unique<FileOpenChooser>(*this, dialog, request, initial, DialogParent(request.owner));
    DialogShown(chooser->Window());
    choosers_[dialog] = std::move(chooser);
}

void GtkBackend::RefuseOpenFileChoice(int dialog, const FileDialogRefusal& refusal) {
    auto found = choosers_.find(dialog);
    if (found != choosers_.end()) found->second->Refuse(refusal);
}

void GtkBackend::CloseOpenFileDialog(int dialog) {
    auto found = choosers_.find(dialog);
    if (found == choosers_.end()) return;
    std::unique_ptr<FileOpenChooser> chooser = std::move(found->second);
    choosers_.erase(found);
    DialogClosing(chooser->Window());
    RefocusIfAsked();
}

void GtkBackend::SetAccessibleTree(HWND window, const AccessibleElement& root) {
    if (TopLevelWindow* native = Find(window)) SetAccessibleDescription(native->DrawingArea(), root);
}

void GtkBackend::Beep() { gdk_display_beep(gdk_display_get_default()); }

bool GtkBackend::SetClipboardText(std::string_view text) {
    std::string valid = ValidUtf8(text);
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), valid.data(), static_cast<gint>(valid.size()));
    return true;
}

std::optional<std::string> GtkBackend::GetClipboardText() {
    gchar* text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    if (!text) return std::nullopt;
    std::string result(text);
    g_free(text);
    return result;
}

ScreenMetrics GtkBackend::Screen() {
    ScreenMetrics metrics;
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor && gdk_display_get_n_monitors(display) > 0) monitor = gdk_display_get_monitor(display, 0);
    if (monitor) {
        GdkRectangle area;
        gdk_monitor_get_geometry(monitor, &area);
        metrics.width = area.width;
        metrics.height = area.height;
        metrics.deviceScale = gdk_monitor_get_scale_factor(monitor);
    }
    // A true-colour screen, at the resolution the framework's font sizes assume.
    metrics.bitsPerPixel = 32;
    metrics.planes = 1;
    metrics.pixelsPerInch = 96;
    return metrics;
}

}  // namespace orvalis::platform::gtk

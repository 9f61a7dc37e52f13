#pragma once
// The desktop backend on GTK 3. Each top-level platform window that is shown becomes a
// TopLevelWindow; the message box and the file-open dialog are GTK dialogs shown without
// a blocking run of their own (the platform's modal loop pumps while they are up); the
// clock is GLib's monotonic one, and waiting blocks in the default GLib main context's
// poll until native events came, the next timer is due or the platform's wake-up
// descriptor is readable (MainContextWait.h). GTK must be initialised first (GtkStartup.h does both).
//
// Activation is the platform's: the backend raises and focuses the window the platform
// activates, and reports only a window that the user (or a window manager) brought
// forward on their own. The GTK dialogs never count as platform windows, so opening and
// closing them changes nothing in the platform's activation.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Backend.h"
#include "platform/gtk/GtkControlTheme.h"
#include "platform/gtk/KeyboardReports.h"
#include "platform/gtk/MainContextWait.h"

typedef struct _GtkWindow GtkWindow;

namespace orvalis::platform::gtk {

class TopLevelWindow;
class MessageBoxDialog;
class FileOpenChooser;

class GtkBackend final : public Backend {
public:
    GtkBackend();
    ~GtkBackend() override;
    GtkBackend(const GtkBackend&) = delete;
    GtkBackend& operator=(const GtkBackend&) = delete;

    // What the tests of the backend look at: the native window of a platform window
    // (null when none), and the GTK dialogs shown, bottom first.
    const TopLevelWindow* NativeWindow(HWND window) const;
    const std::vector<GtkWindow*>& Dialogs() const { return dialogs_; }

    // For the windows and dialogs.
    KeyboardReports& Keys() { return keys_; }
    // A window of ours received the keyboard focus.
    void WindowFocused(const TopLevelWindow& window);
    // The window a dialog of this owner stands above: the owner's top-level window, else
    // the window the platform activated last.
    GtkWindow* DialogParent(HWND owner) const;
    // A dialog appeared (it gets the keyboard) or is about to go (the keyboard goes back to
    // the dialog below it, else to the platform's active window, once the events at hand
    // are handled).
    void DialogShown(GtkWindow* dialog);
    void DialogClosing(GtkWindow* dialog);

    // Backend
    void CreateNativeWindow(HWND window, const NativeWindowState& state) override;
    void DestroyNativeWindow(HWND window) override;
    void ShowNativeWindow(HWND window, bool visible) override;
    void SetNativeTitle(HWND window, std::string_view title) override;
    void SetNativeGeometry(HWND window, const Rect& outerBounds, Size clientSize) override;
    void SetNativeMenu(HWND window, const MenuBar* menu) override;
    void EnableNativeWindow(HWND window, bool enabled) override;
    void MinimizeNativeWindow(HWND window, bool minimized) override;
    void ActivateNativeWindow(HWND window) override;
    void SetNativeOwner(HWND window, HWND owner) override;
    int MenuBarWidth(const MenuBar& menu) override;
    void PresentSurface(HWND window, cairo_surface_t* surface, const Rect& area) override;
    std::uint64_t Now() override;
    void WaitForEvents(std::optional<std::uint64_t> deadline, int wakeFd) override;
    void PollEvents() override;
    void ShowMessageBox(int dialog, const MessageBoxRequest& request) override;
    void CloseMessageBox(int dialog) override;
    void ShowOpenFileDialog(int dialog, const OpenFileRequest& request, const FileDialogState& initial) override;
    void RefuseOpenFileChoice(int dialog, const FileDialogRefusal& refusal) override;
    void CloseOpenFileDialog(int dialog) override;
    void Beep() override;
    // Every shown window is described to assistive tools, through its drawing area.
    bool DescribesWindows() override { return true; }
    void SetAccessibleTree(HWND window, const AccessibleElement& root) override;
    bool SetClipboardText(std::string_view text) override;
    std::optional<std::string> GetClipboardText() override;
    ScreenMetrics Screen() override;
    const ControlTheme* Theme() const override { return &theme_; }

private:
    TopLevelWindow* Find(HWND window) const;
    // Gives the keyboard to the top dialog, else to the platform's active window, when
    // something asked for it.
    void RefocusIfAsked();
    // After a batch of events: what the user did to the windows' geometry, and the focus.
    void FinishBatch();

    std::map<HWND, std::unique_ptr<TopLevelWindow>> windows_;
    std::map<int, std::unique_ptr<MessageBoxDialog>> boxes_;
    std::map<int, std::unique_ptr<FileOpenChooser>> choosers_;
    std::vector<GtkWindow*> dialogs_;  // shown, bottom first
    KeyboardReports keys_;
    MainContextWait wait_;
    GtkControlTheme theme_;
    HWND active_ = 0;                                 // the window the platform activated last
    std::optional<std::uint64_t> activationAskedAt_;  // its focus has not come yet
    bool refocus_ = false;
};

}  // namespace orvalis::platform::gtk

#pragma once
// The native window of a top-level platform window: a GtkWindow holding the optional menu
// bar above a drawing area of exactly the client size, which shows the window's surface.
// Its GTK signals only report to the platform (NativeInput.h); the geometry the user gave
// it is compared with what the platform asked for once a batch of events is handled.

#include <gtk/gtk.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/Backend.h"
#include "platform/gtk/MenuBarWidget.h"

namespace orvalis::platform::gtk {

class GtkBackend;

class TopLevelWindow {
public:
    TopLevelWindow(GtkBackend& backend, HWND handle, const NativeWindowState& state);
    ~TopLevelWindow();
    TopLevelWindow(const TopLevelWindow&) = delete;
    TopLevelWindow& operator=(const TopLevelWindow&) = delete;

    HWND Handle() const { return handle_; }
    GtkWindow* Window() const { return GTK_WINDOW(window_); }
    GtkWidget* DrawingArea() const { return area_; }
    // Null when the window has no menu bar.
    GtkWidget* MenuBar() const { return menu_ ? menu_->Widget() : nullptr; }

    void Show(bool visible);
    void SetTitle(std::string_view title);
    // Outer bounds (the position is the window frame's) and the exact client size, within
    // the work area (ApplySize).
    void SetGeometry(const Rect& outerBounds, Size clientSize);
    void SetMenu(const orvalis::platform::MenuBar* menu);
    void Enable(bool enabled);
    void Minimize(bool minimized);
    // The window it belongs to (null: none). An owned window is its owner's dialog: the
    // window manager keeps it over the owner (floating under a tiling one) and offers no
    // minimise or maximise.
    void SetOwner(const TopLevelWindow* owner);
    // Raises the window and gives it the keyboard.
    void Present();
    void Invalidate(const Rect& area);
    // Reports the size and position that the user (or a window manager) gave the window
    // since the last call, when they differ from what the platform knows.
    void ReportUserGeometry(std::uint64_t now);

private:
    int MenuBarHeight() const;
    // Gives the window the client size the platform asked for, within the work area: a
    // larger one is bounded, and the platform told the size the window has.
    void ApplySize();
    // What the window adds around its client area, in units.
    Size AroundClientArea() const;

    static gboolean OnDraw(GtkWidget* area, cairo_t* cr, gpointer self);
    static gboolean OnKey(GtkWidget* window, GdkEventKey* event, gpointer self);
    static gboolean OnButton(GtkWidget* area, GdkEventButton* event, gpointer self);
    static gboolean OnMotion(GtkWidget* area, GdkEventMotion* event, gpointer self);
    static gboolean OnDelete(GtkWidget* window, GdkEvent* event, gpointer self);
    static gboolean OnFocusIn(GtkWidget* window, GdkEventFocus* event, gpointer self);
    static gboolean OnFocusOut(GtkWidget* window, GdkEventFocus* event, gpointer self);
    static void OnGrabNotify(GtkWidget* area, gboolean wasGrabbed, gpointer self);
    static void OnSizeAllocate(GtkWidget* area, GdkRectangle* allocation, gpointer self);
    static gboolean OnConfigure(GtkWidget* window, GdkEventConfigure* event, gpointer self);
    // The window's scale factor (device pixels per unit) is known or changed.
    static void OnScaleFactor(GtkWidget* window, GParamSpec*, gpointer self);
    // The window manager's functions, told once the window has its GDK window.
    static void OnRealize(GtkWidget* window, gpointer self);

    GtkBackend& backend_;
    HWND handle_;
    GtkWidget* window_;
    GtkWidget* box_;
    GtkWidget* menuHolder_ = nullptr;  // a frame for the menu bar that lets it be narrower than its items
    GtkWidget* area_;
    std::unique_ptr<MenuBarWidget> menu_;
    bool resizable_;
    bool owned_ = false;
    bool enabled_;
    Size client_;                               // as the platform knows it
    Point position_;                            // the frame's, as the platform knows it
    std::optional<std::uint64_t> moveAskedAt_;  // a move asked for and not seen yet
    bool sizeChanged_ = false;
    bool configured_ = false;
    int scale_ = 1;  // as reported to the platform
};

}  // namespace orvalis::platform::gtk

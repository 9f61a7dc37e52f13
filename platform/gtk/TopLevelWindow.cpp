#include "platform/gtk/TopLevelWindow.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/NativeInput.h"
#include "platform/Painting.h"
#include "platform/Window.h"
#include "platform/gtk/AccessibleSurfaceArea.h"
#include "platform/gtk/AccessibleTopLevel.h"
#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/KeyTranslation.h"
#include "platform/gtk/Presenting.h"
#include "platform/gtk/ValidUtf8.h"
#include "platform/gtk/WorkArea.h"

namespace orvalis::platform::gtk {

namespace {

// How long a move asked of the window manager may take before the position seen is
// taken for the user's own.
constexpr std::uint64_t kMoveSettleMilliseconds = 1000;

TopLevelWindow& Self(gpointer self) { return *static_cast<TopLevelWindow*>(self); }

std::optional<native::MouseButton> ButtonOf(guint button) {
    switch (button) {
        case 1: return native::MouseButton::Left;
        case 2: return native::MouseButton::Middle;
        case 3: return native::MouseButton::Right;
        default: return std::nullopt;
    }
}

Point ClientPoint(double x, double y) { return {static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y))}; }

// GDK follows the second press of a double click with a double-click event of its own;
// the platform wants that press once, as the double click.
bool DoubleClickFollows(const GdkEventButton& press) {
    GdkEvent* next = gdk_event_peek();
    if (!next) return false;
    bool follows =
        next->type == GDK_2BUTTON_PRESS && next->button.window == press.window && next->button.button == press.button;
    gdk_event_free(next);
    return follows;
}

// A size GTK can give: windows are never empty, so a client area of 0 shows as 1.
bool SameClientSize(Size allocated, Size known) {
    auto same = [](int got, int want) { return got == want || (want <= 0 && got <= 1); };
    return same(allocated.width, known.width) && same(allocated.height, known.height);
}

}  // namespace

TopLevelWindow::TopLevelWindow(GtkBackend& backend, HWND handle, const NativeWindowState& state)
    : backend_(backend),
      handle_(handle),
      window_(NewAccessibleTopLevel()),
      box_(gtk_box_new(GTK_ORIENTATION_VERTICAL, 0)),
      area_(NewAccessibleSurfaceArea(handle)),
      resizable_((state.style & WS_THICKFRAME) != 0),
      enabled_(state.enabled),
      client_(state.clientSize),
      position_(state.outerBounds.Origin()) {
    gtk_widget_add_events(area_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK);
    gtk_box_pack_end(GTK_BOX(box_), area_, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(window_), box_);
    gtk_widget_show_all(box_);

    g_signal_connect(area_, "draw", G_CALLBACK(OnDraw), this);
    g_signal_connect(area_, "button-press-event", G_CALLBACK(OnButton), this);
    g_signal_connect(area_, "button-release-event", G_CALLBACK(OnButton), this);
    g_signal_connect(area_, "motion-notify-event", G_CALLBACK(OnMotion), this);
    g_signal_connect(area_, "grab-notify", G_CALLBACK(OnGrabNotify), this);
    g_signal_connect(area_, "size-allocate", G_CALLBACK(OnSizeAllocate), this);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKey), this);
    g_signal_connect(window_, "key-release-event", G_CALLBACK(OnKey), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(window_, "focus-in-event", G_CALLBACK(OnFocusIn), this);
    g_signal_connect(window_, "focus-out-event", G_CALLBACK(OnFocusOut), this);
    g_signal_connect(window_, "configure-event", G_CALLBACK(OnConfigure), this);
    g_signal_connect(window_, "notify::scale-factor", G_CALLBACK(OnScaleFactor), this);
    g_signal_connect(window_, "realize", G_CALLBACK(OnRealize), this);
    OnScaleFactor(window_, nullptr, this);

    SetTitle(state.title);
    gtk_window_set_decorated(Window(), (state.style & WS_CAPTION) == WS_CAPTION);
    gtk_window_set_resizable(Window(), resizable_);
    SetMenu(state.menu);  // sizes the window
    gtk_window_move(Window(), position_.x, position_.y);
    if (state.minimized) gtk_window_iconify(Window());
}

TopLevelWindow::~TopLevelWindow() { gtk_widget_destroy(window_); }

void TopLevelWindow::Show(bool visible) {
    if (visible)
        gtk_widget_show(window_);
    else
        gtk_widget_hide(window_);
}

void TopLevelWindow::SetTitle(std::string_view title) { gtk_window_set_title(Window(), ValidUtf8(title).c_str()); }

void TopLevelWindow::SetGeometry(const Rect& outerBounds, Size clientSize) {
    if (outerBounds.Origin() != position_) {
        position_ = outerBounds.Origin();
        moveAskedAt_ = backend_.Now();
        gtk_window_move(Window(), position_.x, position_.y);
    }
    // After the move: a window bounded by the work area is moved to its edge.
    client_ = clientSize;
    ApplySize();
}

void TopLevelWindow::SetMenu(const orvalis::platform::MenuBar* menu) {
    if (menuHolder_) gtk_widget_destroy(menuHolder_);
    menuHolder_ = nullptr;
    menu_.reset();
    if (menu) {
        menu_ =
            std::make_unique<MenuBarWidget>(*menu, [this](std::uint32_t id) { native::MenuItemChosen(handle_, id); });
        // The bar keeps its natural height. Its holder asks for exactly the width that the
        // platform measured for the bar (the window's client area is never narrower), not
        // GTK's own minimum, so that the drawing area keeps exactly the client size.
        menuHolder_ = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_widget_set_size_request(menuHolder_, menu_->NaturalWidth(), -1);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(menuHolder_), GTK_POLICY_EXTERNAL, GTK_POLICY_NEVER);
        gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(menuHolder_), GTK_SHADOW_NONE);
        gtk_container_add(GTK_CONTAINER(menuHolder_), menu_->Widget());
        if (GtkWidget* viewport = gtk_bin_get_child(GTK_BIN(menuHolder_)); GTK_IS_VIEWPORT(viewport))
            gtk_viewport_set_shadow_type(GTK_VIEWPORT(viewport), GTK_SHADOW_NONE);
        gtk_box_pack_start(GTK_BOX(box_), menuHolder_, FALSE, FALSE, 0);
        gtk_widget_set_sensitive(menuHolder_, enabled_);
        gtk_widget_show_all(menuHolder_);
    }
    ApplySize();
}

void TopLevelWindow::Enable(bool enabled) {
    enabled_ = enabled;
    if (menuHolder_) gtk_widget_set_sensitive(menuHolder_, enabled);
}

void TopLevelWindow::Minimize(bool minimized) {
    if (minimized)
        gtk_window_iconify(Window());
    else
        gtk_window_deiconify(Window());
}

void TopLevelWindow::SetOwner(const TopLevelWindow* owner) {
    owned_ = owner != nullptr;
    gtk_window_set_transient_for(Window(), owner ? owner->Window() : nullptr);
    gtk_window_set_type_hint(Window(), owned_ ? GDK_WINDOW_TYPE_HINT_DIALOG : GDK_WINDOW_TYPE_HINT_NORMAL);
    if (gtk_widget_get_realized(window_)) OnRealize(window_, this);
}

void TopLevelWindow::Present() {
    if (gtk_widget_get_visible(window_)) PresentNow(Window());
}

void TopLevelWindow::Invalidate(const Rect& area) {
    gtk_widget_queue_draw_area(area_, area.left, area.top, area.Width(), area.Height());
}

int TopLevelWindow::MenuBarHeight() const {
    if (!menuHolder_) return 0;
    int minimum = 0, natural = 0;
    gtk_widget_get_preferred_height(menuHolder_, &minimum, &natural);
    return natural;
}

void TopLevelWindow::ApplySize() {
    const Size asked{std::max(client_.width, 0), std::max(client_.height, 0)};
    // Measured with the client area at the size asked for, so that GTK's own title bar
    // counts at that width.
    gtk_widget_set_size_request(area_, asked.width, asked.height);
    const GdkRectangle area = WorkAreaOf(Window());
    const Size around = AroundClientArea();
    const Size largest{area.width - around.width, area.height - around.height};
    const bool narrowed = largest.width > 0 && asked.width > largest.width;
    const bool lowered = largest.height > 0 && asked.height > largest.height;
    const Size shown{narrowed ? largest.width : asked.width, lowered ? largest.height : asked.height};
    if (resizable_) {
        gtk_widget_set_size_request(area_, -1, -1);
        gtk_window_resize(Window(), std::max(shown.width, 1), std::max(shown.height + MenuBarHeight(), 1));
    } else {
        // A fixed window takes the size its content asks for.
        gtk_widget_set_size_request(area_, shown.width, shown.height);
    }
    if (!narrowed && !lowered) return;
    // The platform learns the client size the window has, and a window as wide or as high
    // as the work area starts at its edge.
    client_ = shown;
    native::WindowResized(handle_, shown);
    const Point fitted{narrowed ? area.x : position_.x, lowered ? area.y : position_.y};
    if (fitted != position_) {
        position_ = fitted;
        gtk_window_move(Window(), position_.x, position_.y);
        native::WindowMoved(handle_, position_);
    }
}

Size TopLevelWindow::AroundClientArea() const {
    // GTK's own title bar and shadows (drawn by the program on Wayland) and the menu bar.
    GtkRequisition window{}, content{};
    gtk_widget_get_preferred_size(window_, nullptr, &window);
    gtk_widget_get_preferred_size(area_, nullptr, &content);
    Size around{window.width - content.width, window.height - content.height};
    // The window manager's frame, once the window is shown in one.
    if (GdkWindow* shown = gtk_widget_get_mapped(window_) ? gtk_widget_get_window(window_) : nullptr) {
        GdkRectangle frame;
        gdk_window_get_frame_extents(shown, &frame);
        around.width += std::max(frame.width - gdk_window_get_width(shown), 0);
        around.height += std::max(frame.height - gdk_window_get_height(shown), 0);
    }
    return around;
}

void TopLevelWindow::ReportUserGeometry(std::uint64_t now) {
    if (!gtk_widget_get_mapped(window_)) {
        sizeChanged_ = configured_ = false;
        return;
    }
    if (std::exchange(sizeChanged_, false)) {
        Size allocated{gtk_widget_get_allocated_width(area_), gtk_widget_get_allocated_height(area_)};
        if (!SameClientSize(allocated, client_)) {
            client_ = allocated;
            native::WindowResized(handle_, allocated);
        }
    }
    if (std::exchange(configured_, false)) {
        Point seen;
        gtk_window_get_position(Window(), &seen.x, &seen.y);
        if (seen == position_) {
            moveAskedAt_.reset();
        } else if (!moveAskedAt_ || now - *moveAskedAt_ > kMoveSettleMilliseconds) {
            moveAskedAt_.reset();
            position_ = seen;
            native::WindowMoved(handle_, seen);
        }
    }
}

void TopLevelWindow::OnRealize(GtkWidget* window, gpointer self) {
    // Named one by one: window managers do not all read GDK_FUNC_ALL with exceptions.
    const TopLevelWindow& native = Self(self);
    const auto dialog = GDK_FUNC_MOVE | GDK_FUNC_CLOSE | (native.resizable_ ? GDK_FUNC_RESIZE : 0);
    gdk_window_set_functions(gtk_widget_get_window(window), GdkWMFunction(native.owned_ ? dialog : GDK_FUNC_ALL));
}

gboolean TopLevelWindow::OnDraw(GtkWidget* area, cairo_t* cr, gpointer self) {
    GtkStyleContext* style = gtk_widget_get_style_context(area);
    gtk_render_background(style, cr, 0, 0, gtk_widget_get_allocated_width(area), gtk_widget_get_allocated_height(area));
    if (cairo_surface_t* surface = GetWindowSurface(Self(self).handle_)) {
        cairo_set_source_surface(cr, surface, 0, 0);
        cairo_paint(cr);
    }
    return TRUE;
}

gboolean TopLevelWindow::OnKey(GtkWidget*, GdkEventKey* event, gpointer self) {
    TopLevelWindow& window = Self(self);
    if (event->type == GDK_KEY_PRESS && window.menu_ && window.enabled_) {
        guint modifiers = event->state & (GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK);
        bool opensMenu =
            (event->keyval == GDK_KEY_F10 && modifiers == 0) ||
            ((modifiers & GDK_MOD1_MASK) && !(modifiers & GDK_CONTROL_MASK) && window.menu_->IsMnemonic(event->keyval));
        if (opensMenu) return FALSE;  // GTK's menu bar takes the keyboard
    }
    window.backend_.Keys().Report(*event);
    return TRUE;
}

gboolean TopLevelWindow::OnButton(GtkWidget*, GdkEventButton* event, gpointer self) {
    TopLevelWindow& window = Self(self);
    std::optional<native::MouseButton> button = ButtonOf(event->button);
    if (!button) return FALSE;
    bool down = true, doubleClick = false;
    switch (event->type) {
        case GDK_BUTTON_PRESS:
            if (DoubleClickFollows(*event)) return TRUE;
            break;
        case GDK_2BUTTON_PRESS: doubleClick = true; break;
        case GDK_BUTTON_RELEASE: down = false; break;
        default: return TRUE;  // a third click was reported as a plain press
    }
    native::MouseButtonEvent(window.handle_, ClientPoint(event->x, event->y), *button, down, doubleClick,
                             ModifiersOf(event->state));
    return TRUE;
}

gboolean TopLevelWindow::OnMotion(GtkWidget*, GdkEventMotion* event, gpointer self) {
    native::MouseMoveEvent(Self(self).handle_, ClientPoint(event->x, event->y), ModifiersOf(event->state));
    return TRUE;
}

gboolean TopLevelWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
    // Closing is the program's decision: GTK must not destroy the window itself.
    native::CloseRequested(Self(self).handle_);
    return TRUE;
}

gboolean TopLevelWindow::OnFocusIn(GtkWidget*, GdkEventFocus*, gpointer self) {
    TopLevelWindow& window = Self(self);
    window.backend_.WindowFocused(window);
    return FALSE;
}

gboolean TopLevelWindow::OnFocusOut(GtkWidget*, GdkEventFocus*, gpointer self) {
    Self(self).backend_.Keys().ReleaseAll();
    return FALSE;
}

void TopLevelWindow::OnGrabNotify(GtkWidget*, gboolean wasGrabbed, gpointer self) {
    // A menu or a modal dialog took the keyboard: the keys held will be released there.
    if (!wasGrabbed) Self(self).backend_.Keys().ReleaseAll();
}

void TopLevelWindow::OnSizeAllocate(GtkWidget*, GdkRectangle*, gpointer self) { Self(self).sizeChanged_ = true; }

gboolean TopLevelWindow::OnConfigure(GtkWidget*, GdkEventConfigure*, gpointer self) {
    Self(self).configured_ = true;
    return FALSE;
}

void TopLevelWindow::OnScaleFactor(GtkWidget* widget, GParamSpec*, gpointer self) {
    // The surface is then drawn at the screen's density and shown pixel for pixel.
    TopLevelWindow& window = Self(self);
    const int scale = gtk_widget_get_scale_factor(widget);
    if (scale == window.scale_) return;
    window.scale_ = scale;
    native::WindowScaleChanged(window.handle_, scale);
}

}  // namespace orvalis::platform::gtk

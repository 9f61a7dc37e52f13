#include "platform/gtk/GtkControlTheme.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>

#include "platform/NativeInput.h"

namespace orvalis::platform::gtk {

namespace {

// A context for a node of `type` named `name` with `classes`, inside `parent` (none for a
// top-level node), as GTK's own widget of that kind has it.
GtkStyleContext* NodeContext(GtkStyleContext* parent, GType type, const char* name,
                             std::initializer_list<const char*> classes = {}) {
    GtkWidgetPath* path = parent ? gtk_widget_path_copy(gtk_style_context_get_path(parent)) : gtk_widget_path_new();
    gtk_widget_path_append_type(path, type);
    gtk_widget_path_iter_set_object_name(path, -1, name);
    for (const char* styleClass : classes) gtk_widget_path_iter_add_class(path, -1, styleClass);
    GtkStyleContext* context = gtk_style_context_new();
    gtk_style_context_set_path(context, path);
    gtk_style_context_set_parent(context, parent);
    gtk_widget_path_unref(path);
    return context;
}

ThemeColour Opaque(const GdkRGBA& rgba) {
    const auto component = [](double value) {
        return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
    };
    return {component(rgba.red), component(rgba.green), component(rgba.blue)};
}

ThemeColour Foreground(GtkStyleContext* context, GtkStateFlags state) {
    GdkRGBA rgba;
    gtk_style_context_set_state(context, state);
    gtk_style_context_get_color(context, state, &rgba);
    return Opaque(rgba);
}

ThemeColour PropertyColour(GtkStyleContext* context, GtkStateFlags state, const char* property) {
    GdkRGBA* rgba = nullptr;
    gtk_style_context_set_state(context, state);
    gtk_style_context_get(context, state, property, &rgba, nullptr);
    const ThemeColour colour = Opaque(*rgba);
    gdk_rgba_free(rgba);
    return colour;
}

GtkStateFlags Flags(ControlState state) {
    int flags = GTK_STATE_FLAG_NORMAL;
    if (state.disabled) flags |= GTK_STATE_FLAG_INSENSITIVE;
    if (state.pressed) flags |= GTK_STATE_FLAG_ACTIVE;
    if (state.checked) flags |= GTK_STATE_FLAG_CHECKED;
    if (state.focused) flags |= GTK_STATE_FLAG_FOCUSED;
    return static_cast<GtkStateFlags>(flags);
}

// The device pixels per unit of what `context` draws on, so that the theme's images are
// taken at the surface's density.
int DeviceScale(cairo_t* context) {
    double x = 1;
    double y = 1;
    cairo_surface_get_device_scale(cairo_get_target(context), &x, &y);
    return std::max(1, static_cast<int>(std::lround(x)));
}

void Box(GtkStyleContext* style, cairo_t* context, const Rect& rect) {
    gtk_render_background(style, context, rect.left, rect.top, rect.Width(), rect.Height());
    gtk_render_frame(style, context, rect.left, rect.top, rect.Width(), rect.Height());
}

void Arrow(GtkStyleContext* style, cairo_t* context, const Rect& rect, double angle) {
    // The arrow's size follows the half it stands in, as the classic one does, within
    // the sizes at which the theme's arrow reads as one.
    const double size = std::clamp(std::min(rect.Width(), rect.Height()) * 0.7, 4.0, 16.0);
    gtk_render_arrow(style, context, angle, rect.left + (rect.Width() - size) / 2,
                     rect.top + (rect.Height() - size) / 2, size);
}

}  // namespace

GtkControlTheme::GtkControlTheme() {
    Load();
    // The settings that choose the theme, whoever changes them (the desktop's settings
    // daemon, the user's tools): the new theme is followed at once.
    GtkSettings* settings = gtk_settings_get_default();
    for (const char* setting :
         {"notify::gtk-theme-name", "notify::gtk-application-prefer-dark-theme", "notify::gtk-icon-theme-name"})
        g_signal_connect(settings, setting, G_CALLBACK(OnThemeChanged), this);
}

GtkControlTheme::~GtkControlTheme() {
    g_signal_handlers_disconnect_by_data(gtk_settings_get_default(), this);
    Unload();
}

void GtkControlTheme::Load() {
    window_ = NodeContext(nullptr, GTK_TYPE_WINDOW, "window", {GTK_STYLE_CLASS_BACKGROUND});
    button_ = NodeContext(window_, GTK_TYPE_BUTTON, "button", {"text-button"});
    defaultButton_ = NodeContext(window_, GTK_TYPE_BUTTON, "button", {"text-button", GTK_STYLE_CLASS_DEFAULT});
    entry_ = NodeContext(window_, GTK_TYPE_ENTRY, "entry");
    selection_ = NodeContext(entry_, G_TYPE_NONE, "selection");
    label_ = NodeContext(window_, GTK_TYPE_LABEL, "label");
    frame_ = NodeContext(window_, GTK_TYPE_FRAME, "frame", {GTK_STYLE_CLASS_FRAME});
    radioButton_ = NodeContext(window_, GTK_TYPE_RADIO_BUTTON, "radiobutton");
    radio_ = NodeContext(radioButton_, G_TYPE_NONE, "radio");
    const auto set = [this](SystemColour index, ThemeColour colour) {
        colours_[static_cast<std::size_t>(index)] = colour;
    };
    // The forms' faces are the window's background; boxes that hold text are entries.
    set(SystemColour::ButtonFace, PropertyColour(window_, GTK_STATE_FLAG_NORMAL, GTK_STYLE_PROPERTY_BACKGROUND_COLOR));
    set(SystemColour::ButtonText, Foreground(button_, GTK_STATE_FLAG_NORMAL));
    set(SystemColour::ButtonShadow, PropertyColour(frame_, GTK_STATE_FLAG_NORMAL, "border-top-color"));
    set(SystemColour::Window, PropertyColour(entry_, GTK_STATE_FLAG_NORMAL, GTK_STYLE_PROPERTY_BACKGROUND_COLOR));
    set(SystemColour::WindowText, Foreground(label_, GTK_STATE_FLAG_NORMAL));
    set(SystemColour::GrayText, Foreground(label_, GTK_STATE_FLAG_INSENSITIVE));
    const auto selected = static_cast<GtkStateFlags>(GTK_STATE_FLAG_SELECTED | GTK_STATE_FLAG_FOCUSED);
    set(SystemColour::Highlight, PropertyColour(selection_, selected, GTK_STYLE_PROPERTY_BACKGROUND_COLOR));
    set(SystemColour::HighlightText, Foreground(selection_, selected));
}

void GtkControlTheme::Unload() {
    for (GtkStyleContext* context :
         {radio_, radioButton_, frame_, label_, selection_, entry_, defaultButton_, button_, window_})
        g_object_unref(context);
}

void GtkControlTheme::OnThemeChanged(GObject*, GParamSpec*, gpointer self) {
    // GTK has loaded the new theme by now (its own handler runs first): the contexts are
    // made again from it, and every window is repainted.
    auto& theme = *static_cast<GtkControlTheme*>(self);
    theme.Unload();
    theme.Load();
    native::ThemeChanged();
}

void GtkControlTheme::DrawPart(cairo_t* context, const Rect& rect, ControlPart part, ControlState state) const {
    GtkStyleContext* style = nullptr;
    switch (part) {
        case ControlPart::Button: style = state.isDefault ? defaultButton_ : button_; break;
        case ControlPart::EditBox: style = entry_; break;
        case ControlPart::SpinButton:
        case ControlPart::ArrowUp:
        case ControlPart::ArrowDown:
        case ControlPart::ArrowLeft:
        case ControlPart::ArrowRight: style = button_; break;
        case ControlPart::GroupFrame: style = frame_; break;
        case ControlPart::RadioMark: style = radio_; break;
        case ControlPart::FocusRect: style = radioButton_; break;
    }
    // The state and the scale are set for each drawing, not saved and restored: a saved
    // context is a node of its own below the context's, which some of the theme's rules
    // (the frame's border) no longer reach.
    cairo_save(context);
    gtk_style_context_set_scale(style, DeviceScale(context));
    gtk_style_context_set_state(style, Flags(state));
    switch (part) {
        case ControlPart::Button:
            // A focused button shows the mark inside it, as the desktop's own do.
            Box(style, context, rect);
            if (state.focused) gtk_render_focus(style, context, rect.left, rect.top, rect.Width(), rect.Height());
            break;
        case ControlPart::EditBox:
        case ControlPart::SpinButton: Box(style, context, rect); break;
        case ControlPart::ArrowUp: Arrow(style, context, rect, 0); break;
        case ControlPart::ArrowRight: Arrow(style, context, rect, G_PI / 2); break;
        case ControlPart::ArrowDown: Arrow(style, context, rect, G_PI); break;
        case ControlPart::ArrowLeft: Arrow(style, context, rect, 3 * G_PI / 2); break;
        case ControlPart::GroupFrame:
            gtk_render_frame(style, context, rect.left, rect.top, rect.Width(), rect.Height());
            break;
        case ControlPart::RadioMark:
            Box(style, context, rect);
            gtk_render_option(style, context, rect.left, rect.top, rect.Width(), rect.Height());
            break;
        case ControlPart::FocusRect:
            gtk_render_focus(style, context, rect.left, rect.top, rect.Width(), rect.Height());
            break;
    }
    cairo_restore(context);
}

std::optional<ThemeColour> GtkControlTheme::Colour(int systemIndex) const {
    if (systemIndex < 0 || systemIndex >= static_cast<int>(colours_.size())) return std::nullopt;
    return colours_[static_cast<std::size_t>(systemIndex)];
}

bool GtkControlTheme::DrawIcon(cairo_t* context, std::string_view name, int size, int scale) const {
    GdkPixbuf* icon = gtk_icon_theme_load_icon_for_scale(gtk_icon_theme_get_default(), std::string(name).c_str(), size,
                                                         scale, GTK_ICON_LOOKUP_FORCE_SIZE, nullptr);
    if (!icon) return false;
    cairo_save(context);
    gdk_cairo_set_source_pixbuf(context, icon, 0, 0);
    cairo_paint(context);
    cairo_restore(context);
    g_object_unref(icon);
    return true;
}

}  // namespace orvalis::platform::gtk

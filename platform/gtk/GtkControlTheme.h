#pragma once
// The desktop theme of the framework's controls on GTK: one style context per kind of
// control, made from the widget path that GTK's own control of that kind has, and each
// part painted by gtk_render_*; the system colours are read from the same contexts. A
// theme changed while the program runs is followed at once: the contexts and colours are
// made again and every window repainted.

#include <gtk/gtk.h>

#include <array>

#include "platform/ControlTheme.h"

namespace orvalis::platform::gtk {

class GtkControlTheme final : public ControlTheme {
public:
    GtkControlTheme();
    ~GtkControlTheme() override;
    GtkControlTheme(const GtkControlTheme&) = delete;
    GtkControlTheme& operator=(const GtkControlTheme&) = delete;

    void DrawPart(cairo_t* context, const Rect& rect, ControlPart part, ControlState state) const override;
    std::optional<ThemeColour> Colour(int systemIndex) const override;
    bool DrawIcon(cairo_t* context, std::string_view name, int size, int scale) const override;

private:
    // Makes the contexts from the current theme and reads its colours; Unload frees them.
    void Load();
    void Unload();
    static void OnThemeChanged(GObject* settings, GParamSpec*, gpointer self);

    GtkStyleContext* window_ = nullptr;
    GtkStyleContext* button_ = nullptr;
    GtkStyleContext* defaultButton_ = nullptr;
    GtkStyleContext* entry_ = nullptr;
    GtkStyleContext* selection_ = nullptr;
    GtkStyleContext* label_ = nullptr;
    GtkStyleContext* frame_ = nullptr;
    GtkStyleContext* radioButton_ = nullptr;
    GtkStyleContext* radio_ = nullptr;
    std::array<std::optional<ThemeColour>, 32> colours_;
};

}  // namespace orvalis::platform::gtk

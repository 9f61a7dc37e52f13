#include "platform/gtk/MenuBarWidget.h"

#include <algorithm>
#include <string>

#include "platform/NonClientMetrics.h"

namespace orvalis::platform::gtk {

namespace {

constexpr const char* kIdKey = "orvalis-menu-id";
constexpr const char* kCheckedKey = "orvalis-menu-checked";

char32_t FirstCodePoint(std::string_view text) {
    if (text.empty()) return 0;
    gunichar c = g_utf8_get_char_validated(text.data(), static_cast<gssize>(text.size()));
    return (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) ? 0 : g_unichar_tolower(c);
}

// Shows a bar or a menu, and what it holds, in the menu font.
void UseMenuFont(GtkWidget* widget) {
    static GtkCssProvider* const provider = [] {
        GtkCssProvider* css = gtk_css_provider_new();
        const std::string rule = std::string("menubar, menu { font-family: \"") + kMenuFontFamily +
                                 "\"; font-size: " + std::to_string(kMenuFontPixels) + "px; }";
        gtk_css_provider_load_from_data(css, rule.c_str(), -1, nullptr);
        return css;
    }();
    gtk_style_context_add_provider(gtk_widget_get_style_context(widget), GTK_STYLE_PROVIDER(provider),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

}  // namespace

int MeasureMenuBar(const MenuBar& menu) {
    MenuBarWidget measured(menu, [](std::uint32_t) {});
    GtkWidget* bar = g_object_ref_sink(measured.Widget());
    const int width = measured.NaturalWidth();
    gtk_widget_destroy(bar);
    g_object_unref(bar);
    return width;
}

MnemonicCaption ToMnemonicCaption(std::string_view caption) {
    MnemonicCaption result;
    std::size_t tab = caption.find('\t');
    if (tab != std::string_view::npos) {
        result.shortcut = caption.substr(tab + 1);
        caption = caption.substr(0, tab);
    }
    for (std::size_t i = 0; i < caption.size(); ++i) {
        char c = caption[i];
        if (c == '_') {
            result.label += "__";
        } else if (c != '&') {
            result.label += c;
        } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
            result.label += '&';
            ++i;
        } else if (result.mnemonic == 0 && i + 1 < caption.size()) {
            result.mnemonic = FirstCodePoint(caption.substr(i + 1));
            if (result.mnemonic) result.label += '_';
        }
    }
    return result;
}

MenuBarWidget::MenuBarWidget(const MenuBar& menu, ChooseCallback choose)
    : choose_(std::move(choose)), bar_(gtk_menu_bar_new()) {
    UseMenuFont(bar_);
    for (const MenuItem& item : menu.items) {
        gtk_menu_shell_append(GTK_MENU_SHELL(bar_), MakeItem(item));
        char32_t mnemonic = ToMnemonicCaption(item.caption).mnemonic;
        if (mnemonic && item.enabled && !item.separator) mnemonics_.push_back(mnemonic);
    }
    g_signal_connect(bar_, "button-release-event", G_CALLBACK(OnBarButtonRelease), this);
    gtk_widget_show_all(bar_);
}

int MenuBarWidget::NaturalWidth() const {
    int minimum = 0, natural = 0;
    gtk_widget_get_preferred_width(bar_, &minimum, &natural);
    return natural;
}

bool MenuBarWidget::IsMnemonic(guint keyval) const {
    char32_t c = gdk_keyval_to_unicode(gdk_keyval_to_lower(keyval));
    return c != 0 && std::find(mnemonics_.begin(), mnemonics_.end(), c) != mnemonics_.end();
}

GtkWidget* MenuBarWidget::MakeItem(const MenuItem& item) {
    if (item.separator) return gtk_separator_menu_item_new();
    MnemonicCaption caption = ToMnemonicCaption(item.caption);
    bool checkable = item.checked && item.items.empty();
    GtkWidget* widget = checkable ? gtk_check_menu_item_new() : gtk_menu_item_new();
    GtkWidget* label = gtk_label_new_with_mnemonic(caption.label.c_str());
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), widget);
    if (caption.shortcut.empty()) {
        gtk_container_add(GTK_CONTAINER(widget), label);
    } else {
        GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 24);
        GtkWidget* shortcut = gtk_label_new(caption.shortcut.c_str());
        gtk_widget_set_hexpand(shortcut, TRUE);
        gtk_label_set_xalign(GTK_LABEL(shortcut), 1.0f);
        gtk_style_context_add_class(gtk_widget_get_style_context(shortcut), "accelerator");
        gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0);
        gtk_box_pack_start(GTK_BOX(box), shortcut, FALSE, FALSE, 0);
        gtk_container_add(GTK_CONTAINER(widget), box);
    }
    gtk_widget_set_sensitive(widget, item.enabled);
    if (checkable) {
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), TRUE);
        g_object_set_data(G_OBJECT(widget), kCheckedKey, GINT_TO_POINTER(TRUE));
    }
    if (!item.items.empty()) {
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), MakeMenu(item.items));
    } else {
        g_object_set_data(G_OBJECT(widget), kIdKey, GUINT_TO_POINTER(item.id));
        g_signal_connect(widget, "activate", G_CALLBACK(OnActivate), this);
    }
    return widget;
}

GtkWidget* MenuBarWidget::MakeMenu(const std::vector<MenuItem>& items) {
    GtkWidget* menu = gtk_menu_new();
    UseMenuFont(menu);
    for (const MenuItem& item : items) gtk_menu_shell_append(GTK_MENU_SHELL(menu), MakeItem(item));
    return menu;
}

gboolean MenuBarWidget::OnBarButtonRelease(GtkWidget* bar, GdkEventButton* event, gpointer) {
    // GTK's menu bar takes a quick click (released within half a second) on one of its own
    // items as opening the bar, and only the next click runs an item without a submenu. The
    // release over the item that the press selected runs it at once.
    GtkWidget* item = gtk_get_event_widget(reinterpret_cast<GdkEvent*>(event));
    while (item && !(GTK_IS_MENU_ITEM(item) && gtk_widget_get_parent(item) == bar)) item = gtk_widget_get_parent(item);
    if (!item || item != gtk_menu_shell_get_selected_item(GTK_MENU_SHELL(bar)) ||
        gtk_menu_item_get_submenu(GTK_MENU_ITEM(item)) || !gtk_widget_is_sensitive(item))
        return FALSE;
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(bar));
    gtk_menu_item_activate(GTK_MENU_ITEM(item));
    return TRUE;
}

void MenuBarWidget::OnActivate(GtkMenuItem* item, gpointer self) {
    // The mark is the program's to change: GTK's own toggle is undone.
    if (GTK_IS_CHECK_MENU_ITEM(item))
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item),
                                       GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), kCheckedKey)));
    auto id = static_cast<std::uint32_t>(GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(item), kIdKey)));
    static_cast<MenuBarWidget*>(self)->choose_(id);
}

}  // namespace orvalis::platform::gtk

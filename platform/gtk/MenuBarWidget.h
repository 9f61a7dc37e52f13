#pragma once
// A GtkMenuBar built from the platform's menu model: "&" marks become GTK mnemonics, the
// text after a tab is shown at the right as the item's shortcut, disabled items are
// insensitive, checked items carry their mark, and choosing an item that opens no submenu
// calls back with its id. Keyboard access is GTK's own: F10, and Alt with a mnemonic of
// the bar. An item of the bar itself without a submenu ("Options") runs on one click, as
// it does from the keyboard. The bar and its menus are shown in the platform's menu font,
// the forms' own, so that the width measured for the bar is the one it takes.

#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Menu.h"

namespace orvalis::platform::gtk {

struct MnemonicCaption {
    std::string label;      // with GTK's "_" mnemonic mark
    std::string shortcut;   // the text after a tab, shown at the right; empty when none
    char32_t mnemonic = 0;  // the marked character, lower case; 0 when none
};
// "&Fichier" gives "_Fichier" with the mnemonic 'f'; "&&" is a plain "&" and "_" a plain
// "_"; only the first mark counts.
MnemonicCaption ToMnemonicCaption(std::string_view caption);

// The width that a bar built from `menu` takes on one line, measured on a bar of its own.
int MeasureMenuBar(const MenuBar& menu);

class MenuBarWidget {
public:
    using ChooseCallback = std::function<void(std::uint32_t id)>;

    MenuBarWidget(const MenuBar& menu, ChooseCallback choose);
    MenuBarWidget(const MenuBarWidget&) = delete;
    MenuBarWidget& operator=(const MenuBarWidget&) = delete;
    // The widgets go with their container; this object must stay until they are destroyed.

    GtkWidget* Widget() const { return bar_; }
    // The width that the bar's items take on one line.
    int NaturalWidth() const;
    // Whether Alt with this key opens one of the bar's enabled menus.
    bool IsMnemonic(guint keyval) const;

private:
    GtkWidget* MakeItem(const MenuItem& item);
    GtkWidget* MakeMenu(const std::vector<MenuItem>& items);
    static void OnActivate(GtkMenuItem* item, gpointer self);
    static gboolean OnBarButtonRelease(GtkWidget* bar, GdkEventButton* event, gpointer self);

    ChooseCallback choose_;
    GtkWidget* bar_;
    std::vector<char32_t> mnemonics_;
};

}  // namespace orvalis::platform::gtk

#include "platform/gtk/KeyboardReports.h"

#include <vector>

#include "platform/NativeInput.h"
#include "platform/gtk/KeyTranslation.h"

namespace orvalis::platform::gtk {

namespace {

// Every keyval that the physical key gives on the levels and groups of the layout.
std::vector<guint> KeyvalsOfKey(const GdkEventKey& event) {
    GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(event.window));
    GdkKeymapKey* keys = nullptr;
    guint* keyvals = nullptr;
    gint count = 0;
    std::vector<guint> result;
    if (gdk_keymap_get_entries_for_keycode(keymap, event.hardware_keycode, &keys, &keyvals, &count))
        result.assign(keyvals, keyvals + count);
    g_free(keys);
    g_free(keyvals);
    return result;
}

}  // namespace

bool KeyboardReports::Report(const GdkEventKey& event) {
    if (event.type == GDK_KEY_PRESS) {
        std::vector<guint> sameKey = KeyvalsOfKey(event);
        TranslatedKey key = TranslateKey(event.keyval, sameKey);
        if (!key.virtualKey) return false;
        bool repeat = down_.contains(event.hardware_keycode);
        down_[event.hardware_keycode] = key.virtualKey;
        // The state is the one before the event: a modifier key counts itself once down.
        unsigned modifiers = ModifiersOf(event.state) | ModifierOfKey(key.virtualKey);
        native::KeyEvent(key.virtualKey, key.character, modifiers, true, repeat);
        return true;
    }
    auto found = down_.find(event.hardware_keycode);
    if (found == down_.end()) return false;
    int virtualKey = found->second;
    down_.erase(found);
    native::KeyEvent(virtualKey, 0, ModifiersOf(event.state) & ~ModifierOfKey(virtualKey), false);
    return true;
}

void KeyboardReports::ReleaseAll() {
    for (const auto& [keyCode, virtualKey] : down_) native::KeyEvent(virtualKey, 0, 0, false);
    down_.clear();
}

}  // namespace orvalis::platform::gtk

#pragma once
// GDK key events in the platform's terms: the virtual-key code of a key, the character it
// types (what the layout gives with the modifiers held) and the modifier keys held.

#include <gdk/gdk.h>

#include <span>

namespace orvalis::platform::gtk {

struct TranslatedKey {
    int virtualKey = 0;      // 0: a key the platform has no code for
    char32_t character = 0;  // 0: the key types nothing
};

// `keyval` is what the key gives now; `sameKey` lists every keyval the same physical key
// gives on the other levels and groups of the layout. Letters and digits are found there
// when the key gives neither now: on a French layout the key that types "é" is still the
// key '2', and on a Cyrillic one the key that types "ф" is the key 'A'.
TranslatedKey TranslateKey(guint keyval, std::span<const guint> sameKey);

// ModShift, ModCtrl and ModAlt from a GDK modifier state.
unsigned ModifiersOf(guint state);
// The modifier a key is itself (ModShift for VK_SHIFT, ...); 0 for any other key.
unsigned ModifierOfKey(int virtualKey);

}  // namespace orvalis::platform::gtk

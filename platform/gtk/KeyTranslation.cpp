#include "platform/gtk/KeyTranslation.h"

#include <algorithm>
#include <utility>

#include "platform/VirtualKeys.h"

namespace orvalis::platform::gtk {

namespace {

// Keys named by their keyval rather than by the character they type.
constexpr std::pair<guint, int> kNamedKeys[] = {
    {GDK_KEY_BackSpace, VK_BACK},
    {GDK_KEY_Tab, VK_TAB},
    {GDK_KEY_ISO_Left_Tab, VK_TAB},
    {GDK_KEY_KP_Tab, VK_TAB},
    {GDK_KEY_Clear, VK_CLEAR},
    {GDK_KEY_KP_Begin, VK_CLEAR},
    {GDK_KEY_Return, VK_RETURN},
    {GDK_KEY_KP_Enter, VK_RETURN},
    {GDK_KEY_ISO_Enter, VK_RETURN},
    {GDK_KEY_Shift_L, VK_SHIFT},
    {GDK_KEY_Shift_R, VK_SHIFT},
    {GDK_KEY_Control_L, VK_CONTROL},
    {GDK_KEY_Control_R, VK_CONTROL},
    {GDK_KEY_Alt_L, VK_MENU},
    {GDK_KEY_Alt_R, VK_MENU},
    {GDK_KEY_Meta_L, VK_MENU},
    {GDK_KEY_Meta_R, VK_MENU},
    {GDK_KEY_Pause, VK_PAUSE},
    {GDK_KEY_Caps_Lock, VK_CAPITAL},
    {GDK_KEY_Escape, VK_ESCAPE},
    {GDK_KEY_space, VK_SPACE},
    {GDK_KEY_KP_Space, VK_SPACE},
    {GDK_KEY_Page_Up, VK_PRIOR},
    {GDK_KEY_KP_Page_Up, VK_PRIOR},
    {GDK_KEY_Page_Down, VK_NEXT},
    {GDK_KEY_KP_Page_Down, VK_NEXT},
    {GDK_KEY_End, VK_END},
    {GDK_KEY_KP_End, VK_END},
    {GDK_KEY_Home, VK_HOME},
    {GDK_KEY_KP_Home, VK_HOME},
    {GDK_KEY_Left, VK_LEFT},
    {GDK_KEY_KP_Left, VK_LEFT},
    {GDK_KEY_Up, VK_UP},
    {GDK_KEY_KP_Up, VK_UP},
    {GDK_KEY_Right, VK_RIGHT},
    {GDK_KEY_KP_Right, VK_RIGHT},
    {GDK_KEY_Down, VK_DOWN},
    {GDK_KEY_KP_Down, VK_DOWN},
    {GDK_KEY_Execute, VK_EXECUTE},
    {GDK_KEY_Insert, VK_INSERT},
    {GDK_KEY_KP_Insert, VK_INSERT},
    {GDK_KEY_Delete, VK_DELETE},
    {GDK_KEY_KP_Delete, VK_DELETE},
    {GDK_KEY_Help, VK_HELP},
    {GDK_KEY_Super_L, VK_LWIN},
    {GDK_KEY_Super_R, VK_RWIN},
    {GDK_KEY_Menu, VK_APPS},
    {GDK_KEY_KP_Multiply, VK_MULTIPLY},
    {GDK_KEY_KP_Add, VK_ADD},
    {GDK_KEY_KP_Subtract, VK_SUBTRACT},
    {GDK_KEY_KP_Decimal, VK_DECIMAL},
    {GDK_KEY_KP_Divide, VK_DIVIDE},
    {GDK_KEY_Num_Lock, VK_NUMLOCK},
    {GDK_KEY_Scroll_Lock, VK_SCROLL},
};

// The characters of keys whose keyval would give another one (or none).
constexpr std::pair<int, char32_t> kKeyCharacters[] = {
    {VK_TAB, U'\t'}, {VK_RETURN, U'\r'}, {VK_ESCAPE, 0x1B}, {VK_BACK, U'\b'}, {VK_DELETE, 0},
};

int NamedKey(guint keyval) {
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24) return VK_F1 + static_cast<int>(keyval - GDK_KEY_F1);
    if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9) return VK_NUMPAD0 + static_cast<int>(keyval - GDK_KEY_KP_0);
    for (const auto& [named, virtualKey] : kNamedKeys)
        if (named == keyval) return virtualKey;
    return 0;
}

// 'A'-'Z' for a Latin letter of either case, '0'-'9' for a digit, 0 otherwise.
int LetterOrDigitKey(guint keyval) {
    gunichar c = gdk_keyval_to_unicode(keyval);
    if (c >= 'a' && c <= 'z') return static_cast<int>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<int>(c);
    return 0;
}

}  // namespace

TranslatedKey TranslateKey(guint keyval, std::span<const guint> sameKey) {
    TranslatedKey key;
    key.virtualKey = NamedKey(keyval);
    key.character = gdk_keyval_to_unicode(keyval);
    for (const auto& [virtualKey, character] : kKeyCharacters)
        if (key.virtualKey == virtualKey) key.character = character;
    if (key.virtualKey) return key;

    key.virtualKey = LetterOrDigitKey(keyval);
    for (std::size_t i = 0; !key.virtualKey && i < sameKey.size(); ++i) key.virtualKey = LetterOrDigitKey(sameKey[i]);
    // A character with no key of its own, as the platform types it.
    if (!key.virtualKey && key.character) key.virtualKey = VK_PACKET;
    return key;
}

unsigned ModifiersOf(guint state) {
    unsigned modifiers = 0;
    if (state & GDK_SHIFT_MASK) modifiers |= ModShift;
    if (state & GDK_CONTROL_MASK) modifiers |= ModCtrl;
    if (state & GDK_MOD1_MASK) modifiers |= ModAlt;
    return modifiers;
}

unsigned ModifierOfKey(int virtualKey) {
    switch (virtualKey) {
        case VK_SHIFT: return ModShift;
        case VK_CONTROL: return ModCtrl;
        case VK_MENU: return ModAlt;
        default: return 0;
    }
}

}  // namespace orvalis::platform::gtk

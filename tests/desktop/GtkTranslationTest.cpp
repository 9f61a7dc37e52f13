// What the desktop backend computes without a display: key codes and characters from
// GDK keyvals, filter patterns, menu captions, the icon group and the message box rules.

#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "app/MainIcon.h"
#include "platform/MessageBox.h"
#include "platform/VirtualKeys.h"
#include "platform/gtk/AppIcon.h"
#include "platform/gtk/FilePatterns.h"
#include "platform/gtk/KeyTranslation.h"
#include "platform/gtk/MenuBarWidget.h"
#include "platform/gtk/MessageBoxDialog.h"

using namespace orvalis;
using namespace orvalis::platform;
using namespace orvalis::platform::gtk;

namespace {

struct KeyCase {
    guint keyval;
    std::vector<guint> sameKey;
    int virtualKey;
    char32_t character;
};

TEST(GtkKeyTranslation, KeysGiveThePlatformsCodesAndCharacters) {
    const KeyCase cases[] = {
        {GDK_KEY_a, {}, 'A', U'a'},
        {GDK_KEY_A, {}, 'A', U'A'},
        {GDK_KEY_z, {}, 'Z', U'z'},
        {GDK_KEY_5, {}, '5', U'5'},
        {GDK_KEY_space, {}, VK_SPACE, U' '},
        {GDK_KEY_Return, {}, VK_RETURN, U'\r'},
        {GDK_KEY_KP_Enter, {}, VK_RETURN, U'\r'},
        {GDK_KEY_Escape, {}, VK_ESCAPE, 27},
        {GDK_KEY_Tab, {}, VK_TAB, U'\t'},
        {GDK_KEY_ISO_Left_Tab, {}, VK_TAB, U'\t'},
        {GDK_KEY_BackSpace, {}, VK_BACK, U'\b'},
        {GDK_KEY_Delete, {}, VK_DELETE, 0},
        {GDK_KEY_KP_Delete, {}, VK_DELETE, 0},
        {GDK_KEY_Left, {}, VK_LEFT, 0},
        {GDK_KEY_Up, {}, VK_UP, 0},
        {GDK_KEY_Right, {}, VK_RIGHT, 0},
        {GDK_KEY_Down, {}, VK_DOWN, 0},
        {GDK_KEY_KP_Down, {}, VK_DOWN, 0},
        {GDK_KEY_Home, {}, VK_HOME, 0},
        {GDK_KEY_End, {}, VK_END, 0},
        {GDK_KEY_Page_Up, {}, VK_PRIOR, 0},
        {GDK_KEY_Page_Down, {}, VK_NEXT, 0},
        {GDK_KEY_F1, {}, VK_F1, 0},
        {GDK_KEY_F10, {}, VK_F10, 0},
        {GDK_KEY_F12, {}, VK_F12, 0},
        {GDK_KEY_Shift_L, {}, VK_SHIFT, 0},
        {GDK_KEY_Control_R, {}, VK_CONTROL, 0},
        {GDK_KEY_Alt_L, {}, VK_MENU, 0},
        {GDK_KEY_KP_7, {}, VK_NUMPAD0 + 7, U'7'},
        // The French layout's key '2' types "é"; a Cyrillic layout's key 'A' types "ф".
        {GDK_KEY_eacute, {GDK_KEY_eacute, GDK_KEY_2}, '2', U'é'},
        {GDK_KEY_Cyrillic_ef, {GDK_KEY_Cyrillic_ef, GDK_KEY_Cyrillic_EF, GDK_KEY_a, GDK_KEY_A}, 'A', U'ф'},
        // A character with no key of its own.
        {GDK_KEY_comma, {GDK_KEY_comma, GDK_KEY_less}, VK_PACKET, U','},
        // A key that means nothing here.
        {GDK_KEY_VoidSymbol, {}, 0, 0},
    };
    for (const KeyCase& c : cases) {
        TranslatedKey key = TranslateKey(c.keyval, c.sameKey);
        EXPECT_EQ(key.virtualKey, c.virtualKey) << gdk_keyval_name(c.keyval);
        EXPECT_EQ(key.character, c.character) << gdk_keyval_name(c.keyval);
    }
}

TEST(GtkKeyTranslation, ModifiersComeFromTheStateAndFromTheModifierKeysThemselves) {
    EXPECT_EQ(ModifiersOf(0), 0u);
    EXPECT_EQ(ModifiersOf(GDK_SHIFT_MASK | GDK_LOCK_MASK), ModShift);
    EXPECT_EQ(ModifiersOf(GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_BUTTON1_MASK), ModCtrl | ModAlt);
    EXPECT_EQ(ModifierOfKey(VK_SHIFT), ModShift);
    EXPECT_EQ(ModifierOfKey(VK_CONTROL), ModCtrl);
    EXPECT_EQ(ModifierOfKey(VK_MENU), ModAlt);
    EXPECT_EQ(ModifierOfKey('A'), 0u);
}

TEST(GtkFilePatterns, PatternsMatchWithoutRegardToCase) {
    struct Case {
        const char* name;
        const char* patterns;
        bool matches;
    };
    const Case cases[] = {
        {"vue1.jpg", "*.JPG;*JPEG", true},
        {"VUE1.JPG", "*.JPG;*JPEG", true},
        {"X.jpeg", "*.JPG;*JPEG", true},
        {"PLAN.JPEG", "*.JPG;*JPEG", true},
        {"photo.Jpeg", "*.JPG;*JPEG", true},
        {"planJPEG", "*.JPG;*JPEG", true},  // "*JPEG" has no dot
        {"vue1.jpg.txt", "*.JPG;*JPEG", false},
        {"notes.txt", "*.JPG;*JPEG", false},
        {"image.png", "*.JPG;*JPEG", false},
        {"jpg", "*.JPG;*JPEG", false},
        {"image.PNG", "*.PNG", true},
        {"Élan.png", "ÉLAN.*", true},  // letters beyond ASCII fold too
        {"readme", "*.*", true},       // "*.*" takes names without a dot as well
        {"a.b", "?.?", true},
        {"ab.b", "?.?", false},
        {"vue1.jpg", " *.gif ; *.jpg ", true},  // blanks around patterns
        {"vue1.jpg", ";;", false},
        {"vue1.jpg", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesFilterPatterns(c.name, c.patterns), c.matches) << c.name << " against " << c.patterns;
}

TEST(GtkMenuCaptions, AmpersandsBecomeMnemonics) {
    struct Case {
        const char* caption;
        const char* label;
        const char* shortcut;
        char32_t mnemonic;
    };
    const Case cases[] = {
        {"&Fichier", "_Fichier", "", U'f'},
        {"Comptage couleurs ", "Comptage couleurs ", "", 0},
        {"Q&uitter", "Q_uitter", "", U'u'},
        {"Noir && blanc", "Noir & blanc", "", 0},
        {"Sous_ligné", "Sous__ligné", "", 0},
        {"&Ouvrir...\tCtrl+O", "_Ouvrir...", "Ctrl+O", U'o'},
        {"&Élan", "_Élan", "", U'é'},
        {"&A&B", "_AB", "", U'a'},  // only the first mark counts
        {"Fin&", "Fin", "", 0},
    };
    for (const Case& c : cases) {
        MnemonicCaption caption = ToMnemonicCaption(c.caption);
        EXPECT_EQ(caption.label, c.label) << c.caption;
        EXPECT_EQ(caption.shortcut, c.shortcut) << c.caption;
        EXPECT_EQ(caption.mnemonic, c.mnemonic) << c.caption;
    }
}

TEST(GtkAppIcon, TheEmbeddedGroupHoldsTwoPngImages) {
    std::vector<std::span<const std::uint8_t>> images = IconGroupImages(MainIconBytes());
    ASSERT_EQ(images.size(), 2u);
    for (std::span<const std::uint8_t> image : images) {
        ASSERT_GT(image.size(), 24u);
        EXPECT_EQ(image[1], 'P');
        // The PNG header's width: 48 then 16.
        EXPECT_EQ(image[16] | image[17] | image[18], 0);
    }
    EXPECT_EQ(images[0][19], 48);
    EXPECT_EQ(images[1][19], 16);
}

TEST(GtkAppIcon, DamagedGroupsGiveOnlyTheImagesThatLieWithinThem) {
    std::span<const std::uint8_t> group = MainIconBytes();
    // Cut inside the second image: only the first is left.
    std::vector<std::uint8_t> cut(group.begin(), group.end() - 10);
    EXPECT_EQ(IconGroupImages(cut).size(), 1u);
    // Cut inside the directory.
    EXPECT_TRUE(IconGroupImages(group.first(10)).empty());
    EXPECT_TRUE(IconGroupImages({}).empty());
    // Not an icon group (a cursor group has type 2).
    std::vector<std::uint8_t> cursors(group.begin(), group.end());
    cursors[2] = 2;
    EXPECT_TRUE(IconGroupImages(cursors).empty());
    // An entry whose offset lies past the end is passed over.
    std::vector<std::uint8_t> misplaced(group.begin(), group.end());
    misplaced[6 + 12 + 3] = 0x7F;
    EXPECT_EQ(IconGroupImages(misplaced).size(), 1u);
}

TEST(GtkMessageBox, EscapeAnswersCancelOrTheOnlyOkButNothingElse) {
    EXPECT_EQ(MessageBoxEscapeAnswer(MB_OK), IDOK);
    EXPECT_EQ(MessageBoxEscapeAnswer(MB_OK | MB_ICONHAND), IDOK);
    EXPECT_EQ(MessageBoxEscapeAnswer(MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxEscapeAnswer(MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxEscapeAnswer(MB_RETRYCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxEscapeAnswer(MB_YESNO), std::nullopt);
    EXPECT_EQ(MessageBoxEscapeAnswer(MB_ABORTRETRYIGNORE), std::nullopt);
}

}  // namespace

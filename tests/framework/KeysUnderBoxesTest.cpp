// A modifier let go while a modal box is up: the message box, the error box and the file
// dialog disable the task's windows, yet the key state follows the keyboard, so the
// modifier is up again once the box is gone and the keys that come next mean what they say.

#include "framework/MessageDialog.h"
#include "framework/OpenDialog.h"
#include "platform/MessageBox.h"
#include "platform/VirtualKeys.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/headless/UserScript.h"
#include "tests/framework/FrameworkTest.h"

namespace orvalis::test {
namespace {

using platform::headless::UserScript;
using platform::headless::WindowTarget;

// On a {Yes, No} dialog: F4 opens a message box, F12 the file dialog; any other key goes
// to the dialog's own handler (Ctrl+C copies, and fails into an error box when the
// clipboard cannot be had). The characters the dialog gets are noted.
struct BoxOpener : TObject {
    void KeyDown(TObject* sender, std::uint16_t& key, TShiftState shift) {
        if (key == platform::VK_F4) {
            Application->MessageBox("Texte", "Essai", platform::MB_OK);
        } else if (key == platform::VK_F12) {
            TOpenDialog dialog(nullptr);
            dialog.RunDialog();
        } else {
            dialogsOwn(sender, key, shift);
        }
    }
    void KeyPress(TObject*, char32_t& key) { characters += key; }

    TKeyEvent dialogsOwn;
    std::u32string characters;
};

struct ModifierReleasedUnderBox {
    const char* box;
    int modifierKey;
    unsigned modifier;
    int openingKey;  // pressed with the modifier held
    void (*closeBox)(UserScript& script);
    const char* typedAfter;  // once the box is gone
    int closingKey;          // then, to end the dialog
    TModalResult result;
    std::u32string characters;
};

void PrintTo(const ModifierReleasedUnderBox& row, std::ostream* out) { *out << row.box; }

void AnswerOK(UserScript& script) { script.AnswerMessageBox(platform::IDOK); }
void Cancel(UserScript& script) { script.CancelFileDialog(); }

const ModifierReleasedUnderBox kCases[] = {
    // Enter presses the default button only without Shift, Ctrl or Alt.
    {"MessageBox", platform::VK_SHIFT, platform::ModShift, platform::VK_F4, AnswerOK, "", platform::VK_RETURN, mrYes,
     U""},
    {"ErrorBox", platform::VK_CONTROL, platform::ModCtrl, 'C', AnswerOK, "", platform::VK_ESCAPE, mrNo, U""},
    // With Ctrl held, "X" would be the control character 24.
    {"FileDialog", platform::VK_CONTROL, platform::ModCtrl, platform::VK_F12, Cancel, "X", platform::VK_ESCAPE, mrNo,
     U"X"},
};

class KeysUnderBoxes : public FrameworkTest, public ::testing::WithParamInterface<ModifierReleasedUnderBox> {};

TEST_P(KeysUnderBoxes, AModifierLetGoUnderTheBoxIsUpAfterwards) {
    const ModifierReleasedUnderBox& row = GetParam();
    backend.SetClipboardAvailable(false);
    script.KeyDown(row.modifierKey, 0, row.modifier)
        .KeyDown(row.openingKey, 0, row.modifier)
        .KeyUp(row.openingKey, row.modifier)
        .KeyUp(row.modifierKey);
    row.closeBox(script);
    script.Type(row.typedAfter)
        .Press(row.closingKey)
        // Reached only when the key left the dialog up: it is closed by its close box.
        .Check([&] {
            ADD_FAILURE() << "the dialog is still up after the key";
            script.CloseWindow(WindowTarget::Captioned("Confirmation"));
        });
    BoxOpener opener;
    Run([&](TApplication&) {
        std::unique_ptr<TMessageForm> dialog =
            BuildMessageDialog("Texte", dkConfirmation, DialogButtons({dbYes, dbNo}));
        opener.dialogsOwn = dialog->OnKeyDown;
        dialog->OnKeyDown = TKeyEvent(&opener, &BoxOpener::KeyDown);
        dialog->OnKeyPress = TKeyPressEvent(&opener, &BoxOpener::KeyPress);
        EXPECT_EQ(dialog->ShowAsModal(), row.result);
    });
    EXPECT_EQ(opener.characters, row.characters);
    EXPECT_EQ(Boxes().size() + backend.FileDialogsShown(), 1u) << "the one box was shown";
}

INSTANTIATE_TEST_SUITE_P(EachBox, KeysUnderBoxes, ::testing::ValuesIn(kCases),
                         [](const auto& testCase) { return std::string(testCase.param.box); });

}  // namespace
}  // namespace orvalis::test

// TEdit under the scripted user: typing code points, deleting, moving and selecting
// with the keys and the mouse, the clipboard keys, MaxLength, ReadOnly, OnChange, the
// selection taken when entered by the keyboard, and what the box shows.

#include <cairo.h>

#include "framework/Button.h"
#include "framework/Edit.h"
#include "platform/Clipboard.h"
#include "platform/Focus.h"
#include "platform/MessageBox.h"
#include "platform/Painting.h"
#include "platform/VirtualKeys.h"
#include "platform/headless/Inspection.h"
#include "tests/framework/DialogControlsFixture.h"

namespace orvalis::test {
namespace {

using platform::ModCtrl;
using platform::ModShift;
using platform::VK_BACK;
using platform::VK_DELETE;
using platform::VK_END;
using platform::VK_HOME;
using platform::VK_INSERT;
using platform::VK_LEFT;
using platform::VK_RIGHT;
using platform::VK_TAB;

// The width of a text in the forms' font.
std::int32_t TextWidth(std::string_view text) {
    cairo_t* context = platform::GetDC(0);
    TCanvas canvas;
    canvas.SetHandle(context);
    TFont font;
    canvas.SetFont(font);
    const std::int32_t width = canvas.TextWidth(text);
    canvas.SetHandle(nullptr);
    platform::ReleaseDC(0, context);
    return width;
}

struct Changes : TObject {
    void Changed(TObject* sender) { texts.push_back(static_cast<TEdit*>(sender)->Text().ToStdString()); }
    std::vector<std::string> texts;
};

class Edits : public DialogControls {
protected:
    // A form with an edit box (focused when shown) and a button after it.
    void Make(TApplication& application) {
        form = MakeForm(application);
        edit = Add<TEdit>(*form, "Saisie", {10, 10, 131, 31});
        button = Add<TButton>(*form, "Bouton", {10, 50, 85, 75});
        edit->OnChange = TNotifyEvent(&changes, &Changes::Changed);
        form->Show();
    }
    TForm* form = nullptr;
    TEdit* edit = nullptr;
    TButton* button = nullptr;
    Changes changes;
};

TEST_F(Edits, TypingDeletingAndMovingWorkOnCharacters) {
    script.Type("aé€b")
        .Check([&] {
            EXPECT_EQ(edit->Text(), "aé€b");
            EXPECT_EQ(edit->SelStart(), 4) << "in characters";
        })
        .Press(VK_LEFT)
        .Press(VK_BACK)
        .Check([&] { EXPECT_EQ(edit->Text(), "aéb") << "a whole character goes"; })
        .Press(VK_HOME)
        .Press(VK_DELETE)
        .Press(VK_RIGHT)
        .Type("x")
        .Check([&] { EXPECT_EQ(edit->Text(), "éxb"); })
        .Press(VK_END)
        .Press(VK_DELETE)
        .Press(VK_HOME)
        .Press(VK_BACK)
        .Check([&] { EXPECT_EQ(edit->Text(), "éxb") << "nothing after the end, nothing before the start"; })
        .Press(VK_TAB)
        .Check([&] { EXPECT_EQ(platform::GetFocus(), button->Handle()) << "Tab is not typed"; });
    Run([&](TApplication& application) {
        Make(application);
        PumpUntilScriptEnds();
    });
    EXPECT_EQ(changes.texts, (std::vector<std::string>{"a", "aé", "aé€", "aé€b", "aéb", "éb", "éxb"}));
}

TEST_F(Edits, ShiftSelectsAndTypingReplacesTheSelection) {
    script.Type("abcdef")
        .Press(VK_HOME)
        .Press(VK_RIGHT, ModShift)
        .Press(VK_RIGHT, ModShift)
        .Check([&] {
            EXPECT_EQ(edit->SelText(), "ab");
            EXPECT_EQ(edit->SelStart(), 0);
            EXPECT_EQ(edit->SelLength(), 2);
        })
        .Type("X")
        .Press(VK_END)
        .Press(VK_LEFT, ModShift)
        .Press(VK_DELETE)
        .Check([&] { EXPECT_EQ(edit->Text(), "Xcde"); })
        .Press(VK_HOME, ModShift)
        .Check([&] { EXPECT_EQ(edit->SelText(), "Xcde"); })
        .Press(VK_RIGHT)
        .Check([&] {
            EXPECT_EQ(edit->SelLength(), 0);
            EXPECT_EQ(edit->SelStart(), 4) << "Right leaves the selection at its end";
        })
        .Press('A', ModCtrl)
        .Check([&] { EXPECT_EQ(edit->SelText(), "Xcde"); })
        .Press(VK_LEFT)
        .Check([&] { EXPECT_EQ(edit->SelStart(), 0) << "Left leaves it at its start"; });
    Run([&](TApplication& application) {
        Make(application);
        PumpUntilScriptEnds();
    });
}

TEST_F(Edits, TheClipboardKeysCutCopyAndPasteTheFirstLine) {
    script.Type("perspective")
        .Press('A', ModCtrl)
        .Press('C', ModCtrl)
        .Check([&] {
            EXPECT_EQ(backend.Clipboard(), "perspective");
            EXPECT_EQ(edit->Text(), "perspective");
        })
        .Press(VK_HOME)
        .Press(VK_RIGHT, ModShift)
        .Press('X', ModCtrl)
        .Check([&] {
            EXPECT_EQ(backend.Clipboard(), "p");
            EXPECT_EQ(edit->Text(), "erspective");
        })
        .Press(VK_END)
        .Press('V', ModCtrl)
        .Press(VK_INSERT, ModShift)
        .Check([&] {
            EXPECT_EQ(edit->Text(), "erspectivepp");
            ASSERT_TRUE(platform::SetClipboardText("vue 1\r\nvue 2"));
        })
        .Press('V', ModCtrl)
        .Check([&] { EXPECT_EQ(edit->Text(), "erspectiveppvue 1") << "one line"; })
        .Press(VK_LEFT, ModShift)
        .Press(VK_INSERT, ModCtrl)
        .Check([&] { EXPECT_EQ(backend.Clipboard(), "1"); })
        .Press(VK_DELETE, ModShift)
        .Check([&] {
            EXPECT_EQ(edit->Text(), "erspectiveppvue ");
            EXPECT_EQ(backend.Clipboard(), "1");
        });
    Run([&](TApplication& application) {
        Make(application);
        PumpUntilScriptEnds();
    });
}

TEST_F(Edits, AClipboardThatCannotBeHadIsReported) {
    script.Type("abc")
        .Press('A', ModCtrl)
        .Check([&] { backend.SetClipboardAvailable(false); })
        .Press('X', ModCtrl)
        .AnswerMessageBox(platform::IDOK)
        .Check([&] { EXPECT_EQ(edit->Text(), "abc") << "nothing cut"; });
    Run([&](TApplication& application) {
        Make(application);
        PumpUntilScriptEnds();
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].second, "Impossible d'ouvrir le Presse-papiers.");
    });
}

TEST_F(Edits, MaxLengthAndReadOnlyLimitTheUserButNotTheProgram) {
    script.Type("abcdef")
        .Check([&] {
            EXPECT_EQ(edit->Text(), "abcd");
            ASSERT_TRUE(platform::SetClipboardText("xyz"));
        })
        .Press(VK_LEFT, ModShift)
        .Press('V', ModCtrl)
        .Check([&] {
            EXPECT_EQ(edit->Text(), "abcx") << "the selection makes room for one";
            edit->SetReadOnly(true);
        })
        .Type("z")
        .Press(VK_BACK)
        .Press('A', ModCtrl)
        .Press('X', ModCtrl)
        .Check([&] {
            EXPECT_EQ(edit->Text(), "abcx");
            EXPECT_EQ(backend.Clipboard(), "xyz") << "nothing cut from a read-only box";
        })
        .Press('C', ModCtrl)
        .Check([&] { EXPECT_EQ(backend.Clipboard(), "abcx") << "copying is allowed"; });
    Run([&](TApplication& application) {
        Make(application);
        edit->SetMaxLength(4);
        PumpUntilScriptEnds();
        edit->SetText("plus long que quatre");
        EXPECT_EQ(edit->Text(), "plus long que quatre");
    });
}

TEST_F(Edits, OnChangeFollowsEveryChangeOfTheText) {
    Run([&](TApplication& application) {
        Make(application);
        edit->SetText("3");
        edit->SetText("3");
        edit->SetSelStart(0);
        edit->SetSelLength(1);
        edit->SetSelText("15");
        EXPECT_EQ(edit->Text(), "15");
        EXPECT_EQ(edit->SelStart(), 2);
        edit->ClearSelection();
        EXPECT_EQ(changes.texts, (std::vector<std::string>{"3", "15"})) << "the same text again is no change";
    });
}

TEST_F(Edits, TheKeyboardSelectsTheTextWhenEnteringAndTheMousePlacesTheCaret) {
    Run([&](TApplication& application) {
        Make(application);
        edit->SetText("vue12");
        script.Press(VK_TAB)
            .Press(VK_TAB)
            .Check([&] { EXPECT_EQ(edit->SelText(), "vue12") << "entered by Tab: all selected"; })
            .Press(VK_TAB)
            .Click(Window(), At(*edit, 3 + TextWidth("vu") + 1, 10))
            .Check([&] {
                EXPECT_EQ(platform::GetFocus(), edit->Handle());
                EXPECT_EQ(edit->SelLength(), 0) << "entered by the mouse: nothing selected";
                EXPECT_EQ(edit->SelStart(), 2);
            })
            .Click(Window(), At(*edit, 120, 10))
            .Check([&] { EXPECT_EQ(edit->SelStart(), 5) << "past the text: at its end"; });
        PumpUntilScriptEnds();
    });
}

TEST_F(Edits, TheSelectionShowsInTheHighlightWhileTheBoxHasTheFocus) {
    const std::int32_t spaceMiddle = 3 + TextWidth("a") + TextWidth("   ") / 2;
    script.Type("a   b")
        .Press('A', ModCtrl)
        .Check([&] {
            EXPECT_EQ(platform::headless::PixelAt(form->Handle(), At(*edit, spaceMiddle, 10)), 0x0078D7u);
            EXPECT_EQ(platform::headless::PixelAt(form->Handle(), At(*edit, 0, 0)), 0xA0A0A0u) << "the sunken bevel";
        })
        .Press(VK_TAB)
        .Check([&] {
            EXPECT_EQ(platform::headless::PixelAt(form->Handle(), At(*edit, spaceMiddle, 10)), 0xFFFFFFu)
                << "without the focus the selection does not show";
        });
    Run([&](TApplication& application) {
        Make(application);
        PumpUntilScriptEnds();
    });
}

}  // namespace
}  // namespace orvalis::test

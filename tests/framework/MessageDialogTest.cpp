// The message dialog: its layout from the font's average character size, captions,
// icons and buttons of both tables, the default and cancel buttons under the scripted
// user's Enter and Escape, the close box, Ctrl+C and the clipboard, the help button,
// and the dialog freed after each call.

#include <cairo.h>

#include "framework/Button.h"
#include "framework/HelpSystem.h"
#include "framework/Image.h"
#include "framework/Label.h"
#include "framework/MessageDialog.h"
#include "framework/Screen.h"
#include "graphics/Bitmap.h"
#include "platform/Clipboard.h"
#include "platform/Focus.h"
#include "platform/MessageBox.h"
#include "platform/Painting.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/headless/Inspection.h"
#include "tests/framework/FrameworkTest.h"

namespace orvalis::test {
namespace {

using platform::ModCtrl;
using platform::ModShift;
using platform::VK_ESCAPE;
using platform::VK_RETURN;
using platform::headless::WindowTarget;

constexpr std::string_view kDashes = "---------------------------\r\n";

// The average character size of the dialogs' font, measured apart from them.
TSize AverageCharSize() {
    cairo_t* context = platform::GetDC(0);
    TCanvas canvas;
    canvas.SetHandle(context);
    TFont font;
    canvas.SetFont(font);
    const TSize extent = canvas.TextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    canvas.SetHandle(nullptr);
    platform::ReleaseDC(0, context);
    return {extent.cx / 52, extent.cy};
}

// a × b / c, rounded (the numbers here are positive).
std::int32_t Scaled(std::int32_t a, std::int32_t b, std::int32_t c) { return (a * b + c / 2) / c; }

std::vector<TButton*> ButtonsOf(const TMessageForm& form) {
    std::vector<TButton*> buttons;
    for (int i = 0; i < form.ComponentCount(); ++i)
        if (auto* button = dynamic_cast<TButton*>(form.Components(i))) buttons.push_back(button);
    return buttons;
}

// The dialog on the screen now.
TMessageForm* ShownDialog() {
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (auto* form = dynamic_cast<TMessageForm*>(Screen->Forms(i)); form && form->Visible()) return form;
    return nullptr;
}

class MessageDialogs : public FrameworkTest {
protected:
    const TSize average = AverageCharSize();
    const std::int32_t horizontalMargin = Scaled(8, average.cx, 4);
    const std::int32_t verticalMargin = Scaled(8, average.cy, 8);
    const std::int32_t horizontalSpacing = Scaled(10, average.cx, 4);
};

TEST_F(MessageDialogs, AnErrorWithOKHasItsCaptionIconAndOneCentredButtonForEnterAndEscape) {
    Run([&](TApplication&) {
        const auto form = BuildMessageDialog("Fichier introuvable", dkError, DialogButtons({dbOK}));
        EXPECT_EQ(form->Caption(), "Erreur");
        EXPECT_EQ(form->BorderStyle(), bsDialog);
        const auto* image = dynamic_cast<TImage*>(form->FindComponent("Image"));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->BoundsRect(), (TRect{2 * average.cx, average.cy, 2 * average.cx + 32, average.cy + 32}));
        ASSERT_NE(form->Message, nullptr);
        EXPECT_EQ(form->Message->Caption(), "Fichier introuvable");
        EXPECT_EQ(form->Message->Left(), horizontalMargin + 32 + horizontalSpacing) << "the text beside the icon";
        EXPECT_EQ(form->Message->Top(), verticalMargin);
        const std::vector<TButton*> buttons = ButtonsOf(*form);
        ASSERT_EQ(buttons.size(), 1u);
        TButton& ok = *buttons[0];
        EXPECT_EQ(ok.Name(), "OK");
        EXPECT_EQ(ok.Caption(), "OK");
        EXPECT_EQ(ok.ModalResult(), mrOk);
        EXPECT_TRUE(ok.Default());
        EXPECT_TRUE(ok.Cancel());
        EXPECT_EQ(ok.Left(), (form->ClientWidth() - ok.Width()) / 2);
        EXPECT_EQ(ok.Top(), 32 + verticalMargin + Scaled(10, average.cy, 8)) << "below the icon, taller than the text";
        EXPECT_EQ(ok.Height(), Scaled(14, average.cy, 8));
        EXPECT_EQ(form->ClientHeight(), 32 + ok.Height() + Scaled(10, average.cy, 8) + 2 * verticalMargin);
    });

    script
        .Check([&] {
            const TMessageForm* dialog = ShownDialog();
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(platform::GetActiveWindow(), const_cast<TMessageForm*>(dialog)->Handle());
            const platform::Rect bounds = platform::GetWindowBounds(const_cast<TMessageForm*>(dialog)->Handle());
            EXPECT_EQ(bounds.left, (Screen->Width() - bounds.Width()) / 2) << "centred on the screen";
            EXPECT_EQ(bounds.top, (Screen->Height() - bounds.Height()) / 2);
            // The red stop sign above its white cross.
            EXPECT_EQ(platform::headless::PixelAt(const_cast<TMessageForm*>(dialog)->Handle(),
                                                  {2 * average.cx + 16, average.cy + 4}),
                      0xC82020u);
        })
        .Press(VK_RETURN)
        .Press(VK_ESCAPE);
    Run([&](TApplication& application) {
        const int forms = Screen->FormCount();
        const int components = application.ComponentCount();
        EXPECT_EQ(ShowMessageDialog("Fichier introuvable", dkError, DialogButtons({dbOK}), 0), mrOk) << "Enter";
        EXPECT_EQ(ShowMessageDialog("Fichier introuvable", dkError, DialogButtons({dbOK}), 0), mrOk) << "Escape";
        EXPECT_EQ(Screen->FormCount(), forms) << "each dialog is freed";
        EXPECT_EQ(application.ComponentCount(), components);
    });
}

TEST_F(MessageDialogs, YesIsTheDefaultAndNoTheCancelButton) {
    Run([&](TApplication&) {
        const auto form = BuildMessageDialog("Continuer ?", dkConfirmation, DialogButtons({dbYes, dbNo}));
        EXPECT_EQ(form->Caption(), "Confirmation");
        const std::vector<TButton*> buttons = ButtonsOf(*form);
        ASSERT_EQ(buttons.size(), 2u);
        EXPECT_EQ(buttons[0]->Name(), "Yes");
        EXPECT_EQ(buttons[0]->Caption(), "&Oui");
        EXPECT_TRUE(buttons[0]->Default());
        EXPECT_FALSE(buttons[0]->Cancel());
        EXPECT_EQ(buttons[1]->Name(), "No");
        EXPECT_EQ(buttons[1]->Caption(), "&Non");
        EXPECT_FALSE(buttons[1]->Default());
        EXPECT_TRUE(buttons[1]->Cancel());
        EXPECT_LT(buttons[0]->Left(), buttons[1]->Left());
        EXPECT_EQ(buttons[1]->Left() - buttons[0]->BoundsRect().Right, Scaled(4, average.cx, 4)) << "the spacing";
    });

    script.Press(VK_RETURN).Press(VK_ESCAPE).Press('N').Press(platform::VK_TAB).Press(VK_RETURN);
    Run([&](TApplication&) {
        const auto ask = [] {
            return ShowMessageDialog("Continuer ?", dkConfirmation, DialogButtons({dbYes, dbNo}), 0);
        };
        EXPECT_EQ(ask(), mrYes) << "Enter: the default button";
        EXPECT_EQ(ask(), mrNo) << "Escape: the cancel button";
        EXPECT_EQ(ask(), mrNo) << "the accelerator of \"&Non\"";
        EXPECT_EQ(ask(), mrNo) << "Enter: the button that has the focus";
    });
}

TEST_F(MessageDialogs, EveryKindHasItsCaptionAndACustomOneHasTheTitleAndNoIcon) {
    struct Case {
        TDialogKind kind;
        std::string_view caption;  // empty: the application's title
        bool icon;
    };
    const Case cases[] = {
        {dkWarning, "Avertissement", true},     {dkError, "Erreur", true}, {dkInformation, "Information", true},
        {dkConfirmation, "Confirmation", true}, {dkCustom, "", false},
    };
    Run([&](TApplication& application) {
        for (const Case& c : cases) {
            const auto form = BuildMessageDialog("Texte", c.kind, DialogButtons({dbOK}));
            EXPECT_EQ(form->Caption(), c.caption.empty() ? application.AppTitle() : String(c.caption));
            EXPECT_EQ(form->FindComponent("Image") != nullptr, c.icon) << c.kind;
            EXPECT_EQ(form->Message->Left(), c.icon ? horizontalMargin + 32 + horizontalSpacing : horizontalMargin);
        }
    });
}

TEST_F(MessageDialogs, TheIconsDifferByKind) {
    Run([&](TApplication&) {
        std::vector<std::uint32_t> centres;
        for (TDialogKind kind : {dkWarning, dkError, dkInformation, dkConfirmation}) {
            const auto form = BuildMessageDialog("Texte", kind, DialogButtons({dbOK}));
            auto* image = dynamic_cast<TImage*>(form->FindComponent("Image"));
            ASSERT_NE(image, nullptr);
            EXPECT_EQ(image->Picture()->Width(), 32);
            EXPECT_EQ(image->Picture()->Height(), 32);
            TBitmap& bitmap = image->Picture()->Bitmap();
            bitmap.SetPixelLayout(pl32Bit);
            const auto* row = reinterpret_cast<const std::uint32_t*>(bitmap.RowPointer(5));
            centres.push_back(row[16] & 0xFFFFFF);
        }
        EXPECT_EQ(centres, (std::vector<std::uint32_t>{0xFFCC00, 0xC82020, 0x2060D0, 0x2060D0}))
            << "yellow triangle, red sign, blue discs";
    });
}

TEST_F(MessageDialogs, WithoutButtonsOnlyTheCloseBoxEndsTheDialog) {
    script.Press(VK_RETURN).Press(VK_ESCAPE).CloseWindow(WindowTarget::Captioned("Information"));
    Run([&](TApplication&) {
        {
            const auto form = BuildMessageDialog("Rien à choisir", dkCustom, 0);
            EXPECT_TRUE(ButtonsOf(*form).empty());
            EXPECT_EQ(form->ClientWidth(), form->Message->Width() + 2 * horizontalMargin) << "the text's width alone";
        }
        EXPECT_EQ(ShowMessageDialog("Rien à choisir", dkInformation, 0, 0), mrCancel);
    });
}

TEST_F(MessageDialogs, ALongTextWrapsWithinHalfTheScreenAndAShortOneKeepsTheButtonRow) {
    Run([&](TApplication&) {
        std::string longText;
        for (int i = 0; i < 80; ++i) longText += "perspective ";
        const auto wide = BuildMessageDialog(longText, dkWarning, DialogButtons({dbOK}));
        EXPECT_LE(wide->Message->Width(), Screen->Width() / 2);
        EXPECT_GT(wide->Message->Width(), Screen->Width() / 2 - 100) << "the lines fill the room";
        EXPECT_GE(wide->Message->Height(), 3 * average.cy) << "broken into lines";
        EXPECT_EQ(wide->ClientHeight(),
                  wide->Message->Height() + Scaled(14, average.cy, 8) + Scaled(10, average.cy, 8) + 2 * verticalMargin);

        const auto narrow = BuildMessageDialog("?", dkCustom, DialogButtons({dbYes, dbNo, dbCancel}));
        const std::vector<TButton*> buttons = ButtonsOf(*narrow);
        ASSERT_EQ(buttons.size(), 3u);
        EXPECT_EQ(buttons.front()->Left(), horizontalMargin) << "the row of buttons sets the width";
        EXPECT_EQ(narrow->ClientWidth() - buttons.back()->BoundsRect().Right, horizontalMargin);
    });
}

TEST_F(MessageDialogs, ACachedButtonWidthIsNeverMeasuredAgain) {
    Run([&](TApplication&) {
        const std::int32_t kept = ButtonWidthCache[dbAll];
        ButtonWidthCache[dbAll] = 200;
        const auto form = BuildMessageDialog("Texte", dkCustom, DialogButtons({dbAll, dbOK}));
        ButtonWidthCache[dbAll] = kept;
        for (TButton* button : ButtonsOf(*form)) EXPECT_EQ(button->Width(), 200) << "every button takes the widest";

        const auto measured = BuildMessageDialog("Texte", dkCustom, DialogButtons({dbYesToAll}));
        EXPECT_GT(ButtonWidthCache[dbYesToAll], 8) << "measured once shown";
        EXPECT_EQ(ButtonsOf(*measured).front()->Width(),
                  std::max(Scaled(50, average.cx, 4), ButtonWidthCache[dbYesToAll]));
    });
}

TEST_F(MessageDialogs, CtrlCPutsTheFramedTextOnTheClipboardAndCtrlShiftCDoesNothing) {
    script.Press('C', ModCtrl)
        .Check([&] {
            EXPECT_EQ(backend.Clipboard(), std::string(kDashes) + "Erreur\r\n" + std::string(kDashes) +
                                               "Fichier introuvable\r\n" + std::string(kDashes) + "OK   \r\n" +
                                               std::string(kDashes));
            EXPECT_EQ(backend.Beeps(), 1);
            ASSERT_TRUE(platform::SetClipboardText("avant"));
        })
        .Press('C', ModCtrl | ModShift)
        .Check([&] {
            EXPECT_EQ(backend.Clipboard(), "avant");
            EXPECT_EQ(backend.Beeps(), 1);
            ASSERT_NE(ShownDialog(), nullptr) << "copying does not close";
        })
        .Press(VK_RETURN)
        .Press('C', ModCtrl)
        .Check([&] {
            EXPECT_EQ(backend.Clipboard(), std::string(kDashes) + "Confirmation\r\n" + std::string(kDashes) +
                                               "Un & deux\r\n" + std::string(kDashes) + "Oui   Non   \r\n" +
                                               std::string(kDashes))
                << "the message as it is, the buttons without \"&\"";
        })
        .Press(VK_ESCAPE);
    Run([&](TApplication&) {
        ShowMessageDialog("Fichier introuvable", dkError, DialogButtons({dbOK}), 0);
        ShowMessageDialog("Un & deux", dkConfirmation, DialogButtons({dbYes, dbNo}), 0);
    });
}

TEST_F(MessageDialogs, AClipboardThatCannotBeHadIsReportedAndTheDialogStays) {
    backend.SetClipboardAvailable(false);
    script.Press('C', ModCtrl)
        .AnswerMessageBox(platform::IDOK)
        .Check([&] { EXPECT_NE(ShownDialog(), nullptr); })
        .Press(VK_ESCAPE);
    Run([&](TApplication& application) {
        EXPECT_EQ(ShowMessageDialog("Texte", dkInformation, DialogButtons({dbOK, dbCancel}), 0), mrCancel);
        EXPECT_EQ(Boxes(), (std::vector<std::pair<std::string, std::string>>{
                               {application.AppTitle().ToStdString(), "Impossible d'ouvrir le Presse-papiers."}}));
    });
}

TEST_F(MessageDialogs, TheHelpButtonAsksForTheHelpContextAndDoesNotClose) {
    std::vector<std::int32_t> asked;
    SetHelpHandler([&](std::int32_t context) { asked.push_back(context); });
    struct Restore {
        ~Restore() { SetHelpHandler({}); }
    } restore;
    script.Press('A').Check([&] {
        EXPECT_EQ(asked, (std::vector<std::int32_t>{42}));
        TMessageForm* dialog = ShownDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->ModalResult(), mrNone);
        TButton* help = dynamic_cast<TButton*>(dialog->FindComponent("Help"));
        ASSERT_NE(help, nullptr);
        EXPECT_EQ(help->Caption(), "&Aide");
        script.Click(WindowTarget::Captioned("Information"), {help->Left() + 5, help->Top() + 5})
            .Check([&] {
                EXPECT_EQ(asked, (std::vector<std::int32_t>{42, 42}));
            })
            .Press(VK_RETURN)
            .Check([&] {
                EXPECT_EQ(asked, (std::vector<std::int32_t>{42, 42, 42})) << "Enter: the focused help";
            })
            .Press(VK_ESCAPE);
    });
    Run([&](TApplication&) {
        EXPECT_EQ(ShowMessageDialog("Texte", dkInformation, DialogButtons({dbOK, dbHelp}), 42), mrOk);
    });
}

}  // namespace
}  // namespace orvalis::test

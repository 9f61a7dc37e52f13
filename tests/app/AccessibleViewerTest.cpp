// The running viewer as assistive tools see it on the headless backend: the options
// dialog's controls with their roles, names, states, texts, value and actions; the
// dialog driven through the tools as clicks, typing and the arrows drive it; the main
// window's picture named by the view in the caption.

#include <string>
#include <vector>

#include "app/MainOrvalis.h"
#include "app/UOptions.h"
#include "framework/Edit.h"
#include "framework/Timer.h"
#include "platform/Accessibility.h"
#include "platform/VirtualKeys.h"
#include "platform/headless/Inspection.h"
#include "tests/app/ViewerTest.h"

namespace orvalis::test {
namespace {

using platform::AccessibleRequest;
using platform::AccessibleRole;
using platform::headless::AccessibleOutline;
using platform::headless::WindowTarget;
using Kind = AccessibleRequest::Kind;
using Lines = std::vector<std::string>;

class AccessibleViewer : public ViewerTest {
protected:
    AccessibleViewer() {
        for (int number = 1; number <= 3; ++number)
            WriteSolidJpeg(folder / ("vue" + std::to_string(number) + ".jpg"), 4, 4, 0x808080);
        script.AnswerFileDialog(folder / "vue1.jpg");
    }

    static WindowTarget Dialog() { return WindowTarget::Captioned("Options de visualisation"); }
    void ShowOptions() { script.ChooseMenu(WindowTarget::Active(), {"Options"}); }
    void Ask(AccessibleRole role, const std::string& name, AccessibleRequest request) {
        script.UseAssistiveTool(Dialog(), role, name, std::move(request));
    }
    void Press(AccessibleRole role, const std::string& name) { Ask(role, name, {{}, Kind::DoAction, {}, 0}); }
    static Lines Outline(TForm* form) { return AccessibleOutline(platform::DescribeWindow(form->Handle())); }
    std::string ViewCaption(int number) const {
        return "Fichier " + (folder / "vue") + " Dessin de la vue n° " + std::to_string(number);
    }
};

TEST_F(AccessibleViewer, TheOptionsDialogShowsEachControlWithItsRoleNameStatesAndAction) {
    Lines dialog, main;
    ShowOptions();
    script.Check([&] {
        dialog = Outline(Options);
        main = Outline(Orvalis);
    });
    script.Advance(3000).Check([&] {
        EXPECT_EQ(Outline(Orvalis).at(1), R"(  image ")" + ViewCaption(1) + R"(" [showing])")
            << "the picture is named by the view that the caption names";
    });
    Press(AccessibleRole::PushButton, "Annuler");
    script.Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);

    EXPECT_EQ(dialog,
              (Lines{
                  R"(dialog "Options de visualisation" [showing enabled modal])",
                  R"(  label "Délai entre chaque vue" [showing enabled])",
                  // The edit box with its up-down, one spin button; entered by the keyboard:
                  // the text selected, the caret at its end.
                  R"(  spin button "Délai entre chaque vue" [showing enabled focusable focused editable] text "3" at 1)"
                  R"( selected 0..1 value 3 in 1..20)",
                  R"(  panel "Mode de défilement" [showing enabled])",
                  R"(    radio button "Continu" [showing enabled focusable checked] click)",
                  R"(    radio button "Arrêt sur image" [showing enabled focusable] click)",
                  R"(  push button "OK" [showing enabled focusable] click)",
                  R"(  push button "Annuler" [showing enabled focusable] click)",
              }));
    // Behind the modal dialog the main window takes no input.
    EXPECT_EQ(main, (Lines{
                        R"(frame "Orvalis" [showing])",
                        R"(  image "Orvalis" [showing])",
                    }));
}

TEST_F(AccessibleViewer, TheToolsChooseTheModeTypeTheDelayAndStepItAsTheUserDoes) {
    ShowOptions();
    Press(AccessibleRole::RadioButton, "Arrêt sur image");
    script.Check([&] {
        const Lines outline = Outline(Options);
        EXPECT_EQ(outline.at(4), R"(    radio button "Continu" [showing enabled focusable] click)");
        EXPECT_EQ(outline.at(5),
                  R"(    radio button "Arrêt sur image" [showing enabled focusable focused checked] click)")
            << "chosen and focused, as by a click";
    });
    Press(AccessibleRole::PushButton, "OK");
    script.Check([] {
        EXPECT_FALSE(Options->Visible());
        EXPECT_EQ(Orvalis->Timer1->Interval(), 2147483647u);
        EXPECT_TRUE(Orvalis->ArretSurImage);
    });

    // A text set through the tools, as if typed over the whole text.
    ShowOptions();
    Ask(AccessibleRole::SpinButton, "Délai entre chaque vue", {{}, Kind::SetText, "7", 0});
    Press(AccessibleRole::RadioButton, "Continu");
    Press(AccessibleRole::PushButton, "OK");
    script.Check([] {
        EXPECT_EQ(Orvalis->Timer1->Interval(), 7000u);
        EXPECT_FALSE(Orvalis->ArretSurImage);
    });

    // The spin button's value, kept within its bounds and shown in the box; Annuler then
    // applies nothing, and the box keeps what it shows.
    ShowOptions();
    Ask(AccessibleRole::SpinButton, "Délai entre chaque vue", {{}, Kind::SetValue, {}, 40});
    script.Check([] {
        EXPECT_EQ(Options->eTimer->Text(), "20");
        // The dialog came back with the focus on OK, which closed it.
        EXPECT_EQ(Outline(Options).at(2),
                  R"(  spin button "Délai entre chaque vue" [showing enabled focusable editable] text "20" at 2)"
                  R"( value 20 in 1..20)");
    });
    Ask(AccessibleRole::SpinButton, "Délai entre chaque vue", {{}, Kind::SetValue, {}, 12});
    Press(AccessibleRole::PushButton, "Annuler");
    script.Check([] {
        EXPECT_FALSE(Options->Visible());
        EXPECT_EQ(Orvalis->Timer1->Interval(), 7000u);
        EXPECT_EQ(Options->eTimer->Text(), "12");
    });
    script.Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

TEST_F(AccessibleViewer, AReadOnlyBoxTakesNoTextFromTheTools) {
    ShowOptions();
    script.Check([] { Options->eTimer->SetReadOnly(true); });
    Ask(AccessibleRole::SpinButton, "Délai entre chaque vue", {{}, Kind::SetText, "9", 0});
    script.Check([] {
        EXPECT_EQ(Options->eTimer->Text(), "3");
        EXPECT_EQ(
            Outline(Options).at(2),
            R"(  spin button "Délai entre chaque vue" [showing enabled focusable focused] text "3" at 1 selected 0..1)"
            R"( value 3 in 1..20)")
            << "not editable";
    });
    Press(AccessibleRole::PushButton, "Annuler");
    script.Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

}  // namespace
}  // namespace orvalis::test

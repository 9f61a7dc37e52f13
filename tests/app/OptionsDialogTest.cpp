// The options dialog in the running viewer: the delay set with the arrows or typed, the
// period restarted from OK only when it changes, "Arrêt sur image" leaving the views to
// the keys, Annuler applying nothing while the dialog keeps what was typed, and the
// lenient reading of the typed delay.

#include <string>
#include <vector>

#include "app/MainOrvalis.h"
#include "app/UOptions.h"
#include "framework/Button.h"
#include "framework/Edit.h"
#include "framework/RadioGroup.h"
#include "framework/Timer.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "tests/app/ViewerTest.h"

namespace orvalis::test {
namespace {

using platform::headless::WindowTarget;

class OptionsDialog : public ViewerTest {
protected:
    // A series long enough that every advance shows a view: NumVue counts them.
    OptionsDialog() {
        for (int number = 1; number <= 12; ++number)
            WriteSolidJpeg(folder / ("vue" + std::to_string(number) + ".jpg"), 4, 4, 0x808080);
        script.AnswerFileDialog(folder / "vue1.jpg");
    }

    static WindowTarget Dialog() { return WindowTarget::Captioned("Options de visualisation"); }
    void ShowOptions() { script.ChooseMenu(WindowTarget::Active(), {"Options"}); }
    // Points of the dialog's client area, from the form's layout.
    void ClickOK() { script.Click(Dialog(), {45, 116}); }
    void ClickAnnuler() { script.Click(Dialog(), {133, 116}); }
    void ClickUpArrow() { script.Click(Dialog(), {160, 12}); }
    void TypeDelay(const std::string& text) {
        script.Click(Dialog(), {140, 18}).Press('A', platform::ModCtrl).Type(text);
    }
    // The group's items lie below its caption, one above the other.
    void ChooseMode(int item) {
        const platform::Point inGroup{40, item == 0 ? 23 : 42};
        script
            .Check([=] {
                const TRect rect = Options->RadioGroup1->ItemRect(item);
                ASSERT_TRUE(inGroup.x >= rect.Left && inGroup.x < rect.Right && inGroup.y >= rect.Top &&
                            inGroup.y < rect.Bottom);
            })
            .Click(Dialog(), {24 + inGroup.x, 40 + inGroup.y});
    }
    void ExpectViews(int shown) {
        script.Check([=] { EXPECT_EQ(Orvalis->NumVue, shown + 1) << "views shown"; });
    }
};

TEST_F(OptionsDialog, TenSecondsChosenWithTheArrowsTickFromTheOK) {
    script.Advance(1000);
    ShowOptions();
    script.Check([] {
        EXPECT_TRUE(Options->Visible());
        EXPECT_EQ(Options->eTimer->Text(), "3");
        EXPECT_EQ(Options->RadioGroup1->ItemIndex(), 0);
    });
    for (int step = 0; step < 7; ++step) ClickUpArrow();
    script.Check([] { EXPECT_EQ(Options->eTimer->Text(), "10"); });
    // The views go on behind the dialog: its loop dispatches the ticks.
    script.Advance(3000);
    ExpectViews(1);
    ClickOK();
    script.Check([] {
        EXPECT_FALSE(Options->Visible());
        EXPECT_EQ(Orvalis->Timer1->Interval(), 10000u);
        EXPECT_FALSE(Orvalis->ArretSurImage);
    });
    script.Advance(9999);
    ExpectViews(1);
    script.Advance(1);
    ExpectViews(2);
    script.Advance(10000);
    ExpectViews(3);
    script.Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

// The desktop keeps the dialog over the window it was opened from.
TEST_F(OptionsDialog, TheDialogBelongsToTheMainWindow) {
    ShowOptions();
    script.Check([&] {
        const platform::HWND dialog = Options->Handle();
        EXPECT_EQ(platform::GetWindowOwner(dialog), Orvalis->Handle());
        ASSERT_NE(backend.NativeWindow(dialog), nullptr);
        EXPECT_EQ(backend.NativeWindow(dialog)->owner, Orvalis->Handle());
        EXPECT_EQ(platform::GetWindowOwner(Orvalis->Handle()), 0u);
    });
    ClickOK();
    script.Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

TEST_F(OptionsDialog, OKWithoutAChangeLeavesThePeriodRunning) {
    script.Advance(2000);
    ShowOptions();
    ClickOK();
    script.Check([] { EXPECT_EQ(Orvalis->Timer1->Interval(), 3000u); });
    script.Advance(999);
    ExpectViews(0);
    script.Advance(1);
    ExpectViews(1);
    script.Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

TEST_F(OptionsDialog, ArretSurImageLeavesTheViewsToTheKeysUntilContinuComesBack) {
    ShowOptions();
    ChooseMode(1);
    ClickOK();
    script.Check([] {
        EXPECT_EQ(Orvalis->Timer1->Interval(), 2147483647u);
        EXPECT_TRUE(Orvalis->ArretSurImage);
    });
    script.Advance(60000);
    ExpectViews(0);
    script.Press('X');
    ExpectViews(1);
    // Back to "Continu" with 5 seconds.
    ShowOptions();
    ChooseMode(0);
    TypeDelay("5");
    ClickOK();
    script.Check([] {
        EXPECT_EQ(Orvalis->Timer1->Interval(), 5000u);
        EXPECT_FALSE(Orvalis->ArretSurImage);
    });
    script.Advance(4999);
    ExpectViews(1);
    script.Advance(1);
    ExpectViews(2);
    script.Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

TEST_F(OptionsDialog, AnnulerAppliesNothingAndTheDialogKeepsWhatWasTyped) {
    ShowOptions();
    TypeDelay("15");
    ChooseMode(1);
    // Neither button is the cancel button: Escape presses none.
    script.Press(platform::VK_ESCAPE).Check([] { EXPECT_TRUE(Options->Visible()); });
    ClickAnnuler();
    script.Check([] {
        EXPECT_FALSE(Options->Visible());
        EXPECT_EQ(Orvalis->Timer1->Interval(), 3000u);
        EXPECT_FALSE(Orvalis->ArretSurImage);
    });
    script.Advance(3000);
    ExpectViews(1);
    ShowOptions();
    script.Check([] {
        EXPECT_EQ(Options->eTimer->Text(), "15");
        EXPECT_EQ(Options->RadioGroup1->ItemIndex(), 1);
    });
    // The close box is Annuler too.
    script.CloseWindow(Dialog()).Check([] {
        EXPECT_FALSE(Options->Visible());
        EXPECT_EQ(Orvalis->Timer1->Interval(), 3000u);
    });
    script.Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

TEST_F(OptionsDialog, TheTypedDelayIsReadUpToItsFirstNonDigitAndMultipliedIn32Bits) {
    struct Case {
        const char* typed;
        std::uint32_t interval;
    };
    const Case cases[] = {
        {"7", 7000}, {"  12", 12000}, {"2.5", 2000},       {"7s", 7000},     {"+4", 4000},
        {"abc", 0},  {"", 0},         {"-1", 4294966296u}, {"4294968", 704}, {"20", 20000},
    };
    script.Check([&] {
        for (const Case& c : cases) {
            Options->eTimer->SetText(c.typed);
            Options->OKClick(Options->OK);
            EXPECT_EQ(Orvalis->Timer1->Interval(), c.interval) << '"' << c.typed << '"';
            EXPECT_FALSE(Orvalis->ArretSurImage);
            EXPECT_EQ(Options->ModalResult(), 6);
        }
        Options->AnnulerClick(Options->Annuler);
        EXPECT_EQ(Options->ModalResult(), 2);
        Options->SetModalResult(0);
    });
    script.Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

}  // namespace
}  // namespace orvalis::test

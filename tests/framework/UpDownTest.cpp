// TUpDown: stepping between Min and Max with and without wrapping, from the number
// typed in the associated edit box, by Increment, by clicks on its two halves and by
// Up and Down in the edit box; its OnClick; and the association undone when either
// control goes.

#include "framework/Edit.h"
#include "framework/UpDown.h"
#include "platform/Focus.h"
#include "platform/VirtualKeys.h"
#include "runtime/TextConversions.h"
#include "tests/framework/DialogControlsFixture.h"

namespace orvalis::test {
namespace {

struct Steps : TObject {
    void Clicked(TObject*, TUDBtnType button) { buttons.push_back(button); }
    std::vector<TUDBtnType> buttons;
};

class UpDowns : public DialogControls {
protected:
    void Make(TApplication& application) {
        form = MakeForm(application);
        edit = Add<TEdit>(*form, "Delai", {10, 10, 35, 31});
        upDown = Add<TUpDown>(*form, "Fleches", {35, 10, 50, 31});
        upDown->SetMin(1);
        upDown->SetMax(20);
        upDown->SetPosition(3);
        upDown->SetAssociate(edit);
        upDown->OnClick = TUDClickEvent(&steps, &Steps::Clicked);
    }
    TForm* form = nullptr;
    TEdit* edit = nullptr;
    TUpDown* upDown = nullptr;
    Steps steps;
};

TEST_F(UpDowns, StepsStopAtTheEndsOrGoRoundWithWrap) {
    struct Case {
        std::string_view typed;
        TUDBtnType button;
        bool wrap;
        std::int32_t increment;
        std::string_view shown;
    };
    const Case cases[] = {
        {"3", btNext, false, 1, "4"},   {"3", btPrev, false, 1, "2"},  {"20", btNext, false, 1, "20"},
        {"1", btPrev, false, 1, "1"},   {"20", btNext, true, 1, "1"},  {"1", btPrev, true, 1, "20"},
        {"18", btNext, false, 5, "20"}, {"18", btNext, true, 5, "1"},  {" 7 ", btNext, false, 1, "8"},
        {"25", btPrev, false, 1, "19"}, {"-3", btNext, false, 1, "2"}, {"abc", btNext, false, 1, "4"},
        {"7s", btNext, false, 1, "4"},  {"", btPrev, false, 1, "2"},
    };
    Run([&](TApplication& application) {
        Make(application);
        EXPECT_EQ(edit->Text(), "3") << "associating shows the position";
        for (const Case& c : cases) {
            upDown->SetPosition(3);
            upDown->SetWrap(c.wrap);
            upDown->SetIncrement(c.increment);
            edit->SetText(String(c.typed));
            upDown->Step(c.button);
            EXPECT_EQ(edit->Text(), String(c.shown))
                << "\"" << c.typed << "\" " << (c.button == btNext ? "up" : "down");
            EXPECT_EQ(IntToStr(upDown->Position()), String(c.shown));
        }
    });
}

TEST_F(UpDowns, ThePositionStaysInTheRangeAndShowsInTheBox) {
    Run([&](TApplication& application) {
        Make(application);
        upDown->SetPosition(40);
        EXPECT_EQ(upDown->Position(), 20);
        EXPECT_EQ(edit->Text(), "20");
        upDown->SetPosition(-5);
        EXPECT_EQ(upDown->Position(), 1);
        EXPECT_EQ(edit->Text(), "1");
    });
}

TEST_F(UpDowns, ClicksOnTheHalvesAndTheArrowKeysOfTheBoxStep) {
    Run([&](TApplication& application) {
        Make(application);
        form->Show();
        script.Click(Window(), At(*upDown, 7, 3))
            .Click(Window(), At(*upDown, 7, 3))
            .Click(Window(), At(*upDown, 7, 18))
            .Check([&] {
                EXPECT_EQ(edit->Text(), "4");
                EXPECT_EQ(platform::GetFocus(), edit->Handle()) << "the focus stays in the box";
            })
            .Press(platform::VK_UP)
            .Press(platform::VK_UP)
            .Press(platform::VK_DOWN)
            .Check([&] {
                EXPECT_EQ(edit->Text(), "5");
                EXPECT_EQ(steps.buttons, (std::vector<TUDBtnType>{btNext, btNext, btPrev, btNext, btNext, btPrev}));
                upDown->SetArrowKeys(false);
            })
            .Press(platform::VK_UP)
            .Check([&] { EXPECT_EQ(edit->Text(), "5") << "without ArrowKeys the box keeps its arrows"; })
            .Check([&] { upDown->SetOrientation(udHorizontal); })
            .Click(Window(), At(*upDown, 12, 10))
            .Click(Window(), At(*upDown, 2, 10))
            .Click(Window(), At(*upDown, 2, 10))
            .Check([&] { EXPECT_EQ(edit->Text(), "4") << "horizontal: the right half steps up"; });
        PumpUntilScriptEnds();
    });
}

TEST_F(UpDowns, TheAssociationGoesWithEitherControl) {
    script.Press(platform::VK_UP).Check([&] { EXPECT_EQ(edit->Text(), "3") << "no up-down control any more"; });
    Run([&](TApplication& application) {
        Make(application);
        auto* other = Add<TEdit>(*form, "Autre", {100, 10, 150, 31});
        upDown->SetAssociate(other);
        EXPECT_EQ(other->Text(), "3");
        upDown->Step(btNext);
        EXPECT_EQ(edit->Text(), "3") << "the first box is let go";
        delete other;
        EXPECT_EQ(upDown->Associate(), nullptr);
        upDown->Step(btNext);
        EXPECT_EQ(upDown->Position(), 5);

        upDown->SetAssociate(edit);
        delete upDown;
        edit->SetText("3");
        form->Show();
        PumpUntilScriptEnds();
    });
}

}  // namespace
}  // namespace orvalis::test

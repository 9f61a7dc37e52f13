// TRadioGroup: the chosen item kept within the items, the user's choices with the
// arrow keys, the mouse and the accelerators (OnClick only for a change), the layout
// of the items in columns, and the dot of the chosen item.

#include "framework/Button.h"
#include "framework/RadioGroup.h"
#include "platform/Focus.h"
#include "platform/NativeInput.h"
#include "platform/VirtualKeys.h"
#include "platform/headless/Inspection.h"
#include "tests/framework/DialogControlsFixture.h"

namespace orvalis::test {
namespace {

using platform::VK_DOWN;
using platform::VK_LEFT;
using platform::VK_RIGHT;
using platform::VK_UP;

struct Choices : TObject {
    void Clicked(TObject* sender) { indexes.push_back(static_cast<TRadioGroup*>(sender)->ItemIndex()); }
    std::vector<std::int32_t> indexes;
};

class RadioGroups : public DialogControls {
protected:
    // A group of three items, none chosen, focused first; a button after it.
    void Make(TApplication& application) {
        form = MakeForm(application);
        group = Add<TRadioGroup>(*form, "Mode", {10, 10, 160, 90});
        group->SetCaption("Mode de défilement");
        group->Items()->Add("&Continu");
        group->Items()->Add("Arrêt sur image");
        group->Items()->Add("&Pas à pas");
        group->OnClick = TNotifyEvent(&choices, &Choices::Clicked);
        button = Add<TButton>(*form, "Bouton", {10, 100, 85, 125});
    }
    platform::Point ItemPoint(std::int32_t index) {
        const TRect item = group->ItemRect(index);
        return At(*group, item.Left + 20, item.Top + item.Height() / 2);
    }
    TForm* form = nullptr;
    TRadioGroup* group = nullptr;
    TButton* button = nullptr;
    Choices choices;
};

TEST_F(RadioGroups, TheChosenItemStaysWithinTheItems) {
    Run([&](TApplication& application) {
        Make(application);
        EXPECT_EQ(group->ItemIndex(), -1);
        group->SetItemIndex(7);
        EXPECT_EQ(group->ItemIndex(), 2);
        group->SetItemIndex(-4);
        EXPECT_EQ(group->ItemIndex(), -1);
        group->SetItemIndex(1);
        group->Items()->Delete(2);
        group->Items()->Delete(1);
        EXPECT_EQ(group->ItemIndex(), 0) << "the items shrank under it";
        EXPECT_TRUE(choices.indexes.empty()) << "the program's changes fire no OnClick";
    });
}

TEST_F(RadioGroups, TheArrowsMoveTheChoiceRoundTheItems) {
    script.Press(VK_DOWN).Press(VK_DOWN).Press(VK_RIGHT).Press(VK_DOWN).Press(VK_UP).Press(VK_LEFT).Check([&] {
        EXPECT_EQ(choices.indexes, (std::vector<std::int32_t>{0, 1, 2, 0, 2, 1}));
        EXPECT_EQ(platform::GetFocus(), group->Handle()) << "the arrows stay in the group";
    });
    Run([&](TApplication& application) {
        Make(application);
        form->Show();
        PumpUntilScriptEnds();
    });
}

TEST_F(RadioGroups, AClickOnAnItemChoosesItAndAnAcceleratorToo) {
    Run([&](TApplication& application) {
        Make(application);
        form->Show();
        script.Press(platform::VK_TAB)
            .Click(Window(), ItemPoint(1))
            .Check([&] {
                EXPECT_EQ(group->ItemIndex(), 1);
                EXPECT_EQ(platform::GetFocus(), group->Handle()) << "a click focuses the group";
            })
            .Click(Window(), ItemPoint(1))
            .Check([&] {
                EXPECT_EQ(choices.indexes, (std::vector<std::int32_t>{1})) << "the same item again is no change";
                platform::native::MouseButtonEvent(form->Handle(), ItemPoint(0), platform::native::MouseButton::Left,
                                                   true, false, 0);
                platform::native::MouseMoveEvent(form->Handle(), ItemPoint(2), 0);
                platform::native::MouseButtonEvent(form->Handle(), ItemPoint(2), platform::native::MouseButton::Left,
                                                   false, false, 0);
            })
            .Check([&] { EXPECT_EQ(group->ItemIndex(), 1) << "pressed on one item, released on another"; })
            .Press(platform::VK_TAB)
            .Type("p")
            .Check([&] {
                EXPECT_EQ(group->ItemIndex(), 2) << "the accelerator of \"&Pas à pas\"";
                EXPECT_EQ(platform::GetFocus(), group->Handle());
            });
        PumpUntilScriptEnds();
    });
}

TEST_F(RadioGroups, ItemsShareTheRoomBelowTheCaptionColumnByColumn) {
    Run([&](TApplication& application) {
        Make(application);
        group->SetBounds(0, 0, 210, 57);
        group->Items()->Add("Quatre");
        group->SetColumns(2);
        // 57 high, lines of 13: 39 pixels for two rows of 19, from 14 down; columns of 100.
        EXPECT_EQ(group->ItemRect(0), (TRect{8, 14, 108, 33}));
        EXPECT_EQ(group->ItemRect(1), (TRect{8, 33, 108, 52}));
        EXPECT_EQ(group->ItemRect(2), (TRect{108, 14, 208, 33}));
        EXPECT_EQ(group->ItemRect(3), (TRect{108, 33, 208, 52}));
    });
}

TEST_F(RadioGroups, TheChosenItemIsDotted) {
    const auto buttonCentre = [&](std::int32_t index) {
        const TRect item = group->ItemRect(index);
        return platform::headless::PixelAt(form->Handle(),
                                           At(*group, item.Left + 6, item.Top + (item.Height() - 13) / 2 + 6));
    };
    script.Press(VK_DOWN).Check([&] {
        EXPECT_EQ(buttonCentre(0), 0x000000u);
        EXPECT_EQ(buttonCentre(1), 0xFFFFFFu);
    });
    Run([&](TApplication& application) {
        Make(application);
        form->Show();
        PumpUntilScriptEnds();
    });
}

}  // namespace
}  // namespace orvalis::test

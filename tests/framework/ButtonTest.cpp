// TButton under the scripted user: Space and Enter on the focused button, the default
// button while no button has the focus, the cancel button for Escape, modifiers that
// keep Enter from pressing, the accelerator, the mouse click rule, the modal result,
// and the look of the active button.

#include "framework/Button.h"
#include "framework/Edit.h"
#include "platform/Focus.h"
#include "platform/NativeInput.h"
#include "platform/VirtualKeys.h"
#include "platform/headless/Inspection.h"
#include "tests/framework/DialogControlsFixture.h"

namespace orvalis::test {
namespace {

using platform::VK_ESCAPE;
using platform::VK_RETURN;
using platform::VK_SPACE;
using platform::VK_TAB;

struct Clicks : TObject {
    void Clicked(TObject* sender) { names.push_back(static_cast<TComponent*>(sender)->Name().ToStdString()); }
    std::vector<std::string> names;
};

class Buttons : public DialogControls {
protected:
    // An edit box (focused first), then "&Valider" (the default button) and "Fermer"
    // (the cancel button).
    void Make(TApplication& application) {
        form = MakeForm(application);
        edit = Add<TEdit>(*form, "Saisie", {10, 10, 110, 31});
        valider = Add<TButton>(*form, "Valider", {10, 50, 85, 75});
        fermer = Add<TButton>(*form, "Fermer", {100, 50, 175, 75});
        valider->SetCaption("&Valider");
        valider->SetDefault(true);
        fermer->SetCaption("Fermer");
        fermer->SetCancel(true);
        for (TButton* button : {valider, fermer}) button->OnClick = TNotifyEvent(&clicks, &Clicks::Clicked);
    }
    TForm* form = nullptr;
    TEdit* edit = nullptr;
    TButton* valider = nullptr;
    TButton* fermer = nullptr;
    Clicks clicks;
};

TEST_F(Buttons, TheKeysPressTheActiveTheFocusedAndTheCancelButton) {
    script
        .Check([&] {
            EXPECT_EQ(platform::GetFocus(), edit->Handle());
            EXPECT_TRUE(valider->Active()) << "no button has the focus: the default one";
            EXPECT_FALSE(fermer->Active());
        })
        .Press(VK_RETURN)
        .Press(VK_ESCAPE)
        .Press(VK_RETURN, platform::ModShift)
        .Press(VK_ESCAPE, platform::ModCtrl)
        .Check([&] {
            EXPECT_EQ(clicks.names, (std::vector<std::string>{"Valider", "Fermer"}));
        })
        .Press(VK_TAB)
        .Press(VK_TAB)
        .Check([&] {
            EXPECT_EQ(platform::GetFocus(), fermer->Handle());
            EXPECT_TRUE(fermer->Active());
            EXPECT_FALSE(valider->Active()) << "a focused button takes the role of the default one";
        })
        .Press(VK_RETURN)
        .Press(VK_SPACE)
        .Check([&] {
            EXPECT_EQ(clicks.names, (std::vector<std::string>{"Valider", "Fermer", "Fermer", "Fermer"}));
        })
        .Type("v")
        .Check([&] {
            EXPECT_EQ(clicks.names.back(), "Valider") << "the accelerator, from a control that takes no characters";
        });
    Run([&](TApplication& application) {
        Make(application);
        form->Show();
        PumpUntilScriptEnds();
    });
}

TEST_F(Buttons, AClickIsAPressAndAReleaseOverTheButton) {
    Run([&](TApplication& application) {
        Make(application);
        form->Show();
        script.Click(Window(), At(*fermer, 5, 5))
            .Check([&] {
                EXPECT_EQ(clicks.names, (std::vector<std::string>{"Fermer"}));
                EXPECT_EQ(platform::GetFocus(), fermer->Handle()) << "a click focuses the button";
            })
            .Check([&] {
                platform::native::MouseButtonEvent(form->Handle(), At(*valider, 5, 5),
                                                   platform::native::MouseButton::Left, true, false, 0);
                platform::native::MouseMoveEvent(form->Handle(), At(*valider, 5, 40), 0);
                platform::native::MouseButtonEvent(form->Handle(), At(*valider, 5, 40),
                                                   platform::native::MouseButton::Left, false, false, 0);
            })
            .Check(
                [&] { EXPECT_EQ(clicks.names, (std::vector<std::string>{"Fermer"})) << "released outside: no click"; });
        PumpUntilScriptEnds();
    });
}

TEST_F(Buttons, TheModalResultEndsTheModalFormAfterOnClick) {
    Run([&](TApplication& application) {
        Make(application);
        script.Click(Window(), At(*valider, 5, 5));
        valider->SetModalResult(mrOk);
        EXPECT_EQ(form->ShowAsModal(), mrOk);
        EXPECT_EQ(clicks.names, (std::vector<std::string>{"Valider"}));
    });
}

TEST_F(Buttons, TheActiveButtonShowsADarkFrame) {
    const auto corner = [&](TButton* button) { return platform::headless::PixelAt(form->Handle(), At(*button, 0, 0)); };
    script
        .Check([&] {
            EXPECT_EQ(corner(valider), 0x696969u) << "the default button's frame";
            EXPECT_EQ(corner(fermer), 0xFFFFFFu) << "a raised bevel";
        })
        .Press(VK_TAB)
        .Press(VK_TAB)
        .Check([&] {
            EXPECT_EQ(corner(valider), 0xFFFFFFu);
            EXPECT_EQ(corner(fermer), 0x696969u);
        });
    Run([&](TApplication& application) {
        Make(application);
        form->Show();
        PumpUntilScriptEnds();
    });
}

}  // namespace
}  // namespace orvalis::test

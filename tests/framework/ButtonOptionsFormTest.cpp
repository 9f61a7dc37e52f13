// An options dialog built from its resource (forms/TestOptions.form) with the
// framework's controls, shown modally under a scripted user: typing the delay, the
// up-down control between 1 and 20, the radio group, Tab through the controls, and the
// two buttons, neither of which is the default or the cancel button.

#include "classes/ClassBuilder.h"
#include "framework/Button.h"
#include "framework/Edit.h"
#include "framework/Label.h"
#include "framework/RadioGroup.h"
#include "framework/Screen.h"
#include "framework/UpDown.h"
#include "platform/Focus.h"
#include "platform/VirtualKeys.h"
#include "tests/framework/FrameworkTest.h"

namespace orvalis::test {
namespace {

using platform::VK_DOWN;
using platform::VK_ESCAPE;
using platform::VK_RETURN;
using platform::VK_SPACE;
using platform::VK_TAB;
using platform::VK_UP;
using platform::headless::WindowTarget;

// The options dialog as its form source declares it; its handlers only end the loop.
class TTestOptions : public TForm {
    ORVALIS_TYPE_INFO(TTestOptions)

    explicit TTestOptions(TComponent* owner) : TForm(owner) {}

    TLabel* Label1 = nullptr;
    TEdit* eTimer = nullptr;
    TUpDown* UpDownT = nullptr;
    TRadioGroup* RadioGroup1 = nullptr;
    TButton* OK = nullptr;
    TButton* Annuler = nullptr;

    void OKClick(TObject*) { SetModalResult(6); }
    void AnnulerClick(TObject*) { SetModalResult(2); }
};

}  // namespace

const TClassInfo& TTestOptions::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TTestOptions, TForm>("TTestOptions")
                                       .Field("Label1", &TTestOptions::Label1)
                                       .Field("eTimer", &TTestOptions::eTimer)
                                       .Field("UpDownT", &TTestOptions::UpDownT)
                                       .Field("RadioGroup1", &TTestOptions::RadioGroup1)
                                       .Field("OK", &TTestOptions::OK)
                                       .Field("Annuler", &TTestOptions::Annuler)
                                       .Method("OKClick", &TTestOptions::OKClick)
                                       .Method("AnnulerClick", &TTestOptions::AnnulerClick);
    return info;
}

namespace {

class OptionsForm : public FrameworkTest {
protected:
    static WindowTarget Dialog() { return WindowTarget::Captioned("Options de visualisation"); }
    static TWinControl* Focus() { return FindControl(platform::GetFocus()); }
    // The dialog, made as a program makes its forms.
    TTestOptions* Make(TApplication& application) {
        application.CreateAppForm(options);
        return options;
    }
    TTestOptions* options = nullptr;
};

TEST_F(OptionsForm, TheResourceBuildsTheControlsWithTheirProperties) {
    Run([&](TApplication& application) {
        Make(application);
        EXPECT_EQ(options->Caption(), "Options de visualisation");
        ASSERT_TRUE(options->Label1 && options->eTimer && options->UpDownT && options->RadioGroup1 && options->OK &&
                    options->Annuler);
        EXPECT_EQ(options->Label1->Caption(), "Délai entre chaque vue");
        // Auto-sized to its text once read: as high as the form's line of text.
        EXPECT_EQ(options->Label1->Left(), 8);
        EXPECT_EQ(options->Label1->Top(), 8);
        EXPECT_EQ(options->Label1->Height(), 13);
        EXPECT_TRUE(options->Label1->AutoSize());
        EXPECT_EQ(options->eTimer->Text(), "3");
        EXPECT_EQ(options->UpDownT->Associate(), options->eTimer) << "the reference is resolved";
        EXPECT_EQ(options->UpDownT->Min(), 1);
        EXPECT_EQ(options->UpDownT->Max(), 20);
        EXPECT_EQ(options->UpDownT->Position(), 3);
        EXPECT_FALSE(options->UpDownT->Wrap());
        EXPECT_EQ(options->RadioGroup1->Caption(), "Mode de défilement");
        ASSERT_EQ(options->RadioGroup1->Items()->Count(), 2);
        EXPECT_EQ(options->RadioGroup1->Items()->Strings(0), "Continu");
        EXPECT_EQ(options->RadioGroup1->Items()->Strings(1), "Arrêt sur image");
        EXPECT_EQ(options->RadioGroup1->ItemIndex(), 0);
        for (TButton* button : {options->OK, options->Annuler}) {
            EXPECT_FALSE(button->Default());
            EXPECT_FALSE(button->Cancel());
            EXPECT_EQ(button->ModalResult(), 0);
        }
        EXPECT_EQ(options->OK->Caption(), "OK");
        EXPECT_EQ(options->Annuler->Caption(), "Annuler");
        std::vector<TWinControl*> order;
        options->GetTabOrderList(order);
        EXPECT_EQ(order, (std::vector<TWinControl*>{options->eTimer, options->UpDownT, options->RadioGroup1,
                                                    options->OK, options->Annuler}));
    });
}

TEST_F(OptionsForm, TheUserTypesStepsChoosesAndConfirms) {
    script
        .Check([&] {
            EXPECT_EQ(Focus(), options->eTimer) << "the first tab stop";
            EXPECT_EQ(options->eTimer->SelLength(), 1) << "entered by the keyboard: the text is selected";
        })
        .Type("15")
        .Check([&] { EXPECT_EQ(options->eTimer->Text(), "15") << "typing replaces the selection"; })
        .Press(VK_UP)
        .Check([&] { EXPECT_EQ(options->eTimer->Text(), "16") << "the typed number is stepped"; })
        .Press(VK_UP)
        .Press(VK_UP)
        .Press(VK_UP)
        .Press(VK_UP)
        .Press(VK_UP)
        .Check([&] {
            EXPECT_EQ(options->eTimer->Text(), "20") << "no wrapping past Max";
            EXPECT_EQ(options->UpDownT->Position(), 20);
        })
        // The lower arrow of the up-down control, beside the box.
        .Click(Dialog(), {153 + 7, 8 + 16})
        .Check([&] {
            EXPECT_EQ(options->eTimer->Text(), "19");
            EXPECT_EQ(Focus(), options->eTimer) << "the arrows leave the focus in the box";
        })
        .Press('A', platform::ModCtrl)
        .Type("2")
        .Press(VK_DOWN)
        .Press(VK_DOWN)
        .Check([&] { EXPECT_EQ(options->eTimer->Text(), "1") << "no wrapping past Min"; })
        .Press(VK_TAB)
        .Check([&] { EXPECT_EQ(Focus(), options->RadioGroup1) << "the up-down control is no tab stop"; })
        .Press(VK_DOWN)
        .Check([&] { EXPECT_EQ(options->RadioGroup1->ItemIndex(), 1); })
        .Press(VK_UP)
        .Check([&] { EXPECT_EQ(options->RadioGroup1->ItemIndex(), 0); })
        .Press(VK_UP)
        .Check([&] { EXPECT_EQ(options->RadioGroup1->ItemIndex(), 1) << "the arrows go round"; })
        .Press(VK_TAB)
        .Check([&] { EXPECT_EQ(Focus(), options->OK); })
        .Press(VK_TAB)
        .Check([&] { EXPECT_EQ(Focus(), options->Annuler); })
        .Press(VK_TAB)
        .Check([&] { EXPECT_EQ(Focus(), options->eTimer) << "Tab goes round"; })
        .Press(VK_TAB, platform::ModShift)
        .Check([&] { EXPECT_EQ(Focus(), options->Annuler) << "Shift+Tab goes back"; })
        .Press(VK_TAB, platform::ModShift)
        .Press(VK_RETURN);
    Run([&](TApplication& application) {
        Make(application);
        EXPECT_EQ(options->ShowAsModal(), 6) << "Enter pressed the focused OK";
        EXPECT_FALSE(options->Visible());
        EXPECT_EQ(options->eTimer->Text(), "1") << "the controls keep their contents";
        EXPECT_EQ(options->RadioGroup1->ItemIndex(), 1);
    });
}

TEST_F(OptionsForm, EnterAndEscapePressNoButtonWithoutFocusAndTheButtonsEndTheLoop) {
    script.Press(VK_RETURN)
        .Press(VK_ESCAPE)
        .Check([&] {
            EXPECT_TRUE(options->Visible()) << "neither button is the default or the cancel button";
            EXPECT_EQ(options->ModalResult(), 0);
        })
        // The radio group's second item, clicked.
        .Click(Dialog(), {24 + 20, 40 + 40})
        .Check([&] {
            EXPECT_EQ(options->RadioGroup1->ItemIndex(), 1);
            EXPECT_EQ(Focus(), options->RadioGroup1);
        })
        .Click(Dialog(), {96 + 30, 104 + 12})
        // The second showing: Space on the focused Annuler, then the close box.
        .Press(VK_SPACE)
        .CloseWindow(Dialog());
    Run([&](TApplication& application) {
        Make(application);
        EXPECT_EQ(options->ShowAsModal(), 2) << "a click on Annuler";
        EXPECT_EQ(options->RadioGroup1->ItemIndex(), 1);
        EXPECT_EQ(options->ShowAsModal(), 2) << "Space on the focused Annuler";
        EXPECT_EQ(options->ShowAsModal(), 2) << "the close box";
    });
}

}  // namespace
}  // namespace orvalis::test

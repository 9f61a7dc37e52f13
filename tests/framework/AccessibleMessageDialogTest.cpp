// The message dialog as assistive tools see it on the headless backend: a modal alert
// with its icon, its text (its label's only) and its buttons (the default one focused), and
// the buttons pressed through the tools as clicks would press them.

#include <string>
#include <vector>

#include "framework/HelpSystem.h"
#include "framework/MessageDialog.h"
#include "framework/Screen.h"
#include "platform/Accessibility.h"
#include "platform/VirtualKeys.h"
#include "platform/headless/Inspection.h"
#include "tests/framework/FrameworkTest.h"

namespace orvalis::test {
namespace {

using platform::AccessibleRequest;
using platform::AccessibleRole;
using platform::headless::AccessibleOutline;
using platform::headless::WindowTarget;
using Lines = std::vector<std::string>;

HWND ShownDialogWindow() {
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (auto* form = dynamic_cast<TMessageForm*>(Screen->Forms(i)); form && form->Visible()) return form->Handle();
    return 0;
}

Lines ShownDialogOutline() { return AccessibleOutline(platform::DescribeWindow(ShownDialogWindow())); }

class AccessibleMessageDialogs : public FrameworkTest {
protected:
    static WindowTarget Dialog(const char* caption) { return WindowTarget::Captioned(caption); }
    static AccessibleRequest Click() { return {{}, AccessibleRequest::Kind::DoAction, {}, 0}; }
};

TEST_F(AccessibleMessageDialogs, TheDialogIsAnAlertThatSaysItsTextWithItsIconTextAndButtons) {
    Lines error, confirmation, custom;
    script.Check([&] { error = ShownDialogOutline(); })
        .Press(platform::VK_RETURN)
        .Check([&] { confirmation = ShownDialogOutline(); })
        .Press(platform::VK_ESCAPE)
        .Check([&] { custom = ShownDialogOutline(); })
        .CloseWindow(WindowTarget::Active());
    std::string title;
    Run([&](TApplication& application) {
        title = application.AppTitle().ToStdString();
        ShowMessageDialog("Fichier introuvable", dkError, DialogButtons({dbOK}), 0);
        ShowMessageDialog("Continuer & finir ?", dkConfirmation, DialogButtons({dbYes, dbNo, dbHelp}), 0);
        ShowMessageDialog("Sans icône", dkCustom, DialogButtons({}), 0);
    });
    EXPECT_EQ(error, (Lines{
                         R"(alert "Erreur" [showing enabled modal])",
                         R"(  image "Erreur" [showing enabled])",
                         R"(  label "Fichier introuvable" [showing enabled])",
                         R"(  push button "OK" [showing enabled focusable focused default] click)",
                     }));
    // The message shows as it is ("&" marks nothing in it); the buttons' accelerators do not show.
    EXPECT_EQ(confirmation, (Lines{
                                R"(alert "Confirmation" [showing enabled modal])",
                                R"(  image "Confirmation" [showing enabled])",
                                R"(  label "Continuer & finir ?" [showing enabled])",
                                R"(  push button "Oui" [showing enabled focusable focused default] click)",
                                R"(  push button "Non" [showing enabled focusable] click)",
                                R"(  push button "Aide" [showing enabled focusable] click)",
                            }));
    EXPECT_EQ(custom, (Lines{
                          R"(alert ")" + title + R"(" [showing enabled modal])",
                          R"(  label "Sans icône" [showing enabled])",
                      }));
}

TEST_F(AccessibleMessageDialogs, TheToolsPressTheButtonsAsClicksDo) {
    std::vector<std::int32_t> helpAsked;
    SetHelpHandler([&](std::int32_t context) { helpAsked.push_back(context); });
    struct Restore {
        ~Restore() { SetHelpHandler({}); }
    } restore;
    script.UseAssistiveTool(Dialog("Confirmation"), AccessibleRole::PushButton, "Aide", Click())
        .Check([&] {
            EXPECT_EQ(helpAsked, std::vector<std::int32_t>{12}) << "help asked, the dialog still open";
            EXPECT_NE(ShownDialogWindow(), 0u);
            EXPECT_EQ(ShownDialogOutline().at(5), R"(  push button "Aide" [showing enabled focusable focused] click)")
                << "pressed as a click presses it: focused first";
        })
        .UseAssistiveTool(Dialog("Confirmation"), AccessibleRole::PushButton, "Non", Click())
        // The focused button, whose press changes nothing on the screen, ends the dialog too.
        .UseAssistiveTool(Dialog("Erreur"), AccessibleRole::PushButton, "OK", Click());
    Run([&](TApplication&) {
        EXPECT_EQ(ShowMessageDialog("Continuer ?", dkConfirmation, DialogButtons({dbYes, dbNo, dbHelp}), 12), mrNo);
        EXPECT_EQ(ShowMessageDialog("Fichier introuvable", dkError, DialogButtons({dbOK}), 0), mrOk);
    });
}

}  // namespace
}  // namespace orvalis::test

// A form made in code as assistive tools see it: which label names each edit box (its
// FocusControl, else the nearest on its line, else the nearest above), hidden controls
// left out, and requests for a disabled control or a form under a modal one refused.

#include <string>
#include <vector>

#include "framework/AccessibleTree.h"
#include "framework/Button.h"
#include "framework/Edit.h"
#include "framework/Label.h"
#include "platform/Accessibility.h"
#include "platform/NativeInput.h"
#include "platform/headless/Inspection.h"
#include "tests/framework/DialogControlsFixture.h"

namespace orvalis::test {
namespace {

using platform::AccessibleElement;
using platform::AccessibleRequest;
using platform::AccessibleRole;

struct Clicks : TObject {
    void Clicked(TObject*) { ++count; }
    int count = 0;
};

class AccessibleForms : public DialogControls {
protected:
    TLabel* AddLabel(const char* name, const char* caption, TRect bounds) {
        TLabel* label = Add<TLabel>(*form, name, bounds);
        label->SetCaption(caption);
        return label;
    }
    static AccessibleRequest Press() { return {{}, AccessibleRequest::Kind::DoAction, {}, 0}; }
    // (name, labelling control) of each entry of the form, in order.
    std::vector<std::pair<std::string, const TControl*>> Entries() {
        const AccessibleElement root = platform::DescribeWindow(form->Handle());
        std::vector<std::pair<std::string, const TControl*>> entries;
        for (const AccessibleElement& element : root.children) {
            if (element.role != AccessibleRole::Entry) continue;
            const TControl* label = nullptr;
            for (TLabel* candidate : labels)
                if (element.labelled && element.labelledBy == AccessibleKeyOf(*candidate)) label = candidate;
            entries.emplace_back(element.name, label);
        }
        return entries;
    }
    TForm* form = nullptr;
    std::vector<TLabel*> labels;
};

TEST_F(AccessibleForms, AnEditBoxIsNamedByItsFocusLabelElseTheNearestOnItsLineElseAbove) {
    Run([&](TApplication& application) {
        form = MakeForm(application);
        TLabel* name = AddLabel("LabelNom", "&Nom", {8, 10, 60, 23});
        TLabel* far = AddLabel("LabelLoin", "Loin", {8, 100, 40, 113});
        Add<TEdit>(*form, "Nom", {80, 8, 180, 29});
        TLabel* address = AddLabel("LabelAdresse", "Adresse", {8, 40, 80, 53});
        TLabel* hidden = AddLabel("LabelCache", "Caché", {8, 70, 80, 83});
        hidden->SetVisible(false);
        Add<TEdit>(*form, "Adresse", {8, 86, 158, 107});
        // Its label stands elsewhere, but names it as its FocusControl.
        TLabel* town = AddLabel("LabelVille", "Ville", {200, 150, 240, 163});
        town->SetFocusControl(Add<TEdit>(*form, "Ville", {8, 130, 158, 151}));
        labels = {name, far, address, hidden, town};
        form->Show();

        EXPECT_EQ(Entries(), (std::vector<std::pair<std::string, const TControl*>>{
                                 {"Nom", name},         // on its line, its accelerator mark removed
                                 {"Adresse", address},  // above it, the hidden label left out
                                 {"Ville", town},       // its FocusControl's label, though "Loin" is nearer
                             }));
        const AccessibleElement root = platform::DescribeWindow(form->Handle());
        EXPECT_EQ(platform::FindAccessibleElement(root, AccessibleRole::Label, "Caché"), nullptr)
            << "a hidden control is left out";
        EXPECT_NE(platform::FindAccessibleElement(root, AccessibleRole::Label, "Loin"), nullptr);
    });
}

TEST_F(AccessibleForms, ADisabledButtonOrAFormUnderAModalOneTakesNoRequest) {
    Clicks clicks;
    TButton* disabled = nullptr;
    TButton* enabled = nullptr;
    script
        .Check([&] {
            const AccessibleElement root = platform::DescribeWindow(form->Handle());
            EXPECT_EQ(platform::headless::AccessibleOutline(root).at(1),
                      R"(  push button "Inactif" [showing focusable] click)");
        })
        .UseAssistiveTool(Window(), AccessibleRole::PushButton, "Inactif", Press())
        .Check([&] {
            EXPECT_EQ(clicks.count, 0) << "a disabled button is not pressed";
            // The form under a modal one: its input is dropped, and so are the requests.
            form->SetEnabled(false);
            const AccessibleRequest press{AccessibleKeyOf(*enabled), AccessibleRequest::Kind::DoAction, {}, 0};
            platform::native::AccessibleRequested(form->Handle(), press);
        })
        .Check([&] {
            EXPECT_EQ(clicks.count, 0) << "a disabled form takes no request";
            form->SetEnabled(true);
        })
        .UseAssistiveTool(Window(), AccessibleRole::PushButton, "Actif", Press())
        .Check([&] { EXPECT_EQ(clicks.count, 1); })
        .CloseWindow(Window());
    Run([&](TApplication& application) {
        form = MakeForm(application);
        disabled = Add<TButton>(*form, "Inactif", {10, 10, 85, 35});
        disabled->SetCaption("Inactif");
        disabled->SetEnabled(false);
        enabled = Add<TButton>(*form, "Actif", {100, 10, 175, 35});
        enabled->SetCaption("Actif");
        for (TButton* button : {disabled, enabled}) button->OnClick = TNotifyEvent(&clicks, &Clicks::Clicked);
        application.RunMessageLoop();
    });
}

}  // namespace
}  // namespace orvalis::test

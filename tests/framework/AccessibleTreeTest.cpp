// A form made in code as assistive tools see it: which label names each edit box (its
// FocusControl, else the nearest on its line, else the nearest above), hidden controls
// left out, requests for a disabled control or a form under a modal one refused, an edit
// box's selection set by the tools and where its characters show, and the focus given to
// a radio button.

#include <string>
#include <vector>

#include "framework/AccessibleTree.h"
#include "framework/Button.h"
#include "framework/Edit.h"
#include "framework/Label.h"
#include "framework/RadioGroup.h"
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
    // The outline line of the form's element with that role and name.
    std::string Line(AccessibleRole role, const std::string& name) {
        const AccessibleElement root = platform::DescribeWindow(form->Handle());
        const AccessibleElement* element = platform::FindAccessibleElement(root, role, name);
        return element ? platform::headless::AccessibleOutline(*element).front() : "(none)";
    }
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

TEST_F(AccessibleForms, AToolSelectsInAnEditBoxTheCaretAtTheEndItGives) {
    struct Case {
        int start, end;
        std::string described;
    };
    const Case cases[] = {
        {0, 3, R"(text "abc" at 3 selected 0..3)"},
        {3, 1, R"(text "abc" at 1 selected 1..3)"},  // backwards: the caret at its start
        {2, 2, R"(text "abc" at 2)"},                // the caret alone
        {1, 9, R"(text "abc" at 3 selected 1..3)"},  // kept within the text
        {-4, 0, R"(text "abc" at 0)"},
    };
    for (const Case& selection : cases) {
        AccessibleRequest request{{}, AccessibleRequest::Kind::Select, {}, 0};
        request.start = selection.start;
        request.end = selection.end;
        script.UseAssistiveTool(Window(), AccessibleRole::Entry, "Nom", request).Check([&] {
            const std::string line = Line(AccessibleRole::Entry, "Nom");
            EXPECT_EQ(line.substr(line.find("text ")), selection.described) << selection.start << ".." << selection.end;
        });
    }
    // Where each character shows: side by side from the left, inside the box.
    script.Check([&] {
        const AccessibleElement root = platform::DescribeWindow(form->Handle());
        const AccessibleElement* entry = platform::FindAccessibleElement(root, AccessibleRole::Entry, "Nom");
        ASSERT_NE(entry, nullptr);
        ASSERT_EQ(entry->characters.size(), 3u);
        for (std::size_t index = 0; index < entry->characters.size(); ++index) {
            const platform::Rect& character = entry->characters[index];
            EXPECT_GT(character.Width(), 0) << index;
            EXPECT_TRUE(character.left >= entry->bounds.left && character.right <= entry->bounds.right &&
                        character.top >= entry->bounds.top && character.bottom <= entry->bounds.bottom)
                << index;
            if (index > 0) {
                EXPECT_EQ(character.left, entry->characters[index - 1].right) << index;
            }
        }
    });
    script.CloseWindow(Window());
    Run([&](TApplication& application) {
        form = MakeForm(application);
        AddLabel("LabelNom", "Nom", {8, 10, 60, 23});
        Add<TEdit>(*form, "Nom", {80, 8, 180, 29})->SetText("abc");
        form->Show();
        application.RunMessageLoop();
    });
}

TEST_F(AccessibleForms, AToolFocusingARadioButtonChoosesItAsAClickDoes) {
    TRadioGroup* group = nullptr;
    struct Case {
        const char* item;
        std::vector<std::string> described;  // each item's states
    };
    const Case cases[] = {
        {"Trois", {"focusable", "focusable", "focusable focused checked"}},
        {"Un", {"focusable focused checked", "focusable", "focusable"}},
        {"Un", {"focusable focused checked", "focusable", "focusable"}},  // focused already
    };
    for (const Case& focus : cases)
        script
            .UseAssistiveTool(Window(), AccessibleRole::RadioButton, focus.item,
                              {{}, AccessibleRequest::Kind::Focus, {}, 0})
            .Check([&] {
                std::vector<std::string> described;
                for (const char* item : {"Un", "Deux", "Trois"}) {
                    const std::string line = Line(AccessibleRole::RadioButton, item);
                    const std::size_t from = line.find("[showing enabled ") + 17;
                    described.push_back(line.substr(from, line.find(']') - from));
                }
                EXPECT_EQ(described, focus.described) << focus.item;
            });
    script.CloseWindow(Window());
    Run([&](TApplication& application) {
        form = MakeForm(application);
        Add<TButton>(*form, "Bouton", {10, 100, 85, 125})->SetCaption("Bouton");
        group = Add<TRadioGroup>(*form, "Mode", {10, 10, 160, 90});
        for (const char* item : {"Un", "Deux", "Trois"}) group->Items()->Add(item);
        form->Show();
        application.RunMessageLoop();
    });
}

}  // namespace
}  // namespace orvalis::test

// Forms built from their resources: the construction order (resource, construction
// body, OnCreate, visibility), failures that leave the program's reference null, the
// client size and caption acting on the window at once, the native menu bar, and the
// custom properties of the form's resource.

#include "classes/ClassBuilder.h"
#include "classes/ClassRegistry.h"
#include "framework/FrameworkClasses.h"
#include "framework/Screen.h"
#include "platform/Menu.h"
#include "platform/NonClientMetrics.h"
#include "runtime/Exceptions.h"
#include "tests/framework/TestForms.h"

namespace orvalis::test {
namespace {

// A form whose resource shows it, sets an active control and asks for OnCreate in the
// old order; its handlers note the order of events.
class TOrderForm : public TForm {
    ORVALIS_TYPE_INFO(TOrderForm)

    explicit TOrderForm(TComponent* owner) : TForm(owner) {}

    TTestBox* Box1 = nullptr;
    TTestBox* Box2 = nullptr;
    std::vector<std::string> events;

    void FormCreate(TObject*) { events.push_back(Visible() ? "create (visible)" : "create"); }
    void FormShow(TObject*) { events.push_back("show"); }
    void FormActivate(TObject*) { events.push_back("activate"); }

protected:
    void ConstructionBody() override { events.push_back(Box1 ? "body" : "body without children"); }
};

const TClassInfo& TOrderForm::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TOrderForm, TForm>("TOrderForm")
                                       .Field("Box1", &TOrderForm::Box1)
                                       .Field("Box2", &TOrderForm::Box2)
                                       .Method("FormCreate", &TOrderForm::FormCreate)
                                       .Method("FormShow", &TOrderForm::FormShow)
                                       .Method("FormActivate", &TOrderForm::FormActivate);
    return info;
}

// A form whose resource names a property it does not have.
class TBrokenForm : public TForm {
    ORVALIS_TYPE_INFO(TBrokenForm)
    explicit TBrokenForm(TComponent* owner) : TForm(owner) {}
};

const TClassInfo& TBrokenForm::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TBrokenForm, TForm>("TBrokenForm");
    return info;
}

// A form class without any resource.
class TUnwrittenForm : public TForm {
    ORVALIS_TYPE_INFO(TUnwrittenForm)
    explicit TUnwrittenForm(TComponent* owner) : TForm(owner) {}
};

const TClassInfo& TUnwrittenForm::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TUnwrittenForm, TForm>("TUnwrittenForm");
    return info;
}

// A form built in code, that looks at the program's reference while it is built.
class TCodeForm;
TCodeForm* CodeForm = nullptr;
class TCodeForm : public TForm {
    ORVALIS_TYPE_INFO(TCodeForm)
    explicit TCodeForm(TComponent* owner) : TForm(owner, kNoResource), referenceWasSet(CodeForm == this) {}
    bool referenceWasSet;
};

const TClassInfo& TCodeForm::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TCodeForm, TForm>("TCodeForm");
    return info;
}

// The forms' resources are forms/OrderForm.form and forms/BrokenForm.form.
using Forms = FrameworkTest;

TEST_F(Forms, ReadsTheResourceThenRunsTheBodyOnCreateAndTheRequestedVisibility) {
    Run([](TApplication& application) {
        TOrderForm* form = nullptr;
        application.CreateAppForm(form);
        ASSERT_NE(form, nullptr);
        // OldCreateOrder: OnCreate inside the framework's construction, before the body;
        // the visibility that the resource asked for comes after OnCreate.
        EXPECT_EQ(form->events, (std::vector<std::string>{"create", "show", "activate", "body"}));
        EXPECT_TRUE(form->Visible());
        EXPECT_EQ(form->TextHeight(), 13);
        EXPECT_TRUE(form->ParentFont()) << "IgnoreFontProperty";
        EXPECT_EQ(form->ActiveControl(), form->Box2);
        EXPECT_TRUE(form->Box2->Focused());
        EXPECT_EQ(form->ClientWidth(), 300) << "the client size is applied once the resource is read";
        EXPECT_EQ(form->ClientHeight(), 200);
        const platform::FrameInsets insets =
            platform::NonClientInsets(platform::WS_CAPTION | platform::WS_THICKFRAME, false);
        EXPECT_EQ(form->Width(), 300 + insets.left + insets.right);
        EXPECT_EQ(form->Left(), (1280 - form->Width()) / 2) << "poScreenCenter";
        EXPECT_EQ(Screen->FocusedForm(), form);
    });
}

TEST_F(Forms, AFormThatFailsToBuildLeavesTheReferenceNull) {
    Run([](TApplication& application) {
        TBrokenForm* broken = reinterpret_cast<TBrokenForm*>(&application);  // anything but null
        try {
            application.CreateAppForm(broken);
            ADD_FAILURE() << "a resource with an unknown property was read";
        } catch (const EReadError& error) {
            EXPECT_EQ(error.Message(),
                      "Erreur lors de la lecture de BrokenForm.Colour: La propriété Colour n'existe pas");
        }
        EXPECT_EQ(broken, nullptr);
        TUnwrittenForm* unwritten = nullptr;
        try {
            application.CreateAppForm(unwritten);
            ADD_FAILURE() << "a form was made without resource";
        } catch (const EResNotFound& error) {
            EXPECT_EQ(error.Message(), "Ressource TUnwrittenForm non trouvée");
        }
        EXPECT_EQ(unwritten, nullptr);
        EXPECT_EQ(application.PrimaryForm(), nullptr);
        EXPECT_EQ(application.ComponentCount(), 0);
        EXPECT_EQ(Screen->FormCount(), 0);
    });
}

TEST_F(Forms, TheReferenceDesignatesTheFormWhileItIsBuilt) {
    Run([](TApplication& application) {
        application.CreateAppForm(CodeForm);
        ASSERT_NE(CodeForm, nullptr);
        EXPECT_TRUE(CodeForm->referenceWasSet);
        EXPECT_EQ(application.PrimaryForm(), CodeForm);
        EXPECT_EQ(CodeForm->Width(), 320) << "the bare form";
        EXPECT_EQ(CodeForm->Height(), 240);
        EXPECT_FALSE(CodeForm->Visible());
        TMainTestForm* second = nullptr;
        application.CreateAppForm(second);
        EXPECT_EQ(application.PrimaryForm(), CodeForm) << "later forms never replace it";
    });
}

TEST_F(Forms, ClientSizeAndCaptionActOnTheWindowAtOnce) {
    Run([](TApplication& application) {
        application.CreateAppForm(MainForm);
        const HWND window = MainForm->Handle();
        EXPECT_EQ(platform::GetClientRect(window), (platform::Rect{0, 0, 688, 434})) << "696 × 480 with a menu bar";
        EXPECT_EQ(platform::GetWindowRect(window), (platform::Rect{237, 205, 237 + 696, 205 + 480}));
        EXPECT_EQ(MainForm->ClientWidth(), 688);
        MainForm->SetClientWidth(800);
        MainForm->SetClientHeight(600);
        EXPECT_EQ(platform::GetClientRect(window), (platform::Rect{0, 0, 800, 600}));
        EXPECT_EQ(MainForm->Width(), 808);
        EXPECT_EQ(MainForm->Height(), 600 + 4 + 4 + 19 + 19);
        // Never narrower than the menu bar: the form reads the width the window keeps.
        MainForm->SetClientWidth(0);
        MainForm->SetClientHeight(0);
        const int barWidth = platform::GetMenuBarWidth(window);
        EXPECT_GT(barWidth, 0);
        EXPECT_EQ(platform::GetClientRect(window), (platform::Rect{0, 0, barWidth, 0}));
        EXPECT_EQ(MainForm->ClientWidth(), barWidth);
        EXPECT_EQ(MainForm->Width(), barWidth + 8);
        MainForm->SetCaption("Fichier /plans/vue Dessin de la vue n° 1");
        EXPECT_EQ(platform::GetWindowText(window), "Fichier /plans/vue Dessin de la vue n° 1");
    });
}

TEST_F(Forms, TheMainMenuIsTheNativeMenuBarAndFollowsItsItems) {
    Run([](TApplication& application) {
        application.CreateAppForm(MainForm);
        const platform::MenuBar* bar = platform::GetMenu(MainForm->Handle());
        ASSERT_NE(bar, nullptr);
        ASSERT_EQ(bar->items.size(), 3u);
        EXPECT_EQ(bar->items[0].caption, "&Fichier");
        ASSERT_EQ(bar->items[0].items.size(), 3u);
        EXPECT_EQ(bar->items[0].items[2].caption, "Quitter");
        EXPECT_EQ(bar->items[0].items[2].id, MainForm->Quitter1->Command());
        EXPECT_EQ(bar->items[2].caption, "Modif. couleurs");
        EXPECT_EQ(MainForm->mOuvrir->ParentItem(), MainForm->Fichier1);
        EXPECT_EQ(MainForm->Fichier1->ParentMenu(), MainForm->MainMenu1);

        MainForm->mAbandon->SetVisible(false);
        MainForm->Quitter1->SetEnabled(false);
        bar = platform::GetMenu(MainForm->Handle());
        ASSERT_EQ(bar->items[0].items.size(), 2u);
        EXPECT_FALSE(bar->items[0].items[1].enabled);
        MainForm->Modif1->SetCaption("Modifier");
        EXPECT_EQ(platform::GetMenu(MainForm->Handle())->items[2].caption, "Modifier");

        // Without its menu the form's client area takes the bar's height back.
        MainForm->SetMenu(nullptr);
        EXPECT_EQ(platform::GetMenu(MainForm->Handle()), nullptr);
        EXPECT_EQ(MainForm->ClientHeight(), 434 + platform::kMenuBarHeight);
        EXPECT_EQ(MainForm->MainMenu1->Form(), nullptr);
    });
}

TEST_F(Forms, TheFrameworkClassesAreRegistered) {
    Run([](TApplication&) {
        for (const char* name : {"TForm", "TMainMenu", "TMenuItem", "TTimer"}) {
            const TClassInfo* found = LookupClass(name);
            ASSERT_NE(found, nullptr) << name;
            EXPECT_EQ(found->Name(), name);
        }
    });
}

}  // namespace
}  // namespace orvalis::test

// Controls inside a form built in code: alignment of children when the client area
// changes, painting of windowless children, fonts and colours that follow the parent,
// the mouse capture and the click rule, focus notifications, and the release of
// drawing contexts after each message.

#include "framework/Form.h"
#include "framework/Screen.h"
#include "graphics/CanvasReleaseHooks.h"
#include "platform/Focus.h"
#include "platform/MessageQueue.h"
#include "platform/NativeInput.h"
#include "platform/VirtualKeys.h"
#include "platform/headless/Inspection.h"
#include "tests/framework/FrameworkTest.h"

namespace orvalis::test {
namespace {

using platform::headless::PixelAt;

TRect Bounds(const TControl& control) { return control.BoundsRect(); }

// Notes the events of the controls it is bound to.
struct EventLog : TObject {
    void Clicked(TObject* sender) { events.push_back("click " + Name(sender)); }
    void DoubleClicked(TObject* sender) { events.push_back("double click " + Name(sender)); }
    void Entered(TObject* sender) { events.push_back("enter " + Name(sender)); }
    void Left(TObject* sender) { events.push_back("exit " + Name(sender)); }
    void MouseCame(TObject* sender) { events.push_back("mouse on " + Name(sender)); }
    void MouseWent(TObject* sender) { events.push_back("mouse off " + Name(sender)); }
    static std::string Name(TObject* sender) { return static_cast<TComponent*>(sender)->Name().ToStdString(); }
    std::vector<std::string> events;
};

class Controls : public FrameworkTest {
protected:
    // A form made in code, 400 × 300 of client area, without menu.
    TForm* MakeForm(TApplication& application) {
        TForm* form = nullptr;
        application.CreateAppForm(form);
        form->SetName("Fenetre");
        form->SetCaption("Fenêtre");
        form->SetClientWidth(400);
        form->SetClientHeight(300);
        return form;
    }
    template <class C>
    C* Add(TForm& form, const char* name, TRect bounds) {
        auto* control = new C(&form);
        control->SetName(name);
        control->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        control->SetParent(&form);
        return control;
    }
    EventLog log;
};

TEST_F(Controls, AlignedChildrenShareTheClientAreaWheneverItChanges) {
    Run([&](TApplication& application) {
        TForm* form = MakeForm(application);
        auto* top = Add<TTestPicture>(*form, "Haut", {0, 0, 10, 20});
        auto* bottom = Add<TTestPicture>(*form, "Bas", {0, 0, 10, 30});
        auto* left = Add<TTestPicture>(*form, "Gauche", {0, 0, 50, 10});
        auto* client = Add<TTestPicture>(*form, "Centre", {5, 5, 6, 6});
        client->SetAlign(alClient);
        left->SetAlign(alLeft);
        bottom->SetAlign(alBottom);
        top->SetAlign(alTop);
        EXPECT_EQ(Bounds(*top), (TRect{0, 0, 400, 20}));
        EXPECT_EQ(Bounds(*bottom), (TRect{0, 270, 400, 300}));
        EXPECT_EQ(Bounds(*left), (TRect{0, 20, 50, 270}));
        EXPECT_EQ(Bounds(*client), (TRect{50, 20, 400, 270}));

        top->SetVisible(false);
        EXPECT_EQ(Bounds(*left), (TRect{0, 0, 50, 270}));
        EXPECT_EQ(Bounds(*client), (TRect{50, 0, 400, 270}));

        form->Show();
        // The user resizes the window.
        script.Check([&] {
                  platform::native::WindowResized(form->Handle(), {300, 200});
              })
            .Check([&] {
                EXPECT_EQ(form->ClientWidth(), 300);
                EXPECT_EQ(Bounds(*client), (TRect{50, 0, 300, 170}));
                EXPECT_EQ(Bounds(*bottom), (TRect{0, 170, 300, 200}));
            });
        PumpUntilScriptEnds();
    });
}

TEST_F(Controls, WindowlessChildrenArePaintedThroughTheirParent) {
    Run([&](TApplication& application) {
        TForm* form = MakeForm(application);
        auto* picture = Add<TTestPicture>(*form, "Image", {10, 10, 60, 40});
        picture->SetColor(clBlue);
        form->Show();
        int painted = 0;
        script
            .Check([&] {
                EXPECT_EQ(PixelAt(form->Handle(), {10, 10}), 0x0000FFu);
                EXPECT_EQ(PixelAt(form->Handle(), {59, 39}), 0x0000FFu);
                EXPECT_EQ(PixelAt(form->Handle(), {60, 40}), 0xF0F0F0u);
                painted = picture->paints;
                picture->Invalidate();
                EXPECT_EQ(picture->paints, painted) << "later, when the queue is idle";
            })
            .Check([&] {
                EXPECT_EQ(picture->paints, painted + 1);
                picture->SetColor(clLime);
                picture->Update();
                EXPECT_EQ(picture->paints, painted + 2) << "a change invalidates, Update paints at once";
                EXPECT_EQ(PixelAt(form->Handle(), {30, 20}), 0x00FF00u);
                picture->SetVisible(false);
            })
            .Check([&] {
                EXPECT_EQ(PixelAt(form->Handle(), {30, 20}), 0xF0F0F0u) << "hidden: the form shows";
            });
        PumpUntilScriptEnds();
    });
}

TEST_F(Controls, FontAndColourFollowTheParentUntilSetThemselves) {
    Run([&](TApplication& application) {
        TForm* form = MakeForm(application);
        auto* box = Add<TTestBox>(*form, "Boite", {0, 0, 50, 20});
        EXPECT_TRUE(box->ParentFont());
        EXPECT_EQ(box->Font()->Height(), form->Font()->Height());
        form->Font()->SetHeight(-20);
        form->Font()->SetName("DejaVu Serif");
        EXPECT_EQ(box->Font()->Height(), -20);
        EXPECT_EQ(box->Font()->Name(), "DejaVu Serif");
        EXPECT_TRUE(box->ParentFont());
        box->Font()->SetHeight(-9);
        EXPECT_FALSE(box->ParentFont());
        form->Font()->SetHeight(-30);
        EXPECT_EQ(box->Font()->Height(), -9);

        box->SetParentColor(true);
        EXPECT_EQ(box->Color(), clBtnFace);
        form->SetColor(clYellow);
        EXPECT_EQ(box->Color(), clYellow);
        box->SetColor(clRed);
        form->SetColor(clAqua);
        EXPECT_EQ(box->Color(), clRed);
        EXPECT_FALSE(box->ParentColor());
    });
}

TEST_F(Controls, AClickNeedsThePressAndTheReleaseOnTheControl) {
    Run([&](TApplication& application) {
        TForm* form = MakeForm(application);
        auto* picture = Add<TTestPicture>(*form, "Image", {10, 10, 60, 40});
        picture->OnClick = TNotifyEvent(&log, &EventLog::Clicked);
        form->OnClick = TNotifyEvent(&log, &EventLog::Clicked);
        form->OnDblClick = TNotifyEvent(&log, &EventLog::DoubleClicked);
        form->Show();
        const HWND window = form->Handle();
        using platform::native::MouseButton;
        script
            .Check([&] {
                // Pressed on the picture, released on the form: the picture holds the
                // mouse meanwhile, and there is no click at all.
                platform::native::MouseButtonEvent(window, {20, 20}, MouseButton::Left, true, false, 0);
                platform::native::MouseMoveEvent(window, {200, 200}, platform::MK_LBUTTON);
                platform::native::MouseButtonEvent(window, {200, 200}, MouseButton::Left, false, false, 0);
            })
            .Check([&] {
                EXPECT_TRUE(log.events.empty());
                EXPECT_EQ(CaptureControl(), nullptr);
            })
            .Click(platform::headless::WindowTarget::Handle(window), {20, 20})
            .Click(platform::headless::WindowTarget::Handle(window), {200, 200})
            .DoubleClick(platform::headless::WindowTarget::Handle(window), {300, 250})
            .Check([&] {
                EXPECT_EQ(log.events, (std::vector<std::string>{"click Image", "click Fenetre", "click Fenetre",
                                                                "double click Fenetre"}));
            });
        PumpUntilScriptEnds();
    });
}

TEST_F(Controls, TheIdleStepTellsControlsWhenTheMouseComesAndGoes) {
    Run([&](TApplication& application) {
        TForm* form = MakeForm(application);
        auto* picture = Add<TTestPicture>(*form, "Image", {10, 10, 60, 40});
        for (TControl* control : {static_cast<TControl*>(form), static_cast<TControl*>(picture)}) {
            control->OnMouseEnter = TNotifyEvent(&log, &EventLog::MouseCame);
            control->OnMouseLeave = TNotifyEvent(&log, &EventLog::MouseWent);
        }
        form->Show();
        const auto window = platform::headless::WindowTarget::Handle(form->Handle());
        script.MoveMouse(window, {200, 200}).MoveMouse(window, {20, 20}).MoveMouse(window, {300, 20});
        PumpUntilScriptEnds();
        EXPECT_EQ(log.events, (std::vector<std::string>{"mouse on Fenetre", "mouse off Fenetre", "mouse on Image",
                                                        "mouse off Image", "mouse on Fenetre"}));
    });
}

TEST_F(Controls, FocusMovesThroughEnterAndExitInTabOrder) {
    Run([&](TApplication& application) {
        TForm* form = MakeForm(application);
        auto* first = Add<TTestBox>(*form, "Premier", {0, 0, 50, 20});
        auto* second = Add<TTestBox>(*form, "Second", {0, 30, 50, 20});
        auto* skipped = Add<TTestBox>(*form, "Saute", {0, 60, 50, 20});
        skipped->SetTabStop(false);
        second->SetTabOrder(0);
        EXPECT_EQ(second->TabOrder(), 0);
        EXPECT_EQ(first->TabOrder(), 1);
        for (TTestBox* box : {first, second, skipped}) {
            box->OnEnter = TNotifyEvent(&log, &EventLog::Entered);
            box->OnExit = TNotifyEvent(&log, &EventLog::Left);
        }
        form->Show();
        script
            .Check([&] {
                EXPECT_TRUE(second->Focused());
                EXPECT_EQ(form->ActiveControl(), second);
                EXPECT_EQ(Screen->ActiveControl(), second);
            })
            .Press(platform::VK_TAB)
            .Press(platform::VK_TAB)
            .Check([&] {
                EXPECT_TRUE(second->Focused()) << "Tab passes over a control without tab stop";
                skipped->SetFocus();
                EXPECT_TRUE(skipped->Focused());
                first->SetVisible(false);
            })
            .Press(platform::VK_TAB)
            .Check([&] {
                EXPECT_TRUE(second->Focused()) << "and over a hidden one";
                EXPECT_EQ(log.events, (std::vector<std::string>{"enter Second", "exit Second", "enter Premier",
                                                                "exit Premier", "enter Second", "exit Second",
                                                                "enter Saute", "exit Saute", "enter Second"}));
            });
        PumpUntilScriptEnds();
    });
}

TEST_F(Controls, AFormWithKeyPreviewSeesTheCharactersFirstAndMaySwallowThem) {
    struct Keys : TObject {
        void FormKey(TObject*, char32_t& key) {
            seen += U"form " + std::u32string(1, key) + U" ";
            if (key == U'z') key = 0;
        }
        void BoxKey(TObject*, char32_t& key) { seen += U"box " + std::u32string(1, key) + U" "; }
        std::u32string seen;
    } keys;
    Run([&](TApplication& application) {
        TForm* form = MakeForm(application);
        auto* box = Add<TTestBox>(*form, "Boite", {0, 0, 50, 20});
        form->OnKeyPress = TKeyPressEvent(&keys, &Keys::FormKey);
        box->OnKeyPress = TKeyPressEvent(&keys, &Keys::BoxKey);
        form->SetKeyPreview(true);
        form->Show();
        script.Type("az");
        PumpUntilScriptEnds();
        EXPECT_EQ(keys.seen, U"form a box a form z ");
    });
}

std::vector<int>& ReleasePasses() {
    static std::vector<int> passes;
    return passes;
}
void CountReleasePass() { ReleasePasses().push_back(1); }

TEST_F(Controls, DrawingContextsTakenOutsidePaintingAreGivenBackAfterTheMessage) {
    RegisterCanvasReleaseHook(&CountReleasePass);
    Run([&](TApplication& application) {
        TForm* form = MakeForm(application);
        auto* picture = Add<TTestPicture>(*form, "Image", {10, 10, 60, 40});
        form->Show();
        script
            .Check([&] {
                picture->Canvas().Brush().SetColor(clBlack);
                picture->Canvas().FillRect({-5, -5, 5, 5});
                EXPECT_TRUE(picture->Canvas().HandleAllocated());
                EXPECT_EQ(PixelAt(form->Handle(), {10, 10}), 0x000000u) << "drawn in the picture's place";
                EXPECT_EQ(PixelAt(form->Handle(), {14, 14}), 0x000000u);
                EXPECT_EQ(PixelAt(form->Handle(), {9, 9}), 0xF0F0F0u) << "and not outside it";
                EXPECT_EQ(PixelAt(form->Handle(), {15, 15}), 0xFFFFFFu);
                ReleasePasses().clear();
                platform::PostMessage(form->Handle(), platform::WM_NULL, 0, 0);
            })
            .Check([&] {
                EXPECT_FALSE(picture->Canvas().HandleAllocated());
                EXPECT_FALSE(ReleasePasses().empty()) << "the graphics layer's hooks ran too";
            });
        PumpUntilScriptEnds();
    });
    UnregisterCanvasReleaseHook(&CountReleasePass);
}

}  // namespace
}  // namespace orvalis::test

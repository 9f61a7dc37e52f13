#pragma once
// What the tests of the dialog controls share: a form made in code with the controls
// under test, and where to click on them.

#include "framework/Form.h"
#include "platform/headless/UserScript.h"
#include "tests/framework/FrameworkTest.h"

namespace orvalis::test {

class DialogControls : public FrameworkTest {
protected:
    // A form made in code, captioned "Essai", with a 300 × 200 client area.
    static TForm* MakeForm(TApplication& application) {
        TForm* form = nullptr;
        application.CreateAppForm(form);
        form->SetName("Essai");
        form->SetCaption("Essai");
        form->SetClientWidth(300);
        form->SetClientHeight(200);
        return form;
    }
    template <class C>
    static C* Add(TForm& form, const char* name, TRect bounds) {
        auto* control = new C(&form);
        control->SetName(name);
        control->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        control->SetParent(&form);
        return control;
    }
    static platform::headless::WindowTarget Window() { return platform::headless::WindowTarget::Captioned("Essai"); }
    // A point of a control of the form, in its own client coordinates, as a point of
    // the form's client area.
    static platform::Point At(const TControl& control, std::int32_t x, std::int32_t y) {
        return {control.Left() + x, control.Top() + y};
    }
};

}  // namespace orvalis::test

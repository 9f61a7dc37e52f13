#pragma once
// TScreen: the forms of the program and where the user's attention is: the active form
// and control, and the FocusedForm, the form that holds the focus role (a form runs
// OnActivate when it becomes the FocusedForm). A modal loop saves the FocusedForm on a
// list and restores it when it ends, so that returning from a dialog does not activate
// its owner again. The screen's size and resolution come from the platform.
//
// One screen exists while the program runs (Program.h makes it); while it exists, form
// references in resources find the screen's forms by name.

#include <cstdint>
#include <vector>

namespace orvalis {

class TCustomForm;
class TWinControl;

class TScreen {
public:
    TScreen();
    ~TScreen();
    TScreen(const TScreen&) = delete;
    TScreen& operator=(const TScreen&) = delete;

    int FormCount() const { return static_cast<int>(forms_.size()); }
    TCustomForm* Forms(int index) const;
    TCustomForm* ActiveForm() const { return activeForm_; }
    TWinControl* ActiveControl() const { return activeControl_; }
    TCustomForm* FocusedForm() const { return focusedForm_; }
    int Width() const;
    int Height() const;
    int PixelsPerInch() const;

    // What the forms tell the screen.
    void AddForm(TCustomForm& form);
    void RemoveForm(TCustomForm& form);
    void SetFocusedForm(TCustomForm* form) { focusedForm_ = form; }
    // `control` of `form` got the focus.
    void FocusMoved(TCustomForm& form, TWinControl* control);
    void ControlDestroyed(const TWinControl& control);
    // The modal loop: the FocusedForm saved and replaced by `form`, then restored
    // (null when the list is empty).
    void PushFocusedForm(TCustomForm& form);
    void PopFocusedForm();

private:
    std::vector<TCustomForm*> forms_;  // in the order they were made
    TCustomForm* activeForm_ = nullptr;
    TWinControl* activeControl_ = nullptr;
    TCustomForm* focusedForm_ = nullptr;
    std::vector<TCustomForm*> savedFocusedForms_;
};

// The program's screen, while it exists.
extern TScreen* Screen;

}  // namespace orvalis

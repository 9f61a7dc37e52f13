#include "framework/Screen.h"

#include <algorithm>
#include <cassert>

#include "classes/Loading.h"
#include "framework/Form.h"
#include "platform/ScreenMetrics.h"
#include "runtime/TextConversions.h"

namespace orvalis {

TScreen* Screen = nullptr;

namespace {

// A form named so among the screen's forms that are not being read.
TComponent* FindFormByName(std::string_view name) {
    if (!Screen) return nullptr;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* form = Screen->Forms(i);
        if (!form->HasState(stateReading) && SameText(form->Name().View(), name)) return form;
    }
    return nullptr;
}

}  // namespace

TScreen::TScreen() { RegisterGlobalComponentLookup(&FindFormByName); }

TScreen::~TScreen() { UnregisterGlobalComponentLookup(&FindFormByName); }

TCustomForm* TScreen::Forms(int index) const {
    assert(index >= 0 && index < FormCount());
    return forms_[static_cast<std::size_t>(index)];
}

int TScreen::Width() const { return platform::GetScreenMetrics().width; }
int TScreen::Height() const { return platform::GetScreenMetrics().height; }
int TScreen::PixelsPerInch() const { return platform::GetScreenMetrics().pixelsPerInch; }

void TScreen::AddForm(TCustomForm& form) { forms_.push_back(&form); }

void TScreen::RemoveForm(TCustomForm& form) {
    std::erase(forms_, &form);
    std::replace(savedFocusedForms_.begin(), savedFocusedForms_.end(), &form, static_cast<TCustomForm*>(nullptr));
    if (activeForm_ == &form) {
        activeForm_ = nullptr;
        activeControl_ = nullptr;
    }
    if (focusedForm_ == &form) focusedForm_ = nullptr;
}

void TScreen::FocusMoved(TCustomForm& form, TWinControl* control) {
    activeForm_ = &form;
    activeControl_ = control;
}

void TScreen::ControlDestroyed(const TWinControl& control) {
    if (activeControl_ == &control) activeControl_ = nullptr;
}

void TScreen::PushFocusedForm(TCustomForm& form) {
    savedFocusedForms_.push_back(focusedForm_);
    focusedForm_ = &form;
}

void TScreen::PopFocusedForm() {
    if (savedFocusedForms_.empty()) {
        focusedForm_ = nullptr;
        return;
    }
    focusedForm_ = savedFocusedForms_.back();
    savedFocusedForms_.pop_back();
}

}  // namespace orvalis

#pragma once
// The framework's component classes in the class registry, so that resources can name
// them wherever a form's own field classes do not (a child without a field, a form read
// into no existing object).

namespace orvalis {

// Registers TForm, TMainMenu, TPopupMenu, TMenuItem, TTimer, the controls (TLabel,
// TEdit, TButton, TUpDown, TRadioGroup, TImage) and TOpenDialog, and the cursor
// identifier map; once is enough, again does nothing.
void RegisterFrameworkClasses();

}  // namespace orvalis

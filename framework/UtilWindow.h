#pragma once
// The hidden utility windows of non-visual components (a timer's): top-level tool windows
// of the class "TPUtilWindow", without caption, at 0, 0 with no size, never shown, whose
// messages go to the component.

#include "platform/Messages.h"
#include "platform/Window.h"

namespace orvalis {

// A new utility window bound to `procedure`. Registering the class can fail:
// EOutOfResources "Erreur à la création de la classe fenêtre".
platform::HWND AllocateUtilWindow(platform::WindowProcedure& procedure);
// Unbinds the window from its component, then destroys it.
void ReleaseUtilWindow(platform::HWND window);

}  // namespace orvalis

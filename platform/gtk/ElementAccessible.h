#pragma once
// The ATK object of one element of a window's description: its role, name and
// description, states, relations (the label that names it, the radio buttons of its
// group), extents, its action; an entry's text (editable through a request), a spin
// button's value. It answers from its window's last description (WindowAccessibility)
// and reports requests there.

#include <atk/atk.h>

#include "platform/Accessibility.h"

namespace orvalis::platform::gtk {

class WindowAccessibility;

// A new object (one reference, the caller's) of the kind the role asks for.
AtkObject* NewElementAccessible(WindowAccessibility& model, const AccessibleKey& key, const AccessibleElement& element);
// The element went: the object answers as defunct from now on.
void DetachElementAccessible(AtkObject* object);

AtkRole AtkRoleOf(AccessibleRole role);
// The ATK states of an element (with VISIBLE and SENSITIVE following SHOWING and ENABLED).
AtkStateSet* NewStateSet(const AccessibleElement& element);
// Announces the states that changed, except the focus gained: the caller announces that
// last, once every focus lost was.
void AnnounceStates(AtkObject* object, const AccessibleStates& was, const AccessibleStates& now);

}  // namespace orvalis::platform::gtk

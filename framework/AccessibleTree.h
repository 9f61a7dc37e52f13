#pragma once
// A form as assistive tools see it (docs/accessibility.md). Each visible control that
// describes itself (TControl::DescribeAccessible) becomes an element, inside the element
// of its parent, in the order the parent holds its controls; a control that does not
// describe itself leaves its children to its parent's element. A control that the user
// fills in (an entry, a spin button) and that has no name of its own is named by its
// label:
//
//   1. the label whose FocusControl it is;
//   2. else the nearest label on the same line (overlapping it vertically) that ends
//      left of it;
//   3. else the nearest label above it that overlaps it horizontally.
//
// Requests go to the control, visible and enabled with all its parents, that their key
// names; a request for a control that is gone, hidden or disabled does nothing.

#include "platform/Accessibility.h"

namespace orvalis {

class TControl;
class TCustomForm;

// Fills the form's element, which the platform prefilled (caption, client area, states).
void DescribeForm(TCustomForm& form, platform::AccessibleElement& root);
void RouteAccessibleRequest(TCustomForm& form, const platform::AccessibleRequest& request);

// The key that names a control's element.
platform::AccessibleKey AccessibleKeyOf(const TControl& control);

}  // namespace orvalis

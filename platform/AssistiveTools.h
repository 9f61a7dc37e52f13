#pragma once
// Internal (Accessibility.cpp): an assistive tool's request sent to its window; the
// description of every shown window handed to a backend that shows them to assistive
// tools.

namespace orvalis::platform::detail {

struct Desktop;
struct AccessibleRequestEvent;

void HandleAccessibleRequest(Desktop& desktop, const AccessibleRequestEvent& event);
void ShowAccessibleTrees(Desktop& desktop);

}  // namespace orvalis::platform::detail

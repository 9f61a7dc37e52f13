#pragma once
// Internal (Accessibility.cpp): an assistive tool's request sent to its window; the
// description of every shown window handed to a backend that shows them to assistive
// tools, and of a top-level window about to show, so that the tools meet it with its
// role and states (a modal dialog) from its first announcement.

#include "platform/Messages.h"

namespace orvalis::platform::detail {

struct Desktop;
struct AccessibleRequestEvent;

void HandleAccessibleRequest(Desktop& desktop, const AccessibleRequestEvent& event);
void ShowAccessibleTrees(Desktop& desktop);
void ShowAccessibleTree(Desktop& desktop, HWND topLevel);

}  // namespace orvalis::platform::detail

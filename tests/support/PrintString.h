#pragma once
// Texts show as texts in test failures ("vue1.jpg", not a dump of the object's bytes).

#include <ostream>

#include "runtime/String.h"

namespace orvalis {
// Found by GoogleTest through the argument's namespace.
inline void PrintTo(const String& text, std::ostream* out) { *out << '"' << text.View() << '"'; }
}  // namespace orvalis

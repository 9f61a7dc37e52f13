#pragma once
// The viewer's rules on file names: the extension that chooses a reader, and the
// cut of the view number that turns a chosen file into the base name of a series.

#include "runtime/String.h"

namespace orvalis {

// The extension in upper case without its dot: "JPEG" for vue3.jpeg; "." when the
// dot and what follows are six characters or more; empty when the name has no dot.
// The last dot of the whole name counts, folders included.
String ExtensionFichier(const String& name);

// The base name of the series that `name` belongs to: the digits right before the
// last dot are cut off with everything after them (".../vue12.jpg" gives ".../vue");
// a name without such digits is its own base. Refused (false) when the cut would
// reach the first character of the name ("7.jpg", "a12.jpg").
bool SeriesBaseName(const String& name, String& base);

}  // namespace orvalis

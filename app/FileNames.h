#pragma once
// The viewer's rules on file names: the extension that chooses a reader, the cut of
// the view number that turns a chosen file into the base name of a series, and the
// file of a view found whatever the letter case of its extension.

#include <string_view>

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

// The extension that the views of a series end in: ".jpg", in any letter case.
inline constexpr std::string_view kViewExtension = ".jpg";

// The spelling of the views' extension that the series opened from `chosenName` looks
// for first: the chosen file's own extension when it spells ".jpg" in some letter case
// (".JPG" for UP1.JPG), else ".jpg".
String ViewExtensionOf(const String& chosenName);

// The file of one view: `stem` (the base name and the view number) followed by ".jpg"
// in any letter case, as a file system that ignores case finds it; the stem itself is
// exact. Where several spellings exist, `preferredExtension` wins, then ".jpg", then
// the first in byte order. Any entry counts, folders included. Empty when none exists.
String FindViewFile(const String& stem, const String& preferredExtension);

}  // namespace orvalis

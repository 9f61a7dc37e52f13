#pragma once
// Existence tests on file-system entries (links followed).

#include <string_view>

namespace orvalis::platform {

// A file: any entry but a folder. A pipe or a device counts, so that whoever opens it
// (which refuses all but regular files) tells the user, rather than finding nothing.
bool FileExists(std::string_view path);
bool DirectoryExists(std::string_view path);  // a folder
bool EntryExists(std::string_view path);      // any entry, folders included

}  // namespace orvalis::platform

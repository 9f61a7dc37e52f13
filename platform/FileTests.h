#pragma once
// Existence tests on file-system entries (links followed).

#include <string_view>

namespace orvalis::platform {

bool FileExists(std::string_view path);       // a regular file
bool DirectoryExists(std::string_view path);  // a folder
bool EntryExists(std::string_view path);      // any entry, folders included

}  // namespace orvalis::platform

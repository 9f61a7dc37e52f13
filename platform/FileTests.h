#pragma once
// Existence tests on file-system entries (links followed).

#include <string>
#include <string_view>
#include <vector>

namespace orvalis::platform {

bool FileExists(std::string_view path);       // a regular file
bool DirectoryExists(std::string_view path);  // a folder
bool EntryExists(std::string_view path);      // any entry, folders included

// The entries named `stem` + `extension` with the extension in any ASCII letter case
// (".jpg", ".JPG", ".Jpg", ...) and the stem exactly as given, as paths built like
// `stem` (the folder part kept as written), in byte order. None when the folder cannot
// be read. The extension's own dot and letters are compared; it holds no "/".
std::vector<std::string> EntriesWithExtensionInAnyCase(std::string_view stem, std::string_view extension);

}  // namespace orvalis::platform

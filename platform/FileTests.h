#pragma once
// Existence tests on file-system entries (links followed).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvalis::platform {

// A file: any entry but a folder. A pipe or a device counts, so that whoever opens it
// (which refuses all but regular files) tells the user, rather than finding nothing.
bool FileExists(std::string_view path);
bool DirectoryExists(std::string_view path);  // a folder
bool EntryExists(std::string_view path);      // any entry, folders included

// What tells one state of a file from another: the same device, inode, size,
// modification time and status-change time mean the same bytes, as far as the system
// can tell. The modification time can be set back by anyone who writes the file; the
// status-change time moves with every write and every change of the times, and only the
// system sets it.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::int64_t changedSeconds = 0;
    std::int64_t changedNanoseconds = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the regular file open as `descriptor`; none for anything else.
std::optional<FileIdentity> OpenFileIdentity(int descriptor);

// The entries named `stem` + `extension` with the extension in any ASCII letter case
// (".jpg", ".JPG", ".Jpg", ...) and the stem exactly as given, as paths built like
// `stem` (the folder part kept as written), in byte order. None when the folder cannot
// be read. The extension's own dot and letters are compared; it holds no "/".
std::vector<std::string> EntriesWithExtensionInAnyCase(std::string_view stem, std::string_view extension);

}  // namespace orvalis::platform

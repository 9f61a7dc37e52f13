#pragma once
// Existence tests on file-system entries (links followed).

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvalis::platform {

bool FileExists(std::string_view path);       // a regular file
bool DirectoryExists(std::string_view path);  // a folder
bool EntryExists(std::string_view path);      // any entry, folders included

// What tells one state of a file from another: the same device, inode, size and
// modification time mean the same bytes, as far as the system can tell.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the regular file open as `descriptor`; none for anything else.
std::optional<FileIdentity> OpenFileIdentity(int descriptor);

}  // namespace orvalis::platform

#include "platform/FileTests.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "runtime/TextConversions.h"

namespace orvalis::platform {

namespace {

bool Stat(std::string_view path, struct stat& info) {
    if (path.empty()) return false;
    return stat(std::string(path).c_str(), &info) == 0;
}

}  // namespace

bool FileExists(std::string_view path) {
    struct stat info;
    return Stat(path, info) && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(std::string_view path) {
    struct stat info;
    return Stat(path, info) && S_ISDIR(info.st_mode);
}

bool EntryExists(std::string_view path) {
    struct stat info;
    return Stat(path, info);
}

std::optional<FileIdentity> OpenFileIdentity(int descriptor) {
    struct stat info;
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),         static_cast<std::uint64_t>(info.st_ino),
                        static_cast<std::int64_t>(info.st_size),         static_cast<std::int64_t>(info.st_mtim.tv_sec),
                        static_cast<std::int64_t>(info.st_mtim.tv_nsec), static_cast<std::int64_t>(info.st_ctim.tv_sec),
                        static_cast<std::int64_t>(info.st_ctim.tv_nsec)};
}

std::vector<std::string> EntriesWithExtensionInAnyCase(std::string_view stem, std::string_view extension) {
    const std::size_t slash = stem.rfind('/');
    const std::string_view folderPart =
        slash == std::string_view::npos ? std::string_view() : stem.substr(0, slash + 1);
    const std::string_view namePart = stem.substr(folderPart.size());
    const std::string folder = folderPart.empty() ? std::string(".") : std::string(folderPart);

    std::vector<std::string> found;
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(folder.c_str()), closedir);
    if (!listing) return found;
    while (const dirent* entry = readdir(listing.get())) {
        const std::string_view name(entry->d_name);
        if (name.size() != namePart.size() + extension.size() || !name.starts_with(namePart)) continue;
        if (!SameText(name.substr(namePart.size()), extension)) continue;
        std::string path = std::string(folderPart) + std::string(name);
        if (EntryExists(path)) found.push_back(std::move(path));  // a broken link is no entry
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace orvalis::platform

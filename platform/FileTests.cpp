#include "platform/FileTests.h"

#include <sys/stat.h>

#include <string>

namespace orvalis::platform {

namespace {

bool Stat(std::string_view path, struct stat& info)
{
    if (path.empty()) return false;
    return stat(std::string(path).c_str(), &info) == 0;
}

}  // namespace

bool FileExists(std::string_view path)
{
    struct stat info;
    return Stat(path, info) && S_ISREG(info.st_mode);
}

bool DirectoryExists(std::string_view path)
{
    struct stat info;
    return Stat(path, info) && S_ISDIR(info.st_mode);
}

bool EntryExists(std::string_view path)
{
    struct stat info;
    return Stat(path, info);
}

std::optional<FileIdentity> OpenFileIdentity(int descriptor)
{
    struct stat info;
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                        static_cast<std::int64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtim.tv_sec),
                        static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

}  // namespace orvalis::platform

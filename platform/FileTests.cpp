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
    return Stat(path, info) && !S_ISDIR(info.st_mode);
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

}  // namespace orvalis::platform

#include "platform/ModuleFile.h"

#include <unistd.h>

namespace orvalis::platform {

std::string GetModuleFileName() {
    std::string path(4096, '\0');
    ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
    path.resize(static_cast<std::size_t>(length));
    return path;
}

}  // namespace orvalis::platform

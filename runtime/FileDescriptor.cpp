#include "runtime/FileDescriptor.h"

#include <unistd.h>

#include <cerrno>

namespace orvalis {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        FileDescriptor former(descriptor_);
        descriptor_ = other.Release();
    }
    return *this;
}

FileDescriptor::~FileDescriptor() {
    if (descriptor_ < 0) return;
    const int error = errno;
    ::close(descriptor_);
    errno = error;
}

}  // namespace orvalis

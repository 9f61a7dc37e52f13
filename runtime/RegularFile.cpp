#include "runtime/RegularFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orvalis {

namespace {

FileDescriptor Refused(int error) {
    errno = error;
    return FileDescriptor();
}

}  // namespace

FileDescriptor OpenRegularFile(const char* path, int flags, mode_t mode) {
    // A device is not even opened (opening some has effects of its own); the check
    // after the open covers a name that changes in between.
    struct stat info {};
    if (::stat(path, &info) == 0 && !S_ISREG(info.st_mode)) return Refused(S_ISDIR(info.st_mode) ? EISDIR : ENODEV);
    // O_NONBLOCK makes the open of a FIFO return at once; O_TRUNC is left to after the
    // check, so that only a regular file is ever cut.
    FileDescriptor owned(::open(path, (flags & ~O_TRUNC) | O_NONBLOCK | O_CLOEXEC, mode));
    if (!owned.IsOpen()) return owned;
    const int descriptor = owned.Get();
    int refusal = 0;
    if (::fstat(descriptor, &info) != 0)
        refusal = errno;
    else if (S_ISDIR(info.st_mode))
        refusal = EISDIR;
    else if (!S_ISREG(info.st_mode))
        refusal = ENODEV;
    else if (::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) != 0)
        refusal = errno;
    else if ((flags & O_TRUNC) && ::ftruncate(descriptor, 0) != 0)
        refusal = errno;
    if (refusal == 0) return owned;
    owned = FileDescriptor();
    return Refused(refusal);
}

}  // namespace orvalis

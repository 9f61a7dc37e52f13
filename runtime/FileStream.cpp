#include "runtime/FileStream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "runtime/Exceptions.h"
#include "runtime/RegularFile.h"

namespace orvalis {
namespace {

// The advisory lock that stands for a share mode; 0 for none.
int LockFor(std::uint16_t mode) {
    switch (mode & 0x00F0) {
        case fmShareExclusive:
        case fmShareDenyRead: return LOCK_EX;
        case fmShareDenyWrite:
        case fmShareDenyNone: return LOCK_SH;
        default:  // compatibility mode: as exclusive, which is what it amounts to
            return LOCK_EX;
    }
}

}  // namespace

TFileStream::TFileStream(const String& fileName, std::uint16_t mode) : fileName_(fileName) {
    const bool create = (mode & 0xFF00) == fmCreate;
    int flags = 0;
    if (create) {
        flags |= O_RDWR | O_CREAT;
    } else {
        switch (mode & 0x0003) {
            case fmOpenWrite: flags |= O_WRONLY; break;
            case fmOpenReadWrite: flags |= O_RDWR; break;
            default: flags |= O_RDONLY; break;
        }
    }
    // A FIFO or a device under the name is refused like a file that cannot be opened.
    descriptor_ = OpenRegularFile(fileName.CStr(), flags);
    const int lock = create ? LOCK_EX : LockFor(mode);
    const bool locked = descriptor_.IsOpen() && ::flock(descriptor_.Get(), lock | LOCK_NB) == 0;
    // The descriptor, if any, is closed as the constructor leaves by an exception.
    if (!locked) {
        if (create) throw EFileCreateError(ResId::FileCreate, {fileName});
        throw EFileOpenError(ResId::FileOpen, {fileName});
    }
    // Truncate only once the lock shows that nobody else holds the file.
    if (create && ::ftruncate(descriptor_.Get(), 0) != 0) throw EFileCreateError(ResId::FileCreate, {fileName});
}

TFileStream::~TFileStream() = default;

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    for (;;) {
        const ssize_t got = ::read(descriptor_.Get(), buffer, count);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) return 0;
    }
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    for (;;) {
        const ssize_t put = ::write(descriptor_.Get(), buffer, count);
        if (put >= 0) return static_cast<std::size_t>(put);
        if (errno != EINTR) return 0;
    }
}

std::int64_t TFileStream::Seek(std::int64_t offset, SeekOrigin origin) {
    const int whence = origin == SeekOrigin::Beginning ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
    const off_t position = ::lseek(descriptor_.Get(), offset, whence);
    return position < 0 ? -1 : static_cast<std::int64_t>(position);
}

void TFileStream::SetSize(std::int64_t size) {
    if (::ftruncate(descriptor_.Get(), size) != 0) throw EWriteError(ResId::StreamWrite);
    if (Position() > size) SetPosition(size);
}

}  // namespace orvalis

#include "app/LogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "runtime/RegularFile.h"
#include "runtime/TextConversions.h"

namespace orvalis {

std::unique_ptr<LogFile> LogFile::Open(const char* path, OpenFailure& failure) {
    FileDescriptor descriptor = OpenRegularFile(path, O_WRONLY | O_CREAT | O_TRUNC);
    if (!descriptor.IsOpen()) {
        struct stat info {};
        const bool fileThere = ::stat(path, &info) == 0 && S_ISREG(info.st_mode);
        failure = fileThere ? OpenFailure::NotWritable : OpenFailure::NotCreated;
        return nullptr;
    }
    failure = OpenFailure::None;
    return std::unique_ptr<LogFile>(new LogFile(std::move(descriptor), ::write));
}

std::unique_ptr<LogFile> LogFile::OnDescriptor(int descriptor, WriteFunction write) {
    return std::unique_ptr<LogFile>(new LogFile(FileDescriptor(descriptor), std::move(write)));
}

LogFile::LogFile(FileDescriptor descriptor, WriteFunction write)
    : descriptor_(std::move(descriptor)), write_(std::move(write)) {
    // Reports go after what the descriptor's file already holds (nothing, once opened "wt").
    const off_t position = ::lseek(descriptor_.Get(), 0, SEEK_CUR);
    length_ = position > 0 ? position : 0;
}

// Every report is in the file at its flush: nothing is left to write out here.
LogFile::~LogFile() = default;

void LogFile::Write(const String& utf8Text) {
    const std::string bytes = Utf8ToWindows1252(utf8Text.View());
    pending_.reserve(pending_.size() + bytes.size() + bytes.size() / 16);
    for (const char c : bytes) {
        if (c == '\n') pending_ += '\r';
        pending_ += c;
    }
}

int LogFile::Flush() {
    std::string text = std::move(pending_);
    pending_.clear();
    std::size_t written = 0;
    int error = 0;
    while (written < text.size()) {
        const ssize_t put = write_(descriptor_.Get(), text.data() + written, text.size() - written);
        if (put > 0) {
            written += static_cast<std::size_t>(put);
        } else if (put == 0 || errno != EINTR) {
            error = put == 0 ? ENOSPC : errno;  // a write that takes nothing: no room
            break;
        }
    }
    if (error == 0) {
        length_ += static_cast<off_t>(written);
        return 0;
    }
    // What the report left is cut off, so the reports before stay whole and readable.
    if (written > 0 && ::ftruncate(descriptor_.Get(), length_) == 0) ::lseek(descriptor_.Get(), length_, SEEK_SET);
    return error;
}

}  // namespace orvalis

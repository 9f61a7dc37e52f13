#pragma once
// The viewer's log file. Texts are given in UTF-8 and reach the file in Windows-1252
// with every line feed written as CR LF, as a text-mode stream of the original
// platform writes them. What is written is kept until the flush, which writes it out
// whole or not at all: a report that cannot be written (disk full, input/output error)
// is cut off again, so the file only ever holds whole reports.

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>

#include "runtime/FileDescriptor.h"
#include "runtime/String.h"

namespace orvalis {

class LogFile {
public:
    // Why the log could not be opened.
    enum class OpenFailure {
        None,
        NotCreated,   // no file could be made there (a folder, a pipe or a device of that name)
        NotWritable,  // the file is there but may not be written
    };
    // How the log writes its bytes: write(2), or a stand-in that fails where a test wants.
    using WriteFunction = std::function<ssize_t(int descriptor, const void* bytes, std::size_t count)>;

    // Creates or truncates the file (mode "wt"), a regular file only; null when it
    // cannot be opened, with the reason in `failure`.
    static std::unique_ptr<LogFile> Open(const char* path, OpenFailure& failure);
    // A log on a descriptor already open, which it takes (a device such as /dev/full,
    // or a file written through `write`).
    static std::unique_ptr<LogFile> OnDescriptor(int descriptor, WriteFunction write);
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    void Write(const String& utf8Text);
    // Writes out what was written since the last flush. Returns 0 when it is all in the
    // file; otherwise the error number of the failure, the file cut back to its length
    // before and the text dropped (a later flush starts afresh).
    int Flush();

private:
    LogFile(FileDescriptor descriptor, WriteFunction write);

    FileDescriptor descriptor_;
    WriteFunction write_;
    std::string pending_;  // Windows-1252, CR LF
    off_t length_;         // what the file holds of whole reports
};

}  // namespace orvalis

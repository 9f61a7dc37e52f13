#pragma once
// The viewer's log file: a buffered output stream in text mode. Texts are given in
// UTF-8 and reach the file in Windows-1252 with every line feed written as CR LF,
// as a text-mode stream of the original platform writes them.

#include <cstdio>
#include <memory>

#include "runtime/String.h"

namespace orvalis {

class LogFile {
public:
    // Creates or truncates the file (mode "wt"); null when it cannot be opened.
    static std::unique_ptr<LogFile> Open(const char* path);
    // Closes the stream, writing out what is still buffered.
    ~LogFile();

    void Write(const String& utf8Text);
    void Flush();

private:
    explicit LogFile(std::FILE* stream) : stream_(stream) {}

    std::FILE* stream_;
};

}  // namespace orvalis

#include "app/LogFile.h"

#include <string>

#include "runtime/TextConversions.h"

namespace orvalis {

std::unique_ptr<LogFile> LogFile::Open(const char* path) {
    std::FILE* stream = std::fopen(path, "wb");
    if (!stream) return nullptr;
    return std::unique_ptr<LogFile>(new LogFile(stream));
}

LogFile::~LogFile() { std::fclose(stream_); }

void LogFile::Write(const String& utf8Text) {
    const std::string bytes = Utf8ToWindows1252(utf8Text.View());
    std::string translated;
    translated.reserve(bytes.size() + bytes.size() / 16);
    for (const char c : bytes) {
        if (c == '\n') translated += '\r';
        translated += c;
    }
    std::fwrite(translated.data(), 1, translated.size(), stream_);
}

void LogFile::Flush() { std::fflush(stream_); }

}  // namespace orvalis

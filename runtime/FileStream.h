#pragma once
// TFileStream: a stream on a file, opened with an open mode and a share mode.
// Share modes are kept between openers through advisory file locks: an
// exclusive opener refuses every other opener, "deny write" openers share.

#include <cstdint>

#include "runtime/FileDescriptor.h"
#include "runtime/Stream.h"
#include "runtime/String.h"

namespace orvalis {

enum FileMode : std::uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    // Creates or truncates the file, opened for reading and writing.
    fmCreate = 0xFF00,
};

class TFileStream : public TStream {
public:
    // Raises EFileOpenError "Impossible d'ouvrir le fichier %s" (or EFileCreateError
    // for fmCreate) when the file cannot be opened in that mode.
    TFileStream(const String& fileName, std::uint16_t mode);
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    ~TFileStream() override;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    void SetSize(std::int64_t size) override;

    const String& FileName() const { return fileName_; }
    // The open file, for questions about it (its identity); the stream keeps it.
    int Descriptor() const { return descriptor_.Get(); }

private:
    String fileName_;
    FileDescriptor descriptor_;
};

}  // namespace orvalis

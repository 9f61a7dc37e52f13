#pragma once
// An open file descriptor with one owner, closed when the owner goes: the file is given
// back on every path, error paths and exceptions included.

namespace orvalis {

class FileDescriptor {
public:
    FileDescriptor() = default;
    // Takes `descriptor` (or -1 for none).
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    FileDescriptor(FileDescriptor&& other) noexcept : descriptor_(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    // Closing leaves errno as it was, so a refusal's errno outlives the clean-up.
    ~FileDescriptor();

    bool IsOpen() const { return descriptor_ >= 0; }
    // The descriptor, still owned here; -1 when none.
    int Get() const { return descriptor_; }
    // The descriptor, handed to a new owner (fdopen) that will close it; -1 when none.
    int Release() {
        const int descriptor = descriptor_;
        descriptor_ = -1;
        return descriptor;
    }

private:
    int descriptor_ = -1;
};

}  // namespace orvalis

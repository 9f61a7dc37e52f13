#pragma once
// TStream, the abstract byte stream, and TMemoryStream, a stream held in memory.

#include <cstddef>
#include <cstdint>

namespace orvalis {

enum class SeekOrigin { Beginning, Current, End };

class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to `count` bytes; returns how many were read (0 at the end).
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes up to `count` bytes; returns how many were written.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Moves the position; returns the new position.
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;
    virtual std::int64_t Size();
    virtual void SetSize(std::int64_t size);

    std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(std::int64_t position) { Seek(position, SeekOrigin::Beginning); }

    // Reads exactly `count` bytes or raises EReadError "Erreur de lecture du flux".
    void ReadBuffer(void* buffer, std::size_t count);
    // Writes exactly `count` bytes or raises EWriteError.
    void WriteBuffer(const void* buffer, std::size_t count);
    // Copies `count` bytes from `source` (all of it from its start when count is 0).
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

// A stream over a block of memory that it does not necessarily own.
class TCustomMemoryStream : public TStream {
public:
    std::size_t Read(void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(size_); }

    const std::uint8_t* Memory() const { return memory_; }

protected:
    void SetPointer(std::uint8_t* memory, std::size_t size);
    std::uint8_t* MutableMemory() { return memory_; }
    std::size_t PositionIndex() const { return position_; }
    void SetPositionIndex(std::size_t position) { position_ = position; }

private:
    std::uint8_t* memory_ = nullptr;
    std::size_t size_ = 0;
    std::size_t position_ = 0;
};

// A growable stream in memory that owns its bytes.
class TMemoryStream : public TCustomMemoryStream {
public:
    TMemoryStream() = default;
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;
    ~TMemoryStream() override;

    std::size_t Write(const void* buffer, std::size_t count) override;
    void SetSize(std::int64_t size) override;

    std::uint8_t* Memory() { return MutableMemory(); }
    const std::uint8_t* Memory() const { return TCustomMemoryStream::Memory(); }
    std::size_t Capacity() const { return capacity_; }
    // Cuts the capacity to the size (a kept stream takes no more memory than it needs).
    void ShrinkToFit();
    void Clear();
    // Replaces the content with the whole of `source`.
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& destination);

private:
    void Reserve(std::size_t capacity);

    std::size_t capacity_ = 0;
};

}  // namespace orvalis

#include "runtime/Stream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "runtime/Exceptions.h"

namespace orvalis {

std::int64_t TStream::Size() {
    const std::int64_t position = Seek(0, SeekOrigin::Current);
    const std::int64_t size = Seek(0, SeekOrigin::End);
    Seek(position, SeekOrigin::Beginning);
    return size;
}

void TStream::SetSize(std::int64_t) {}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    while (count > 0) {
        const std::size_t got = Read(bytes, count);
        if (got == 0) throw EReadError(ResId::StreamRead);
        bytes += got;
        count -= got;
    }
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    auto* bytes = static_cast<const std::uint8_t*>(buffer);
    while (count > 0) {
        const std::size_t put = Write(bytes, count);
        if (put == 0) throw EWriteError(ResId::StreamWrite);
        bytes += put;
        count -= put;
    }
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min<std::int64_t>(count, 64 * 1024)));
    std::int64_t left = count;
    while (left > 0) {
        const auto piece =
            static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(chunk.size())));
        source.ReadBuffer(chunk.data(), piece);
        WriteBuffer(chunk.data(), piece);
        left -= static_cast<std::int64_t>(piece);
    }
    return count;
}

void TCustomMemoryStream::SetPointer(std::uint8_t* memory, std::size_t size) {
    memory_ = memory;
    size_ = size;
}

std::size_t TCustomMemoryStream::Read(void* buffer, std::size_t count) {
    if (position_ >= size_) return 0;
    const std::size_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, memory_ + position_, n);
    position_ += n;
    return n;
}

std::int64_t TCustomMemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == SeekOrigin::Current) base = static_cast<std::int64_t>(position_);
    if (origin == SeekOrigin::End) base = static_cast<std::int64_t>(size_);
    const std::int64_t target = base + offset;
    position_ = target < 0 ? 0 : static_cast<std::size_t>(target);
    return static_cast<std::int64_t>(position_);
}

TMemoryStream::~TMemoryStream() { std::free(MutableMemory()); }

void TMemoryStream::Reserve(std::size_t capacity) {
    if (capacity <= capacity_) return;
    void* grown = std::realloc(MutableMemory(), capacity);
    if (!grown) throw std::bad_alloc();
    capacity_ = capacity;
    SetPointer(static_cast<std::uint8_t*>(grown), static_cast<std::size_t>(Size()));
}

void TMemoryStream::SetSize(std::int64_t size) {
    const auto newSize = static_cast<std::size_t>(std::max<std::int64_t>(size, 0));
    Reserve(newSize);
    SetPointer(MutableMemory(), newSize);
    if (PositionIndex() > newSize) SetPositionIndex(newSize);
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    const std::size_t end = PositionIndex() + count;
    if (end > static_cast<std::size_t>(Size())) {
        if (end > capacity_) Reserve(std::max(end, capacity_ + capacity_ / 2));
        SetPointer(MutableMemory(), end);
    }
    std::memcpy(MutableMemory() + PositionIndex(), buffer, count);
    SetPositionIndex(end);
    return count;
}

void TMemoryStream::ShrinkToFit() {
    const auto size = static_cast<std::size_t>(Size());
    if (size == capacity_) return;
    if (size == 0) {
        Clear();
        return;
    }
    void* cut = std::realloc(MutableMemory(), size);
    if (!cut) return;  // keeping the larger block loses nothing
    capacity_ = size;
    SetPointer(static_cast<std::uint8_t*>(cut), size);
}

void TMemoryStream::Clear() {
    std::free(MutableMemory());
    capacity_ = 0;
    SetPointer(nullptr, 0);
    SetPositionIndex(0);
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    const std::int64_t size = source.Size();
    SetSize(size);
    if (size > 0) source.ReadBuffer(Memory(), static_cast<std::size_t>(size));
    SetPosition(0);
}

void TMemoryStream::SaveToStream(TStream& destination) {
    if (Size() > 0) destination.WriteBuffer(Memory(), static_cast<std::size_t>(Size()));
}

}  // namespace orvalis

#pragma once
// TWriter: writes the binary form format through a 4096-byte buffer, choosing
// the tags by the writer rules: the smallest integer tag, a prefix byte only when
// a flag is set, ASCII texts as tagString and texts with other characters as
// tagUtf8String.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "framework/classes/ValueTags.h"
#include "runtime/Stream.h"

namespace orvalis {

class TWriter {
public:
    explicit TWriter(TStream& stream, std::size_t bufferSize = 4096);
    TWriter(const TWriter&) = delete;
    TWriter& operator=(const TWriter&) = delete;
    // Flushes what is still buffered.
    virtual ~TWriter();

    void WriteSignature();
    // Nothing when `flags` is 0; else 0xF0 | flags, then the position for prefixChildPos.
    void WritePrefix(std::uint8_t flags, int childPosition = 0);
    // A short string without tag: one length byte, then the bytes (names, class names).
    void WriteShortString(std::string_view text);
    // The end-of-list byte (0) closing properties, children, lists and collections.
    void WriteListEnd();
    void WriteListBegin();

    // Tagged values.
    void WriteInteger(std::int64_t value);
    void WriteText(std::string_view utf8);
    // "False", "True", "nil" and "Null" (any letter case) become their own tags.
    void WriteIdent(std::string_view identifier);
    void WriteBoolean(bool value);
    void WriteFloat(long double value);
    void WriteSet(std::span<const std::string_view> elementNames);
    void WriteBinary(std::span<const std::uint8_t> bytes);
    void WriteNil();
    void WriteTag(TValueTag tag);

    // Raw bytes, buffered.
    void Write(const void* bytes, std::size_t count);
    void FlushBuffer();

private:
    TStream& stream_;
    std::vector<std::uint8_t> buffer_;
    std::size_t used_ = 0;
};

}  // namespace orvalis

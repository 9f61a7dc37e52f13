#include "framework/classes/Writer.h"

#include <cassert>
#include <cfloat>
#include <cstring>

#include "runtime/TextConversions.h"

namespace orvalis {
namespace {

void PutLittleEndian(std::uint8_t* out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool IsAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

TWriter::TWriter(TStream& stream, std::size_t bufferSize) : stream_(stream), buffer_(bufferSize) {}

TWriter::~TWriter() { FlushBuffer(); }

void TWriter::Write(const void* bytes, std::size_t count) {
    const auto* from = static_cast<const std::uint8_t*>(bytes);
    while (count > 0) {
        if (used_ == buffer_.size()) FlushBuffer();
        const std::size_t piece = std::min(count, buffer_.size() - used_);
        std::memcpy(buffer_.data() + used_, from, piece);
        used_ += piece;
        from += piece;
        count -= piece;
    }
}

void TWriter::FlushBuffer() {
    if (used_ == 0) return;
    stream_.WriteBuffer(buffer_.data(), used_);
    used_ = 0;
}

void TWriter::WriteTag(TValueTag tag) { Write(&tag, 1); }

void TWriter::WriteSignature() { Write(kFormSignature, sizeof kFormSignature); }

void TWriter::WritePrefix(std::uint8_t flags, int childPosition) {
    if (flags == 0) return;
    const std::uint8_t prefix = kPrefixMark | flags;
    Write(&prefix, 1);
    if (flags & prefixChildPos) WriteInteger(childPosition);
}

void TWriter::WriteShortString(std::string_view text) {
    assert(text.size() <= 255 && "a short string holds at most 255 bytes");
    const auto length = static_cast<std::uint8_t>(text.size());
    Write(&length, 1);
    Write(text.data(), text.size());
}

void TWriter::WriteListBegin() { WriteTag(tagList); }
void TWriter::WriteListEnd() { WriteTag(tagNull); }

void TWriter::WriteInteger(std::int64_t value) {
    std::uint8_t bytes[9];
    int size;
    if (value >= -128 && value <= 127) {
        bytes[0] = tagInt8;
        size = 1;
    } else if (value >= -32768 && value <= 32767) {
        bytes[0] = tagInt16;
        size = 2;
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        bytes[0] = tagInt32;
        size = 4;
    } else {
        bytes[0] = tagInt64;
        size = 8;
    }
    PutLittleEndian(bytes + 1, static_cast<std::uint64_t>(value), size);
    Write(bytes, 1 + static_cast<std::size_t>(size));
}

void TWriter::WriteText(std::string_view utf8) {
    if (IsAscii(utf8) && utf8.size() <= 255) {
        WriteTag(tagString);
        WriteShortString(utf8);
        return;
    }
    std::uint8_t header[5];
    header[0] = IsAscii(utf8) ? tagLString : tagUtf8String;
    PutLittleEndian(header + 1, utf8.size(), 4);
    Write(header, sizeof header);
    Write(utf8.data(), utf8.size());
}

void TWriter::WriteIdent(std::string_view identifier) {
    if (SameText(identifier, "False")) return WriteTag(tagFalse);
    if (SameText(identifier, "True")) return WriteTag(tagTrue);
    if (SameText(identifier, "nil")) return WriteTag(tagNil);
    if (SameText(identifier, "Null")) return WriteTag(tagNull);
    WriteTag(tagIdent);
    WriteShortString(identifier);
}

void TWriter::WriteBoolean(bool value) { WriteTag(value ? tagTrue : tagFalse); }

void TWriter::WriteFloat(long double value) {
    static_assert(LDBL_MANT_DIG == 64, "the form format stores 80-bit extended floats");
    std::uint8_t bytes[11] = {tagExtended};
    std::memcpy(bytes + 1, &value, 10);
    Write(bytes, sizeof bytes);
}

void TWriter::WriteSet(std::span<const std::string_view> elementNames) {
    WriteTag(tagSet);
    for (const std::string_view name : elementNames) WriteShortString(name);
    WriteShortString("");
}

void TWriter::WriteBinary(std::span<const std::uint8_t> bytes) {
    std::uint8_t header[5] = {tagBinary};
    PutLittleEndian(header + 1, bytes.size(), 4);
    Write(header, sizeof header);
    Write(bytes.data(), bytes.size());
}

void TWriter::WriteNil() { WriteTag(tagNil); }

}  // namespace orvalis

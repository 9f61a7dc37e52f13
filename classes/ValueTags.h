#pragma once
// The byte codes of the binary form format: value tags, how the bytes after each tag are
// laid out, and child prefix flags.

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvalis {

enum TValueTag : std::uint8_t {
    tagNull = 0,  // also the end-of-list byte
    tagList = 1,
    tagInt8 = 2,
    tagInt16 = 3,
    tagInt32 = 4,
    tagExtended = 5,
    tagString = 6,
    tagIdent = 7,
    tagFalse = 8,
    tagTrue = 9,
    tagBinary = 10,
    tagSet = 11,
    tagLString = 12,
    tagNil = 13,
    tagCollection = 14,
    tagSingle = 15,
    tagCurrency = 16,
    tagDate = 17,
    tagWString = 18,
    tagInt64 = 19,
    tagUtf8String = 20,
};

// What follows a value tag. This is the one table of the format's values: the reader
// reads and skips values by it, the form compiler decodes them by it.
enum class TPayload : std::uint8_t {
    None,        // tagNull, tagFalse, tagTrue, tagNil
    Integer,     // tagInt8, tagInt16, tagInt32, tagInt64: `size` bytes, signed
    Float,       // tagExtended, tagSingle, tagCurrency, tagDate: `size` bytes
    ShortBytes,  // tagString, tagIdent: a length byte, then the bytes
    LongBytes,   // tagLString, tagUtf8String, tagBinary: a 32-bit length, then the bytes
    WideUnits,   // tagWString: a 32-bit count, then the 16-bit code units
    Names,       // tagSet: short strings up to an empty one
    Values,      // tagList: values up to the end-of-list byte
    Items,       // tagCollection: up to the end-of-list byte, items, each an optional
                 // integer (its index), tagList, properties, the end-of-list byte
};

struct TValueLayout {
    TPayload payload;
    // The bytes of an Integer or a Float payload.
    std::uint8_t size = 0;
    // The identifier that a tag without payload stands for ("False", "True", "nil", "Null").
    std::string_view ident = {};
};

// The layout after `tag`; none for a byte that is no value tag.
constexpr std::optional<TValueLayout> ValueLayoutOf(std::uint8_t tag) {
    switch (tag) {
        case tagNull: return TValueLayout{TPayload::None, 0, "Null"};
        case tagFalse: return TValueLayout{TPayload::None, 0, "False"};
        case tagTrue: return TValueLayout{TPayload::None, 0, "True"};
        case tagNil: return TValueLayout{TPayload::None, 0, "nil"};
        case tagInt8: return TValueLayout{TPayload::Integer, 1};
        case tagInt16: return TValueLayout{TPayload::Integer, 2};
        case tagInt32: return TValueLayout{TPayload::Integer, 4};
        case tagInt64: return TValueLayout{TPayload::Integer, 8};
        case tagExtended: return TValueLayout{TPayload::Float, 10};
        case tagSingle: return TValueLayout{TPayload::Float, 4};
        case tagCurrency:
        case tagDate: return TValueLayout{TPayload::Float, 8};
        case tagString:
        case tagIdent: return TValueLayout{TPayload::ShortBytes};
        case tagLString:
        case tagUtf8String:
        case tagBinary: return TValueLayout{TPayload::LongBytes};
        case tagWString: return TValueLayout{TPayload::WideUnits};
        case tagSet: return TValueLayout{TPayload::Names};
        case tagList: return TValueLayout{TPayload::Values};
        case tagCollection: return TValueLayout{TPayload::Items};
        default: return std::nullopt;
    }
}

constexpr bool IsIntegerTag(std::uint8_t tag) {
    const std::optional<TValueLayout> layout = ValueLayoutOf(tag);
    return layout && layout->payload == TPayload::Integer;
}

enum TFilerFlag : std::uint8_t {
    prefixInherited = 1,
    prefixChildPos = 2,
    prefixInline = 4,
};

// A prefix byte is 0xF0 or'ed with the flags; a byte below 0xF0 starts the class name.
constexpr std::uint8_t kPrefixMark = 0xF0;

// The four bytes every form resource starts with.
constexpr char kFormSignature[4] = {'T', 'P', 'F', '0'};

}  // namespace orvalis

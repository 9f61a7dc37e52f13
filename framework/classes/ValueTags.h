#pragma once
// The byte codes of the binary form format: value tags and child prefix flags.

#include <cstdint>

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

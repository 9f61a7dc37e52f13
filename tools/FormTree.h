#pragma once
// The tree of a form as the form compiler sees it: one component with its
// properties and children, each value with the exact encoding it is stored in.
// The parser builds it from form source, the decoder from form data; the
// emitter writes it as form data and the printer as form source.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "classes/Reader.h"
#include "classes/ValueTags.h"

namespace orvalis::formc {

// Components, lists and collections nested deeper than this are refused, in
// source and in data alike: exactly what the framework's reader refuses. Child
// components count from the root (level 0), and each list or collection value
// one level more than what holds it; real forms nest a few levels.
constexpr int kMaxFormNesting = TReader::kMaxNesting;
// Child positions and item indexes take any integer tag, as the reader does; a child
// position must hold in 32 bits, signed or not, or the reader refuses it.
inline bool IsChildPositionInRange(std::int64_t position) {
    return position >= INT32_MIN && position <= std::int64_t{UINT32_MAX};
}
inline constexpr const char* kChildPositionRange = "a child position lies between -2147483648 and 4294967295";

// Why a deeper nesting is refused.
inline std::string NestingTooDeep() { return "nesting deeper than " + std::to_string(kMaxFormNesting) + " levels"; }

struct FormProperty;
struct FormCollectionItem;

struct FormValue {
    enum class Kind {
        Integer,     // integer
        Float,       // payload: the stored bytes of the float tag
        Text,        // bytes: a byte text as stored: Windows-1252 under the short and long
                     // tags (tagString, tagLString), UTF-8 otherwise
        WideText,    // wide: UTF-16 code units
        Ident,       // bytes: the identifier (False, True, nil and Null included)
        Set,         // names
        List,        // elements
        Binary,      // bytes
        Collection,  // items
    };

    Kind kind = Kind::Integer;
    // The tag the value is stored with. None: the writer chooses by its own rules
    // (the smallest integer tag, the text tag by the characters, the tags of
    // False, True, nil and Null). Always set for floats and wide texts.
    std::optional<TValueTag> encoding;

    std::int64_t integer = 0;
    std::string bytes;
    std::u16string wide;
    std::vector<std::string> names;
    std::vector<FormValue> elements;
    std::vector<FormCollectionItem> items;
};

struct FormProperty {
    std::string name;  // a name or a path such as Font.Height
    FormValue value;
};

struct FormCollectionItem {
    std::optional<FormValue> index;  // an integer stored before the item, if any
    std::vector<FormProperty> properties;
};

struct FormComponent {
    // Present when the component has a prefix byte (0xF0 | flags), even with no flag.
    std::optional<std::uint8_t> prefixFlags;
    // The child position; present exactly when prefixFlags has prefixChildPos.
    std::optional<FormValue> position;
    std::string className;
    std::string name;
    std::vector<FormProperty> properties;
    std::vector<FormComponent> children;
};

}  // namespace orvalis::formc

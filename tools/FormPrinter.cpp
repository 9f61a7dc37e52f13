#include "tools/FormPrinter.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "runtime/Stream.h"
#include "runtime/TextConversions.h"
#include "tools/FormDecoder.h"
#include "tools/FormEmitter.h"
#include "tools/Utf8.h"

namespace orvalis::formc {
namespace {

// A list of scalars prints on one line up to this width, otherwise one element a line.
constexpr std::size_t kOneLineListWidth = 72;
// Binary data prints as groups of 4 bytes, 32 bytes a line.
constexpr std::size_t kBinaryLineBytes = 32;

constexpr char kHexDigits[] = "0123456789ABCDEF";

struct TagMarker {
    TValueTag tag;
    std::string_view marker;
};

constexpr TagMarker kMarkers[] = {
    {tagInt8, "int8"},         {tagInt16, "int16"},   {tagInt32, "int32"},     {tagInt64, "int64"},
    {tagExtended, "extended"}, {tagSingle, "single"}, {tagDate, "date"},       {tagCurrency, "currency"},
    {tagString, "short"},      {tagLString, "long"},  {tagUtf8String, "utf8"}, {tagWString, "wide"},
    {tagIdent, "ident"},
};

std::string_view MarkerOf(TValueTag tag) {
    for (const TagMarker& m : kMarkers)
        if (m.tag == tag) return m.marker;
    return {};
}

struct PrefixModifier {
    std::uint8_t flag;
    std::string_view word;
};

constexpr PrefixModifier kModifiers[] = {
    {prefixInherited, "inherited"}, {prefixChildPos, "position"}, {prefixInline, "inline"}, {0x08, "bit3"}};

std::vector<std::uint8_t> Emitted(const FormValue& value) {
    TMemoryStream stream;
    {
        TWriter writer(stream);
        EmitValue(writer, value);
    }
    return {stream.Memory(), stream.Memory() + stream.Size()};
}

bool IsAnsiText(const FormValue& value) {
    return value.kind == FormValue::Kind::Text && (value.encoding == tagString || value.encoding == tagLString);
}

// A byte text's characters in UTF-8, as the source writes them.
std::string TextCharacters(const FormValue& value) {
    return IsAnsiText(value) ? Windows1252ToUtf8(value.bytes).ToStdString() : value.bytes;
}

// Whether the writer's own rules store this value with the same bytes.
bool WriterChoosesSame(const FormValue& value) {
    if (!value.encoding) return true;
    FormValue plain = value;
    plain.encoding.reset();
    if (IsAnsiText(value)) plain.bytes = TextCharacters(value);
    return Emitted(plain) == Emitted(value);
}

constexpr bool IsWordStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
constexpr bool IsWordChar(char c) { return IsWordStart(c) || (c >= '0' && c <= '9'); }

// Letters, digits and underscores, with single dots between runs: what the
// source's words are made of.
bool IsWord(std::string_view text) {
    bool atStart = true;
    for (const char c : text) {
        if (atStart) {
            if (!IsWordStart(c)) return false;
            atStart = false;
        } else if (c == '.') {
            atStart = true;
        } else if (!IsWordChar(c)) {
            return false;
        }
    }
    return !atStart;
}

void AppendHexByte(std::string& out, std::uint8_t byte) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

void AppendCodePointEscape(std::string& out, char32_t codePoint) {
    out += "\\u{";
    char digits[8];
    const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<std::uint32_t>(codePoint), 16).ptr;
    for (char* d = digits; d != end; ++d) out += static_cast<char>(*d >= 'a' ? *d - 'a' + 'A' : *d);
    out += '}';
}

// Characters that would be invisible or misleading when printed as they are.
bool NeedsEscape(char32_t codePoint) {
    return codePoint < 0x20 || codePoint == 0x7F || (codePoint >= 0x80 && codePoint < 0xA0) || codePoint == 0x2028 ||
           codePoint == 0x2029 || codePoint == 0xFEFF;
}

// Appends one character that is not a lone surrogate; `asByte` escapes an
// ASCII control as \xHH (byte texts) rather than \u{...} (wide texts).
void AppendCharacter(std::string& out, char32_t codePoint, bool asByte) {
    switch (codePoint) {
        case '"': out += "\\\""; return;
        case '\\': out += "\\\\"; return;
        case '\n': out += "\\n"; return;
        case '\r': out += "\\r"; return;
        case '\t': out += "\\t"; return;
        default: break;
    }
    if (!NeedsEscape(codePoint)) return AppendUtf8(out, codePoint);
    if (asByte && codePoint < 0x80) {
        out += "\\x";
        return AppendHexByte(out, static_cast<std::uint8_t>(codePoint));
    }
    AppendCodePointEscape(out, codePoint);
}

// A byte text in quotes: UTF-8 characters as they are, other bytes as \xHH.
std::string Quote(std::string_view bytes) {
    std::string out = "\"";
    for (std::size_t i = 0; i < bytes.size();) {
        if (const auto codePoint = DecodeUtf8(bytes, i)) {
            AppendCharacter(out, *codePoint, true);
        } else {
            out += "\\x";
            AppendHexByte(out, static_cast<std::uint8_t>(bytes[i++]));
        }
    }
    return out + "\"";
}

// A wide text in quotes: surrogate pairs joined, a lone surrogate as \u{D800}.
std::string QuoteWide(std::u16string_view units) {
    std::string out = "\"";
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            AppendCharacter(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00), false);
            ++i;
        } else if (IsSurrogate(unit)) {
            AppendCodePointEscape(out, unit);
        } else {
            AppendCharacter(out, unit, false);
        }
    }
    return out + "\"";
}

std::string Name(std::string_view name) { return IsWord(name) ? std::string(name) : Quote(name); }

std::string HexData(std::string_view bytes, const std::string& indent) {
    const bool oneLine = bytes.size() <= kBinaryLineBytes;
    std::string out = "hex\"";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % kBinaryLineBytes == 0) {
            if (!oneLine) out += "\n" + indent + "  ";
        } else if (i % 4 == 0) {
            out += ' ';
        }
        AppendHexByte(out, static_cast<std::uint8_t>(bytes[i]));
    }
    if (!oneLine) out += "\n" + indent;
    return out + "\"";
}

// The shortest decimal that reads back as the same stored bytes, or nothing
// (infinities, NaNs and the extended encodings no number produces).
template <typename Float>
std::optional<std::string> ExactDecimal(std::string_view payload) {
    Float number{};
    std::memcpy(&number, payload.data(), payload.size());
    if (!std::isfinite(number)) return std::nullopt;
    char digits[64];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    Float back{};
    if (std::from_chars(digits, end, back).ec != std::errc()) return std::nullopt;
    char stored[sizeof(Float)] = {};
    std::memcpy(stored, &back, payload.size());
    if (std::memcmp(stored, payload.data(), payload.size()) != 0) return std::nullopt;
    std::string text(digits, end);
    // A float must not read as an integer.
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

std::string Currency(std::string_view payload) {
    std::int64_t units;
    std::memcpy(&units, payload.data(), sizeof units);
    const bool negative = units < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    // Appended rather than put before a temporary string: GCC 12's optimiser warns
    // falsely (-Wrestrict) on a literal put before one.
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / 10000);
    std::string decimals = std::to_string(magnitude % 10000);
    decimals.insert(0, 4 - decimals.size(), '0');
    while (!decimals.empty() && decimals.back() == '0') decimals.pop_back();
    if (!decimals.empty()) text += "." + decimals;
    return text;
}

std::string Value(const FormValue& value, const std::string& indent);

// The plain spelling when the writer would store the value the same way, else
// the spelling inside its tag's marker: int16(5).
std::string MarkedNumber(const FormValue& value, const std::string& spelling) {
    if (WriterChoosesSame(value)) return spelling;
    return std::string(MarkerOf(*value.encoding)) + "(" + spelling + ")";
}

// The same for texts, whose marker stands before the quote: short"...".
std::string MarkedText(const FormValue& value) {
    const std::string quoted = Quote(TextCharacters(value));
    return WriterChoosesSame(value) ? quoted : std::string(MarkerOf(*value.encoding)) + quoted;
}

std::string FloatValue(const FormValue& value) {
    std::optional<std::string> decimal;
    switch (*value.encoding) {
        case tagExtended: decimal = ExactDecimal<long double>(value.bytes); break;
        case tagSingle: decimal = ExactDecimal<float>(value.bytes); break;
        case tagDate: decimal = ExactDecimal<double>(value.bytes); break;
        default: decimal = Currency(value.bytes); break;
    }
    const std::string marker(MarkerOf(*value.encoding));
    if (!decimal) return marker + "(" + HexData(value.bytes, "") + ")";
    return *value.encoding == tagExtended ? *decimal : marker + "(" + *decimal + ")";
}

bool IsScalar(const FormValue& value) {
    using Kind = FormValue::Kind;
    return value.kind != Kind::List && value.kind != Kind::Collection &&
           !(value.kind == Kind::Binary && value.bytes.size() > kBinaryLineBytes);
}

// On one line when short and flat, else one element a line.
std::string List(const FormValue& value, const std::string& indent) {
    if (value.elements.empty()) return "[]";
    std::string line = "[";
    bool flat = true;
    // Only scalars are printed for the one-line form: a nested list printed here and
    // again below would double the work at every level of nesting.
    for (std::size_t i = 0; i < value.elements.size() && flat; ++i) {
        flat = IsScalar(value.elements[i]);
        if (flat) line += (i ? ", " : "") + Value(value.elements[i], indent);
    }
    if (flat && line.size() <= kOneLineListWidth) return line + "]";
    const std::string inner = indent + "  ";
    std::string text = "[";
    for (std::size_t i = 0; i < value.elements.size(); ++i)
        text += (i ? ",\n" : "\n") + inner + Value(value.elements[i], inner);
    return text + "\n" + indent + "]";
}

std::string Properties(const std::vector<FormProperty>& properties, const std::string& indent) {
    std::string text;
    for (const FormProperty& property : properties)
        text += indent + Name(property.name) + " = " + Value(property.value, indent) + "\n";
    return text;
}

std::string Collection(const FormValue& value, const std::string& indent) {
    if (value.items.empty()) return "collection {}";
    const std::string inner = indent + "  ";
    std::string text = "collection {\n";
    for (const FormCollectionItem& item : value.items) {
        text += inner + "item ";
        if (item.index) text += Value(*item.index, inner) + " ";
        text += item.properties.empty() ? "{}\n" : "{\n" + Properties(item.properties, inner + "  ") + inner + "}\n";
    }
    return text + indent + "}";
}

std::string Value(const FormValue& value, const std::string& indent) {
    using Kind = FormValue::Kind;
    switch (value.kind) {
        case Kind::Integer: return MarkedNumber(value, IntToStr(value.integer).ToStdString());
        case Kind::Float: return FloatValue(value);
        case Kind::Text: return MarkedText(value);
        case Kind::WideText: return "wide" + QuoteWide(value.wide);
        case Kind::Ident:
            if (IsWord(value.bytes) && WriterChoosesSame(value)) return value.bytes;
            return "ident" + Quote(value.bytes);
        case Kind::Set: {
            std::string text = "{";
            for (std::size_t i = 0; i < value.names.size(); ++i) text += (i ? ", " : "") + Name(value.names[i]);
            return text + "}";
        }
        case Kind::List: return List(value, indent);
        case Kind::Binary: return HexData(value.bytes, indent);
        case Kind::Collection: return Collection(value, indent);
    }
    return {};
}

// (inherited, position 3, inline); () for a prefix byte without flags.
std::string Modifiers(const FormComponent& component) {
    std::string text = "(";
    for (const PrefixModifier& m : kModifiers) {
        if (!(*component.prefixFlags & m.flag)) continue;
        if (text.size() > 1) text += ", ";
        text += m.word;
        // Not " " + Value(...): GCC 12 warns falsely (-Wrestrict) on a literal put before a
        // temporary string.
        if (m.flag == prefixChildPos) text.append(" ").append(Value(*component.position, ""));
    }
    return text + ")";
}

std::string Component(const FormComponent& component, const std::string& indent) {
    std::string text = indent + Name(component.className) + " " + Name(component.name);
    if (component.prefixFlags) text.append(" ").append(Modifiers(component));  // see Modifiers
    if (component.properties.empty() && component.children.empty()) return text + " {}\n";
    const std::string inner = indent + "  ";
    text += " {\n" + Properties(component.properties, inner);
    for (const FormComponent& child : component.children) text += Component(child, inner);
    return text + indent + "}\n";
}

}  // namespace

std::string PrintForm(const FormComponent& root) { return Component(root, ""); }

std::string PrintFormData(std::span<const std::uint8_t> data) { return PrintForm(DecodeForm(data)); }

}  // namespace orvalis::formc

#include "tools/FormParser.h"

#include <charconv>
#include <cstring>
#include <limits>

#include "runtime/TextConversions.h"
#include "tools/FormLexer.h"

namespace orvalis::formc {
namespace {

// Without a prefix, a class name's length byte must stay below the prefix mark,
// or readers would take it for a prefix.
constexpr std::size_t kMaxClassNameLength = 0xEF;
constexpr std::size_t kMaxShortString = 255;
constexpr std::size_t kMaxLongLength = 0xFFFFFFFF;

struct IntegerTag {
    std::string_view word;
    TValueTag tag;
    std::int64_t lowest;
    std::int64_t highest;
};

constexpr IntegerTag kIntegerTags[] = {
    {"int8", tagInt8, std::numeric_limits<std::int8_t>::min(), std::numeric_limits<std::int8_t>::max()},
    {"int16", tagInt16, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()},
    {"int32", tagInt32, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()},
    {"int64", tagInt64, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()},
};

struct FloatTag {
    std::string_view word;
    TValueTag tag;
};

constexpr FloatTag kFloatTags[] = {
    {"extended", tagExtended},
    {"single", tagSingle},
    {"date", tagDate},
    {"currency", tagCurrency},
};

std::size_t PayloadSize(const FloatTag& tag) { return ValueLayoutOf(tag.tag)->size; }

struct Modifier {
    std::string_view word;
    std::uint8_t flag;
};

// Bit 3 has no meaning; it is kept so that any prefix byte can be written back.
constexpr Modifier kModifiers[] = {
    {"inherited", prefixInherited},
    {"position", prefixChildPos},
    {"inline", prefixInline},
    {"bit3", 0x08},
};

bool IsFloatSpelling(std::string_view spelling) {
    if (spelling.find("0x") != std::string_view::npos || spelling.find("0X") != std::string_view::npos) return false;
    return spelling.find_first_of(".eE") != std::string_view::npos;
}

// Appended rather than put before a temporary string: GCC 12's optimiser warns falsely
// (-Wrestrict) on a literal put before one.
std::string Quoted(std::string_view word) {
    std::string quoted = "'";
    quoted += word;
    return quoted + "'";
}

class Parser {
public:
    Parser(const SourceText& source, std::vector<Token> tokens) : source_(source), tokens_(std::move(tokens)) {}

    FormComponent ParseForm() {
        FormComponent root = ParseComponent(0);
        if (Peek().kind != TokenKind::End)
            Fail(Peek(), "a form source holds one root component; this follows its closing '}'");
        return root;
    }

private:
    // Tokens.

    const Token& Peek(std::size_t ahead = 0) const {
        const std::size_t at = std::min(next_ + ahead, tokens_.size() - 1);
        return tokens_[at];
    }
    const Token& Take() {
        const Token& token = Peek();
        if (next_ < tokens_.size() - 1) ++next_;
        return token;
    }
    bool At(TokenKind kind, std::size_t ahead = 0) const { return Peek(ahead).kind == kind; }
    bool AtWord(std::string_view word) const { return At(TokenKind::Word) && Peek().spelling == word; }
    const Token& Expect(TokenKind kind, std::string_view what) {
        if (!At(kind)) Fail(Peek(), "expected " + std::string(what));
        return Take();
    }
    [[noreturn]] void Fail(const Token& at, std::string_view what) const { source_.Fail(at.offset, what); }

    // A name is a word or a plain text ("" for the empty name, quotes for any other bytes).
    bool AtName(std::size_t ahead = 0) const {
        const Token& token = Peek(ahead);
        return token.kind == TokenKind::Word || (token.kind == TokenKind::Text && token.marker == TextMarker::Plain);
    }
    std::string TakeName() {
        const Token& token = Take();
        return token.kind == TokenKind::Word ? token.spelling : token.bytes;
    }
    bool AtProperty() const { return AtName() && At(TokenKind::Equals, 1); }

    void CheckShort(const Token& at, std::size_t length, std::string_view what) const {
        if (length > kMaxShortString)
            Fail(at, std::string(what) + " is stored as a short string of at most 255 bytes; this one has " +
                         IntToStr(static_cast<std::int64_t>(length)).ToStdString());
    }
    void CheckLong(const Token& at, std::size_t length) const {
        if (length > kMaxLongLength) Fail(at, "value longer than 4 GiB");
    }
    void CheckDepth(const Token& at, int depth) const {
        if (depth > kMaxFormNesting) Fail(at, NestingTooDeep());
    }

    // Components.

    FormComponent ParseComponent(int depth) {
        const Token& start = Peek();
        CheckDepth(start, depth);
        if (!AtName()) Fail(start, "expected a component: its class, its name and a { body }");
        FormComponent component;
        component.className = TakeName();
        if (component.className.empty()) Fail(start, "a class name cannot be empty");
        if (!AtName())
            Fail(Peek(), "expected '=' after the property " + component.className + ", or the name of a " +
                             component.className + " component (\"\" for none)");
        const Token& nameToken = Peek();
        component.name = TakeName();
        CheckShort(nameToken, component.name.size(), "a component name");
        if (At(TokenKind::LeftParen)) ParseModifiers(component);
        if (!component.prefixFlags && component.className.size() > kMaxClassNameLength)
            Fail(start,
                 "a class name without modifiers is at most 239 bytes (a longer one would read as a prefix byte)");
        CheckShort(start, component.className.size(), "a class name");

        const Token& open = Expect(TokenKind::LeftBrace, "'{' to open the body of " + component.className);
        while (AtProperty()) component.properties.push_back(ParseProperty(depth));
        while (!At(TokenKind::RightBrace)) {
            if (At(TokenKind::End))
                Fail(open, "the body of " + component.className + " " + component.name + " has no closing '}'");
            if (AtProperty()) Fail(Peek(), "properties come before the first child component");
            component.children.push_back(ParseComponent(depth + 1));
        }
        Take();
        return component;
    }

    // (inherited, inline, position 3)
    void ParseModifiers(FormComponent& component) {
        Take();
        std::uint8_t flags = 0;
        while (!At(TokenKind::RightParen)) {
            const Token& word = Peek();
            const Modifier* modifier = nullptr;
            if (word.kind == TokenKind::Word)
                for (const Modifier& m : kModifiers)
                    if (m.word == word.spelling) modifier = &m;
            if (!modifier) Fail(word, "expected a modifier: inherited, inline, position N or bit3");
            if (flags & modifier->flag) Fail(word, Quoted(word.spelling) + " given twice");
            Take();
            flags |= modifier->flag;
            if (modifier->flag == prefixChildPos) {
                const Token& at = Peek();
                component.position = ParseIndexInteger("a child position");
                if (!IsChildPositionInRange(component.position->integer)) Fail(at, kChildPositionRange);
            }
            if (!At(TokenKind::Comma)) break;
            Take();
        }
        Expect(TokenKind::RightParen, "',' or ')' in the modifiers");
        component.prefixFlags = flags;
    }

    FormProperty ParseProperty(int depth) {
        const Token& nameToken = Peek();
        FormProperty property;
        property.name = TakeName();
        if (property.name.empty()) Fail(nameToken, "a property name cannot be empty");
        CheckShort(nameToken, property.name.size(), "a property name");
        Take();  // =
        property.value = ParseValue(depth);
        return property;
    }

    // Values. `depth` is the nesting of what holds the value; a list or a collection
    // is one level deeper.

    FormValue ParseValue(int depth) {
        const Token& token = Peek();
        switch (token.kind) {
            case TokenKind::Number:
                Take();
                return IsFloatSpelling(token.spelling) ? FloatValue(token, kFloatTags[0]) : IntegerValue(token);
            case TokenKind::Text: Take(); return TextValue(token);
            case TokenKind::Word:
                if (At(TokenKind::LeftParen, 1)) return ParseMarkedValue();
                if (token.spelling == "collection" && At(TokenKind::LeftBrace, 1)) {
                    CheckDepth(token, depth + 1);
                    return ParseCollection(depth + 1);
                }
                Take();
                return IdentValue(token, token.spelling, std::nullopt);
            case TokenKind::LeftBrace: return ParseSet();
            case TokenKind::LeftBracket: CheckDepth(token, depth + 1); return ParseList(depth + 1);
            default:
                Fail(token, "expected a value (a number, a text, an identifier, {set}, [list] or collection {...})");
        }
    }

    FormValue IntegerValue(const Token& token, const IntegerTag* tag = nullptr) {
        FormValue value;
        value.kind = FormValue::Kind::Integer;
        value.integer = ParseInteger(token);
        if (tag) {
            if (value.integer < tag->lowest || value.integer > tag->highest)
                Fail(token, token.spelling + " does not fit in " + std::string(tag->word));
            value.encoding = tag->tag;
        }
        return value;
    }

    std::int64_t ParseInteger(const Token& token) const {
        if (IsFloatSpelling(token.spelling)) Fail(token, "expected an integer, not " + token.spelling);
        std::string_view digits = token.spelling;
        const bool negative = digits.front() == '-';
        if (negative) digits.remove_prefix(1);
        int base = 10;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            base = 16;
            digits.remove_prefix(2);
        }
        std::uint64_t magnitude = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
        const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
        if (error != std::errc() || end != digits.data() + digits.size() || magnitude > limit)
            Fail(token, "integer out of range: " + token.spelling);
        return negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    }

    // int8(5), int16(5), int32(5), int64(5); single(1.5), extended(2.5),
    // date(45000.25), currency(12.3456); a float's stored bytes as hex"...".
    FormValue ParseMarkedValue() {
        const Token& word = Take();
        Take();  // (
        FormValue value;
        const Token& payload = Peek();
        bool known = false;
        for (const IntegerTag& tag : kIntegerTags) {
            if (tag.word != word.spelling) continue;
            Expect(TokenKind::Number, "an integer in " + word.spelling + "(...)");
            value = IntegerValue(payload, &tag);
            known = true;
        }
        for (const FloatTag& tag : kFloatTags) {
            if (tag.word != word.spelling) continue;
            if (At(TokenKind::Text) && payload.marker == TextMarker::Hex) {
                Take();
                if (payload.bytes.size() != PayloadSize(tag))
                    Fail(payload, word.spelling + "(hex\"...\") takes exactly " +
                                      IntToStr(static_cast<std::int64_t>(PayloadSize(tag))).ToStdString() + " bytes");
                value.kind = FormValue::Kind::Float;
                value.encoding = tag.tag;
                value.bytes = payload.bytes;
            } else {
                Expect(TokenKind::Number, "a number or hex\"...\" in " + word.spelling + "(...)");
                value = FloatValue(payload, tag);
            }
            known = true;
        }
        if (!known)
            Fail(word, "unknown value marker " + Quoted(word.spelling) +
                           " (known: int8, int16, int32, int64, single, extended, date, currency)");
        Expect(TokenKind::RightParen, "')' closing " + word.spelling + "(...)");
        return value;
    }

    FormValue FloatValue(const Token& token, const FloatTag& tag) {
        FormValue value;
        value.kind = FormValue::Kind::Float;
        value.encoding = tag.tag;
        value.bytes.resize(PayloadSize(tag));
        switch (tag.tag) {
            case tagExtended: StoreFloat<long double>(token, value.bytes); break;
            case tagSingle: StoreFloat<float>(token, value.bytes); break;
            case tagDate: StoreFloat<double>(token, value.bytes); break;
            default: StoreCurrency(token, value.bytes); break;
        }
        return value;
    }

    template <typename Float>
    void StoreFloat(const Token& token, std::string& payload) const {
        Float number;
        if (IsFloatSpelling(token.spelling)) {
            const char* first = token.spelling.data();
            const char* last = first + token.spelling.size();
            const auto [end, error] = std::from_chars(first, last, number);
            if (error != std::errc() || end != last) Fail(token, "float out of range: " + token.spelling);
        } else {
            number = static_cast<Float>(ParseInteger(token));
        }
        std::memcpy(payload.data(), &number, payload.size());
    }

    // A currency is a 64-bit count of ten-thousandths, read exactly from the decimals.
    void StoreCurrency(const Token& token, std::string& payload) const {
        std::int64_t units;
        if (!IsFloatSpelling(token.spelling)) {
            if (__builtin_mul_overflow(ParseInteger(token), 10000, &units))
                Fail(token, "currency out of range: " + token.spelling);
        } else {
            std::string_view spelling = token.spelling;
            if (spelling.find_first_of("eE") != std::string_view::npos)
                Fail(token, "a currency is written with at most four decimals and no exponent");
            const bool negative = spelling.front() == '-';
            if (negative) spelling.remove_prefix(1);
            const std::size_t dot = spelling.find('.');
            std::string_view decimals = spelling.substr(dot + 1);
            if (decimals.size() > 4) Fail(token, "a currency is written with at most four decimals");
            std::string digits(spelling.substr(0, dot));
            digits += decimals;
            digits.append(4 - decimals.size(), '0');
            std::uint64_t magnitude = 0;
            const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
            const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
            if (error != std::errc() || end != digits.data() + digits.size() || magnitude > limit)
                Fail(token, "currency out of range: " + token.spelling);
            units = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
        }
        std::memcpy(payload.data(), &units, sizeof units);
    }

    FormValue TextValue(const Token& token) {
        FormValue value;
        value.kind = FormValue::Kind::Text;
        value.bytes = token.bytes;
        switch (token.marker) {
            case TextMarker::Plain: break;
            case TextMarker::Short:
                CheckShort(token, value.bytes.size(), "a short text");
                value.encoding = tagString;
                break;
            case TextMarker::Long: value.encoding = tagLString; break;
            case TextMarker::Utf8: value.encoding = tagUtf8String; break;
            case TextMarker::Wide:
                value.kind = FormValue::Kind::WideText;
                value.encoding = tagWString;
                value.wide = token.wide;
                CheckLong(token, value.wide.size());
                break;
            case TextMarker::Ident: return IdentValue(token, token.bytes, tagIdent);
            case TextMarker::Hex: value.kind = FormValue::Kind::Binary; break;
        }
        CheckLong(token, value.bytes.size());
        return value;
    }

    FormValue IdentValue(const Token& token, const std::string& name, std::optional<TValueTag> encoding) {
        CheckShort(token, name.size(), "an identifier");
        FormValue value;
        value.kind = FormValue::Kind::Ident;
        value.bytes = name;
        value.encoding = encoding;
        return value;
    }

    // {fsBold, fsItalic}; {} is the empty set.
    FormValue ParseSet() {
        Take();
        FormValue value;
        value.kind = FormValue::Kind::Set;
        while (!At(TokenKind::RightBrace)) {
            const Token& element = Peek();
            if (!AtName()) Fail(element, "expected a set element name or '}'");
            std::string name = TakeName();
            if (name.empty()) Fail(element, "a set element name cannot be empty (an empty name ends the set)");
            CheckShort(element, name.size(), "a set element name");
            value.names.push_back(std::move(name));
            if (!At(TokenKind::Comma)) break;
            Take();
        }
        Expect(TokenKind::RightBrace, "',' or '}' in the set");
        return value;
    }

    // ["Continu", "Arrêt sur image"]
    FormValue ParseList(int depth) {
        Take();
        FormValue value;
        value.kind = FormValue::Kind::List;
        while (!At(TokenKind::RightBracket)) {
            const Token& start = Peek();
            FormValue element = ParseValue(depth);
            if (element.kind == FormValue::Kind::Ident && !element.encoding && SameText(element.bytes, "Null"))
                Fail(start, "Null cannot stand in a list: its byte is the one that ends the list");
            value.elements.push_back(std::move(element));
            if (!At(TokenKind::Comma)) break;
            Take();
        }
        Expect(TokenKind::RightBracket, "',' or ']' in the list");
        return value;
    }

    // collection { item { Width = 40 } item 3 { Width = 60 } }
    FormValue ParseCollection(int depth) {
        Take();
        const Token& open = Take();
        FormValue value;
        value.kind = FormValue::Kind::Collection;
        while (!At(TokenKind::RightBrace)) {
            if (At(TokenKind::End)) Fail(open, "the collection has no closing '}'");
            if (!AtWord("item")) Fail(Peek(), "expected 'item' or '}' in the collection");
            Take();
            FormCollectionItem item;
            if (!At(TokenKind::LeftBrace)) item.index = ParseIndexInteger("an item index");
            const Token& body = Expect(TokenKind::LeftBrace, "'{' to open the item");
            while (AtProperty()) item.properties.push_back(ParseProperty(depth));
            if (At(TokenKind::End)) Fail(body, "the item has no closing '}'");
            if (!At(TokenKind::RightBrace)) Fail(Peek(), "a collection item holds properties only");
            Take();
            value.items.push_back(std::move(item));
        }
        Take();
        return value;
    }

    // An integer of any integer tag, plain or marked (child positions, item indexes).
    FormValue ParseIndexInteger(std::string_view what) {
        const Token& start = Peek();
        FormValue value;
        if (At(TokenKind::Word) && At(TokenKind::LeftParen, 1))
            value = ParseMarkedValue();
        else if (At(TokenKind::Number))
            value = IntegerValue(Take());
        else
            Fail(start, "expected " + std::string(what) + " (an integer)");
        if (value.kind != FormValue::Kind::Integer) Fail(start, std::string(what) + " is an integer");
        return value;
    }

    const SourceText& source_;
    std::vector<Token> tokens_;
    std::size_t next_ = 0;
};

}  // namespace

FormComponent ParseFormSource(std::string_view source, std::string_view fileName) {
    const SourceText text(fileName, source);
    return Parser(text, LexFormSource(text)).ParseForm();
}

}  // namespace orvalis::formc

#include "tools/FormLexer.h"

#include <optional>
#include <string>

#include "tools/FormErrors.h"
#include "tools/Utf8.h"

namespace orvalis::formc {
namespace {

constexpr bool IsWordStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsWordChar(char c) { return IsWordStart(c) || IsDigit(c); }
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

int HexDigitValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct MarkerName {
    std::string_view word;
    TextMarker marker;
};

constexpr MarkerName kMarkers[] = {
    {"short", TextMarker::Short}, {"long", TextMarker::Long},   {"utf8", TextMarker::Utf8},
    {"wide", TextMarker::Wide},   {"ident", TextMarker::Ident}, {"hex", TextMarker::Hex},
};

struct Punctuation {
    char character;
    TokenKind kind;
};

constexpr Punctuation kPunctuation[] = {
    {'{', TokenKind::LeftBrace},    {'}', TokenKind::RightBrace}, {'[', TokenKind::LeftBracket},
    {']', TokenKind::RightBracket}, {'(', TokenKind::LeftParen},  {')', TokenKind::RightParen},
    {'=', TokenKind::Equals},       {',', TokenKind::Comma},
};

class Lexer {
public:
    explicit Lexer(const SourceText& source) : source_(source), text_(source.Text()) {}

    std::vector<Token> Run() {
        CheckUtf8();
        std::vector<Token> tokens;
        for (;;) {
            SkipBlanksAndComments();
            Token token;
            token.offset = pos_;
            if (pos_ == text_.size()) {
                tokens.push_back(std::move(token));
                return tokens;
            }
            LexToken(token);
            tokens.push_back(std::move(token));
        }
    }

private:
    void CheckUtf8() const {
        for (std::size_t i = 0; i < text_.size();)
            if (!DecodeUtf8(text_, i)) source_.Fail(i, "the source is not valid UTF-8");
    }

    void SkipBlanksAndComments() {
        while (pos_ < text_.size()) {
            if (IsBlank(text_[pos_])) {
                ++pos_;
            } else if (text_.substr(pos_, 2) == "//") {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else {
                return;
            }
        }
    }

    void LexToken(Token& token) {
        const char c = text_[pos_];
        if (IsWordStart(c)) return LexWordOrMarkedText(token);
        if (IsDigit(c) || (c == '-' && pos_ + 1 < text_.size() && IsDigit(text_[pos_ + 1]))) return LexNumber(token);
        if (c == '"') return LexText(token, TextMarker::Plain);
        for (const Punctuation& p : kPunctuation) {
            if (p.character == c) {
                token.kind = p.kind;
                ++pos_;
                return;
            }
        }
        std::size_t end = pos_;
        DecodeUtf8(text_, end);
        source_.Fail(pos_, "unexpected character '" + std::string(text_.substr(pos_, end - pos_)) + "'");
    }

    // A word: letters, digits and underscores, with dots between such runs (Font.Height).
    void LexWordOrMarkedText(Token& token) {
        const std::size_t start = pos_;
        for (;;) {
            while (pos_ < text_.size() && IsWordChar(text_[pos_])) ++pos_;
            if (pos_ + 1 < text_.size() && text_[pos_] == '.' && IsWordStart(text_[pos_ + 1])) {
                ++pos_;
                continue;
            }
            break;
        }
        const std::string_view word = text_.substr(start, pos_ - start);
        if (pos_ < text_.size() && text_[pos_] == '"') {
            for (const MarkerName& m : kMarkers) {
                if (m.word == word) {
                    token.offset = start;
                    return LexText(token, m.marker);
                }
            }
            source_.Fail(start, "unknown text marker '" + std::string(word) +
                                    "' (a text may be marked short, long, utf8, wide, ident or hex)");
        }
        token.kind = TokenKind::Word;
        token.spelling = word;
    }

    // -12, 0x1F, -0x80, 3.5, 1e-3. Whether the spelling is a float, and its range,
    // is the parser's business; here only its shape is checked.
    void LexNumber(Token& token) {
        const std::size_t start = pos_;
        if (text_[pos_] == '-') ++pos_;
        bool shaped = true;
        if (text_.substr(pos_, 2) == "0x" || text_.substr(pos_, 2) == "0X") {
            pos_ += 2;
            const std::size_t digits = pos_;
            while (pos_ < text_.size() && HexDigitValue(text_[pos_]) >= 0) ++pos_;
            shaped = pos_ > digits;
        } else {
            while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
            if (pos_ + 1 < text_.size() && text_[pos_] == '.' && IsDigit(text_[pos_ + 1])) {
                ++pos_;
                while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
            }
            if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
                ++pos_;
                if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
                const std::size_t digits = pos_;
                while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
                shaped = pos_ > digits;
            }
        }
        const bool glued = pos_ < text_.size() && (IsWordChar(text_[pos_]) || text_[pos_] == '.');
        if (!shaped || glued) {
            while (pos_ < text_.size() && (IsWordChar(text_[pos_]) || text_[pos_] == '.')) ++pos_;
            source_.Fail(start, "bad number '" + std::string(text_.substr(start, pos_ - start)) + "'");
        }
        token.kind = TokenKind::Number;
        token.spelling = text_.substr(start, pos_ - start);
    }

    // At the opening quote.
    void LexText(Token& token, TextMarker marker) {
        token.kind = TokenKind::Text;
        token.marker = marker;
        ++pos_;
        if (marker == TextMarker::Hex) return LexHexData(token);
        for (;;) {
            if (pos_ == text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r')
                source_.Fail(token.offset,
                             "unterminated text (a text ends on its own line; write \\n for a line break)");
            const char c = text_[pos_];
            if (c == '"') {
                ++pos_;
                return;
            }
            if (c == '\\') {
                LexEscape(token);
                continue;
            }
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                source_.Fail(pos_, "control character in a text; write it as an escape (\\t, \\xHH or \\u{...})");
            const std::size_t start = pos_;
            AppendToText(token, *DecodeUtf8(text_, pos_), start);  // the whole source was checked
        }
    }

    // One character of a text, stored as the text is: UTF-16 units in a wide text, its
    // Windows-1252 byte in a short or long one (the ANSI tags), UTF-8 in the others.
    void AppendToText(Token& token, char32_t codePoint, std::size_t at) {
        if (token.marker == TextMarker::Wide) return AppendUtf16(token.wide, codePoint);
        std::string utf8;
        AppendUtf8(utf8, codePoint);
        if (token.marker != TextMarker::Short && token.marker != TextMarker::Long) {
            token.bytes += utf8;
            return;
        }
        const std::optional<std::string> ansi = Utf8ToWindows1252Exactly(utf8);
        if (!ansi)
            source_.Fail(at, "'" + utf8 +
                                 "' has no Windows-1252 byte, which a short or long text stores; write the text "
                                 "plain, utf8\"...\" or wide\"...\"");
        token.bytes += *ansi;
    }

    void LexEscape(Token& token) {
        const std::size_t start = pos_;
        ++pos_;
        if (pos_ == text_.size()) source_.Fail(start, "unterminated text");
        const char c = text_[pos_++];
        char32_t simple = 0;
        switch (c) {
            case '"': simple = '"'; break;
            case '\\': simple = '\\'; break;
            case 'n': simple = '\n'; break;
            case 'r': simple = '\r'; break;
            case 't': simple = '\t'; break;
            case 'x': return LexByteEscape(token, start);
            case 'u': return LexCodePointEscape(token, start);
            default:
                source_.Fail(start, "unknown escape '\\" + std::string(1, c) +
                                        "' (known: \\\" \\\\ \\n \\r \\t \\xHH \\u{...})");
        }
        AppendToText(token, simple, start);
    }

    // \xHH: one byte as stored, for the texts stored as bytes (in a short or long text, a
    // Windows-1252 byte).
    void LexByteEscape(Token& token, std::size_t start) {
        if (token.marker == TextMarker::Wide)
            source_.Fail(start, "a wide text holds characters, not bytes: write \\u{...} instead of \\x");
        if (pos_ + 2 > text_.size() || HexDigitValue(text_[pos_]) < 0 || HexDigitValue(text_[pos_ + 1]) < 0)
            source_.Fail(start, "\\x takes exactly two hex digits");
        token.bytes += static_cast<char>(HexDigitValue(text_[pos_]) * 16 + HexDigitValue(text_[pos_ + 1]));
        pos_ += 2;
    }

    // \u{H...}: one code point, 1 to 6 hex digits; a lone surrogate only in a wide text.
    void LexCodePointEscape(Token& token, std::size_t start) {
        if (pos_ == text_.size() || text_[pos_] != '{')
            source_.Fail(start, "\\u takes its code point in braces: \\u{E9}");
        ++pos_;
        char32_t codePoint = 0;
        int digits = 0;
        while (pos_ < text_.size() && HexDigitValue(text_[pos_]) >= 0 && digits < 7) {
            codePoint = codePoint * 16 + static_cast<char32_t>(HexDigitValue(text_[pos_++]));
            ++digits;
        }
        if (digits == 0 || digits > 6 || pos_ == text_.size() || text_[pos_] != '}')
            source_.Fail(start, "\\u{...} takes 1 to 6 hex digits and a closing brace");
        ++pos_;
        if (codePoint > 0x10FFFF) source_.Fail(start, "code point past U+10FFFF");
        if (token.marker == TextMarker::Wide) {
            if (IsSurrogate(codePoint))
                token.wide += static_cast<char16_t>(codePoint);
            else
                AppendUtf16(token.wide, codePoint);
            return;
        }
        if (IsSurrogate(codePoint))
            source_.Fail(start, "a surrogate code point has no UTF-8 form; only a wide text holds one");
        AppendToText(token, codePoint, start);
    }

    // hex"..": pairs of hex digits; blanks and line breaks between them are free.
    void LexHexData(Token& token) {
        int pending = -1;
        for (;;) {
            if (pos_ == text_.size()) source_.Fail(token.offset, "unterminated hex data");
            const char c = text_[pos_];
            if (c == '"') break;
            if (IsBlank(c)) {
                ++pos_;
                continue;
            }
            const int value = HexDigitValue(c);
            if (value < 0) source_.Fail(pos_, "hex data holds only hex digits and blanks");
            if (pending < 0) {
                pending = value;
            } else {
                token.bytes += static_cast<char>(pending * 16 + value);
                pending = -1;
            }
            ++pos_;
        }
        if (pending >= 0) source_.Fail(token.offset, "hex data needs an even number of hex digits");
        ++pos_;
    }

    static void AppendUtf16(std::u16string& out, char32_t codePoint) {
        if (codePoint < 0x10000) {
            out += static_cast<char16_t>(codePoint);
            return;
        }
        codePoint -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (codePoint >> 10));
        out += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
    }

    const SourceText& source_;
    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

void SourceText::Fail(std::size_t offset, std::string_view what) const {
    int line = 1;
    int column = 1;
    for (std::size_t i = 0; i < offset && i < text_.size(); ++i) {
        const auto c = static_cast<unsigned char>(text_[i]);
        if (c == '\n') {
            ++line;
            column = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++column;
        }
    }
    throw FormSourceError(fileName_, line, column, what);
}

std::vector<Token> LexFormSource(const SourceText& source) { return Lexer(source).Run(); }

}  // namespace orvalis::formc

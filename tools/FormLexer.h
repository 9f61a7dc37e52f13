#pragma once
// The tokens of form source: words, numbers, texts (with their marker), and the
// punctuation { } [ ] ( ) = , — comments run from // to the end of the line.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvalis::formc {

// A source file being read: refusals name the file, line and column of an offset.
class SourceText {
public:
    SourceText(std::string_view fileName, std::string_view text) : fileName_(fileName), text_(text) {}

    std::string_view FileName() const { return fileName_; }
    std::string_view Text() const { return text_; }
    // Raises FormSourceError at the line and column of `offset` (columns count characters).
    [[noreturn]] void Fail(std::size_t offset, std::string_view what) const;

private:
    std::string_view fileName_;
    std::string_view text_;
};

enum class TokenKind {
    End,
    Word,
    Number,
    Text,
    LeftBrace,
    RightBrace,
    LeftBracket,
    RightBracket,
    LeftParen,
    RightParen,
    Equals,
    Comma
};

// The word written right before the opening quote of a text, naming how it is stored.
enum class TextMarker { Plain, Short, Long, Utf8, Wide, Ident, Hex };

struct Token {
    TokenKind kind = TokenKind::End;
    std::size_t offset = 0;  // where the token starts in the source
    std::string spelling;    // a word or a number as written
    TextMarker marker = TextMarker::Plain;
    std::string bytes;    // a text's bytes (escapes applied), or the bytes of hex data
    std::u16string wide;  // a wide text's code units
};

// The whole source as tokens, ending with one End token. Bad UTF-8, unknown
// characters, unterminated texts, bad escapes and malformed numbers are refused.
std::vector<Token> LexFormSource(const SourceText& source);

}  // namespace orvalis::formc

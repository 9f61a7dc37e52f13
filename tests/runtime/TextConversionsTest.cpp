#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "runtime/TextConversions.h"

using namespace orvalis;

TEST(LeadingInteger, ReadsDigitsUpToTheFirstOtherCharacter) {
    struct Case {
        const char* text;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"3", 3},
        {"  15", 15},
        {"2.5", 2},
        {"7s", 7},
        {"", 0},
        {"abc", 0},
        {"-4", -4},
        {"+8", 8},
        {"- 4", 0},
        {"--4", 0},
        {"\t12", 12},
        {"4294967297", 1},
        {"2147483648", -2147483647 - 1},
    };
    for (const Case& c : cases) EXPECT_EQ(LeadingInteger(c.text), c.expected) << '"' << c.text << '"';
}

TEST(TextCase, OnlyAsciiLettersChange) {
    EXPECT_EQ(UpperCase("vue3.jpeg"), "VUE3.JPEG");
    EXPECT_EQ(UpperCase("é.jpg"), "é.JPG");
    EXPECT_TRUE(SameText("TBitmap", "tbitmap"));
    EXPECT_FALSE(SameText("TBitmap", "TBitmaps"));
}

TEST(CodePages, LogBytesAreWindows1252) {
    EXPECT_EQ(Utf8ToWindows1252("N°"), std::string("N\xB0"));
    EXPECT_EQ(Utf8ToWindows1252("€ œ"), std::string("\x80 \x9C"));
    EXPECT_EQ(Utf8ToWindows1252("ā"), "?");
    EXPECT_EQ(Windows1252ToUtf8("N\xB0"), "N°");
    const char16_t wide[] = u"Délai";
    EXPECT_EQ(Utf16ToUtf8(wide, 5), "Délai");
    EXPECT_EQ(Utf8ToUtf16("Délai 😀"), u"Délai 😀");
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
}

TEST(CodePages, EveryWindows1252ByteComesBackAndExactConversionRefusesWhatTheCodePageLacks) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const String utf8 = Windows1252ToUtf8(byte);
        EXPECT_EQ(Utf8ToWindows1252(utf8.View()), byte) << b;
        EXPECT_EQ(Utf8ToWindows1252Exactly(utf8.View()), byte) << b;
    }
    EXPECT_EQ(Windows1252ToUtf8("Arr\xEAt \x80\x81\x9F"), "Arrêt €\u0081Ÿ");
    struct Case {
        const char* utf8;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"", std::string()},
        {"Arrêt sur image", std::string("Arr\xEAt sur image")},
        {"œ – ™", std::string("\x9C \x96 \x99")},
        {"ā", std::nullopt},  // no byte in the code page
        {"😀", std::nullopt},
        {"a\xE9"
         "b",
         std::nullopt},  // not UTF-8
        {"\xEF\xBF\xBD", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(Utf8ToWindows1252Exactly(c.utf8), c.expected) << c.utf8;
}

// Every byte that begins no well-formed sequence counts as one U+FFFD, in making a text
// valid as in converting it.
TEST(Utf8, EachByteThatBeginsNoWellFormedSequenceIsOneReplacementCharacter) {
    struct Case {
        std::string bytes;
        std::string valid;
        std::u16string wide;
    };
    const Case cases[] = {
        {"Délai € 😀", "Délai € 😀", u"Délai € 😀"},
        {"\xFF\xFE", "\uFFFD\uFFFD", u"\uFFFD\uFFFD"},
        {"\xE2\x82"
         "A",
         "\uFFFD\uFFFDA", u"\uFFFD\uFFFDA"},
        {"\xC0\xAF", "\uFFFD\uFFFD", u"\uFFFD\uFFFD"},                                  // overlong
        {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD", u"\uFFFD\uFFFD\uFFFD"},                  // a surrogate
        {"\xF4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"a\xF0\x9F\x98", "a\uFFFD\uFFFD\uFFFD", u"a\uFFFD\uFFFD\uFFFD"},               // cut by the end
        {std::string("a\0b", 3), std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(ValidUtf8(c.bytes), c.valid);
        EXPECT_EQ(Utf8ToUtf16(c.bytes), c.wide);
    }
}

TEST(Utf8, FirstCharactersNeverCutsOneInTwo) {
    struct Case {
        const char* text;
        std::size_t count;
        const char* expected;
    };
    const Case cases[] = {
        {"ééééééé", 5, "ééééé"}, {"é€😀ab", 3, "é€😀"}, {"Vue", 5, "Vue"}, {"Vue", 0, ""}, {"", 2, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FirstCharacters(c.text, c.count), c.expected) << c.text;
}

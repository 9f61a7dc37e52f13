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

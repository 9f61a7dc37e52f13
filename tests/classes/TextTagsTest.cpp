// Texts in every text tag of the form format, read, written and read again: the ANSI
// tags (tagString, tagLString) hold Windows-1252 bytes, tagUtf8String UTF-8 and
// tagWString UTF-16; every kind of text property arrives as the same text, and what the
// writer makes of it reads back the same.

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "classes/ClassInfo.h"
#include "classes/Reader.h"
#include "classes/Writer.h"
#include "runtime/Exceptions.h"
#include "runtime/TextConversions.h"
#include "tests/classes/TestClasses.h"

namespace orvalis::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Tagged(TValueTag tag, std::string_view payload) {
    Bytes bytes{tag};
    if (tag == tagString) {
        bytes.push_back(static_cast<std::uint8_t>(payload.size()));
    } else {
        const auto length = static_cast<std::uint32_t>(payload.size());
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    }
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

Bytes Wide(std::u16string_view units) {
    Bytes bytes{tagWString};
    const auto count = static_cast<std::uint32_t>(units.size());
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(count >> (8 * i)));
    for (const char16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

// A form whose child Button1 has `property` stored as `value` (tag and payload).
Bytes FormWithChildProperty(std::string_view property, const Bytes& value) {
    Resource resource;
    resource.Component("TTestForm", "Form1").Children().Component("TTestChild", "Button1").Name(property);
    resource.Writer().Write(value.data(), value.size());
    return resource.Leaf().End().Bytes();
}

Bytes Written(TComponent& root) {
    TMemoryStream stream;
    {
        TWriter writer(stream);
        writer.WriteRootComponent(root);
    }
    return {stream.Memory(), stream.Memory() + stream.Size()};
}

bool Contains(const Bytes& bytes, const Bytes& part) {
    return std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) != bytes.end();
}

// A property's value as a text to compare: texts as UTF-8, a character as its byte.
std::string Shown(const TPropValue& value) {
    if (const auto* text = std::get_if<String>(&value)) return text->ToStdString();
    if (const auto* wide = std::get_if<std::u16string>(&value))
        return Utf16ToUtf8(wide->data(), wide->size()).ToStdString();
    return "byte " + std::to_string(static_cast<std::uint8_t>(std::get<std::int64_t>(value)));
}

// A text stored under some tag, and what a text property of Button1 holds once it is read.
struct StoredText {
    const char* what;
    Bytes stored;
    std::string expected;
};

std::string ChildValue(TTestForm& form, std::string_view property) {
    return Shown(FindProperty(form.Button1->ClassInfo(), property)->Get(*form.Button1));
}

// Reads `text` into Button1's `property`, then again from what the writer makes of it.
void ExpectArrivesAndReadsBack(std::string_view property, const StoredText& text) {
    SCOPED_TRACE(text.what);
    const auto form = ReadTestForm(FormWithChildProperty(property, text.stored));
    ASSERT_NE(form->Button1, nullptr);
    EXPECT_EQ(ChildValue(*form, property), text.expected);
    const Bytes written = Written(*form);
    const auto again = ReadTestForm(written);
    EXPECT_EQ(ChildValue(*again, property), text.expected);
    EXPECT_EQ(Written(*again), written);
}

TEST(TextTags, EveryTagArrivesAsTheSameTextAndIsWrittenSoThatItReadsBackTheSame) {
    struct Case {
        const char* what;
        const char* property;  // of Button1: a text, a wide text, a character
        Bytes stored;
        std::string expected;
        Bytes written;  // the tag and payload the writer stores the value with
    };
    const Case cases[] = {
        {"ANSI short text", "Caption", Tagged(tagString, "Arr\xEAt"), "Arrêt", Tagged(tagUtf8String, "Arrêt")},
        {"ANSI long text", "Caption", Tagged(tagLString, "D\xE9lai \x80 \x9C"), "Délai € œ",
         Tagged(tagUtf8String, "Délai € œ")},
        {"ASCII in a long text", "Caption", Tagged(tagLString, "Continu"), "Continu", Tagged(tagString, "Continu")},
        {"UTF-8 text", "Caption", Tagged(tagUtf8String, "Délai"), "Délai", Tagged(tagUtf8String, "Délai")},
        {"wide text", "Caption", Wide(u"Arrêt 😀"), "Arrêt 😀", Tagged(tagUtf8String, "Arrêt 😀")},
        {"ANSI short text into a wide text", "Hint", Tagged(tagString, "Arr\xEAt"), "Arrêt", Wide(u"Arrêt")},
        {"ANSI long text into a wide text", "Hint", Tagged(tagLString, "\x9C\x80"), "œ€", Wide(u"œ€")},
        {"UTF-8 into a wide text", "Hint", Tagged(tagUtf8String, "Délai"), "Délai", Wide(u"Délai")},
        {"ASCII into a wide text", "Hint", Wide(u"Continu"), "Continu", Tagged(tagString, "Continu")},
        {"ANSI character", "Accelerator", Tagged(tagString, "\xE9"), "byte 233", Tagged(tagUtf8String, "é")},
        {"UTF-8 character", "Accelerator", Tagged(tagUtf8String, "é"), "byte 233", Tagged(tagUtf8String, "é")},
        {"wide character", "Accelerator", Wide(u"€"), "byte 128", Tagged(tagUtf8String, "€")},
        {"ANSI long character", "Accelerator", Tagged(tagLString, "\x9C"), "byte 156", Tagged(tagUtf8String, "œ")},
        {"ASCII character", "Accelerator", Tagged(tagUtf8String, "O"), "byte 79", Tagged(tagString, "O")},
    };
    TestForms forms;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto form = ReadTestForm(FormWithChildProperty(c.property, c.stored));
        ASSERT_NE(form->Button1, nullptr);
        EXPECT_EQ(ChildValue(*form, c.property), c.expected);

        const Bytes written = Written(*form);
        Bytes named{static_cast<std::uint8_t>(std::string_view(c.property).size())};
        named.insert(named.end(), c.property, c.property + named[0]);
        named.insert(named.end(), c.written.begin(), c.written.end());
        EXPECT_TRUE(Contains(written, named));

        const auto again = ReadTestForm(written);
        EXPECT_EQ(ChildValue(*again, c.property), c.expected);
        EXPECT_EQ(Written(*again), written);
    }
}

// The maximum of a short string counts characters, as Windows-1252 bytes do, whatever
// tag the text came in; no character is cut in two.
TEST(TextTags, AShortStringKeepsAtMostItsMaximumOfCharacters) {
    const StoredText cases[] = {
        // Code holds at most five characters
        {"ANSI text", Tagged(tagString, "\xE9\xE9\xE9\xE9\xE9\xE9\xE9"), "ééééé"},
        {"UTF-8 text", Tagged(tagUtf8String, "ééééééé"), "ééééé"},
        {"wide text", Wide(u"ééééééé"), "ééééé"},
        {"characters of two to four bytes", Tagged(tagUtf8String, "é€😀ab😀"), "é€😀ab"},
        {"bytes that are not UTF-8, one character each", Tagged(tagUtf8String, "a\xFF\xFExyz"), "a\uFFFD\uFFFDxy"},
        {"exactly the maximum", Tagged(tagUtf8String, "Arrêt"), "Arrêt"},
        {"shorter", Tagged(tagString, "Vue"), "Vue"},
    };
    TestForms forms;
    for (const StoredText& c : cases) ExpectArrivesAndReadsBack("Code", c);
}

// Under the UTF-8 tag, each byte that begins no well-formed sequence arrives as U+FFFD,
// as a lone surrogate under the wide tag does: a text property holds UTF-8 only.
TEST(TextTags, BytesThatAreNotUtf8ArriveAsReplacementCharacters) {
    const StoredText cases[] = {
        {"bytes that begin nothing", Tagged(tagUtf8String, "\xFF\xFEVue"), "\uFFFD\uFFFDVue"},
        {"a continuation alone", Tagged(tagUtf8String, "a\x80z"), "a\uFFFDz"},
        {"a sequence cut short", Tagged(tagUtf8String, "\xE2\x82Z"), "\uFFFD\uFFFDZ"},
        {"a sequence cut by the end", Tagged(tagUtf8String, "D\xC3"), "D\uFFFD"},
        {"an overlong form", Tagged(tagUtf8String, "\xC0\xAF"), "\uFFFD\uFFFD"},
        {"an encoded surrogate", Tagged(tagUtf8String, "\xED\xA0\x80"), "\uFFFD\uFFFD\uFFFD"},
        {"beyond U+10FFFF", Tagged(tagUtf8String, "\xF4\x90\x80\x80"), "\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"well-formed", Tagged(tagUtf8String, "Délai € 😀"), "Délai € 😀"},
        {"a lone surrogate under the wide tag", Wide(std::u16string{u'a', 0xD800, u'b'}), "a\uFFFDb"},
    };
    TestForms forms;
    for (const StoredText& c : cases) ExpectArrivesAndReadsBack("Caption", c);
}

TEST(TextTags, AStringListTakesEveryTag) {
    Resource resource;
    resource.Component("TTestForm", "Form1").Name("Items.Strings");
    resource.Writer().WriteListBegin();
    for (const Bytes& text : {Tagged(tagString, "Arr\xEAt sur image"), Tagged(tagLString, "D\xE9lai"),
                              Tagged(tagUtf8String, "Délai"), Wide(u"Continu")})
        resource.Writer().Write(text.data(), text.size());
    resource.Writer().WriteListEnd();
    TestForms forms;
    const auto form = ReadTestForm(resource.Leaf().Bytes());
    EXPECT_EQ(form->Items()->Text(), "Arrêt sur image\nDélai\nDélai\nContinu\n");
    const auto again = ReadTestForm(Written(*form));
    EXPECT_EQ(again->Items()->Text(), form->Items()->Text());
}

TEST(TextTags, ACharacterIsOneCharacterThatWindows1252Has) {
    const Bytes refused[] = {Tagged(tagString, "ab"), Tagged(tagUtf8String, "ā"), Wide(u"😀"),
                             Tagged(tagUtf8String, "\xE9")};
    TestForms forms;
    for (const Bytes& value : refused) {
        try {
            ReadTestForm(FormWithChildProperty("Accelerator", value));
            ADD_FAILURE() << "accepted";
        } catch (const EReadError& error) {
            EXPECT_STREQ(error.what(),
                         "Erreur lors de la lecture de Button1.Accelerator: Valeur de propriété incorrecte");
        }
    }
    const auto empty = ReadTestForm(FormWithChildProperty("Accelerator", Tagged(tagString, "")));
    EXPECT_EQ(empty->Button1->Accelerator(), '\0');
}

}  // namespace
}  // namespace orvalis::test

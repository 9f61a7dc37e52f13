// Form source: what each written value becomes in form data, and the refusals
// with their place in the file.

#include <gtest/gtest.h>

#include "tests/tools/FormTestSupport.h"
#include "tools/FormErrors.h"

namespace orvalis::formc::test {
namespace {

struct ValueCase {
    const char* source;
    const char* bytes;
};

class ValueEncoding : public testing::TestWithParam<ValueCase> {};

TEST_P(ValueEncoding, WritesTheTagAndPayload) {
    EXPECT_EQ(ValueBytes(GetParam().source), HexBytes(GetParam().bytes)) << GetParam().source;
}

INSTANTIATE_TEST_SUITE_P(Integers, ValueEncoding,
                         testing::Values(ValueCase{"5", "02 05"}, ValueCase{"-11", "02 F5"}, ValueCase{"127", "02 7F"},
                                         ValueCase{"-128", "02 80"}, ValueCase{"128", "03 80 00"},
                                         ValueCase{"197", "03 C5 00"}, ValueCase{"529", "03 11 02"},
                                         ValueCase{"-32768", "03 00 80"}, ValueCase{"40000", "04 40 9C 00 00"},
                                         ValueCase{"0x1F", "02 1F"}, ValueCase{"-0x80", "02 80"},
                                         // Hex is the number itself, not a 32-bit pattern: past int32 it needs int64.
                                         ValueCase{"0x8000000F", "13 0F 00 00 80 00 00 00 00"},
                                         ValueCase{"-9223372036854775808", "13 00 00 00 00 00 00 00 80"},
                                         ValueCase{"int16(5)", "03 05 00"}, ValueCase{"int32(-1)", "04 FF FF FF FF"},
                                         ValueCase{"int64(1)", "13 01 00 00 00 00 00 00 00"}));

INSTANTIATE_TEST_SUITE_P(Floats, ValueEncoding,
                         testing::Values(ValueCase{"1.5", "05 00 00 00 00 00 00 00 C0 FF 3F"},
                                         ValueCase{"-2e0", "05 00 00 00 00 00 00 00 80 00 C0"},
                                         ValueCase{"extended(1)", "05 00 00 00 00 00 00 00 80 FF 3F"},
                                         ValueCase{"single(1.5)", "0F 00 00 C0 3F"},
                                         ValueCase{"date(2.5)", "11 00 00 00 00 00 00 04 40"},
                                         ValueCase{"currency(12.3456)", "10 40 E2 01 00 00 00 00 00"},
                                         ValueCase{"currency(-1)", "10 F0 D8 FF FF FF FF FF FF"},
                                         ValueCase{"single(hex\"0100C07F\")", "0F 01 00 C0 7F"}));

INSTANTIATE_TEST_SUITE_P(
    Texts, ValueEncoding,
    testing::Values(ValueCase{R"("OK")", "06 02 4F 4B"}, ValueCase{R"("")", "06 00"},
                    // Accented texts are UTF-8 texts; the same text can be forced to other tags.
                    // The short and long tags hold Windows-1252 bytes.
                    ValueCase{R"("é")", "14 02 00 00 00 C3 A9"}, ValueCase{R"(short"é")", "06 01 E9"},
                    ValueCase{R"(short"Arrêt €")", "06 07 41 72 72 EA 74 20 80"},
                    ValueCase{R"(long"é\u{153}")", "0C 02 00 00 00 E9 9C"}, ValueCase{R"(short"\u{81}")", "06 01 81"},
                    ValueCase{R"(long"OK")", "0C 02 00 00 00 4F 4B"}, ValueCase{R"(utf8"OK")", "14 02 00 00 00 4F 4B"},
                    ValueCase{R"(wide"é")", "12 01 00 00 00 E9 00"},
                    ValueCase{R"(wide"\u{1F600}")", "12 02 00 00 00 3D D8 00 DE"},
                    ValueCase{R"(wide"\u{D800}")", "12 01 00 00 00 00 D8"},
                    ValueCase{R"("a\"b\\c\n\r\t\x01")", "06 09 61 22 62 5C 63 0A 0D 09 01"},
                    ValueCase{R"("\u{E9}")", "14 02 00 00 00 C3 A9"},
                    // A byte that is not ASCII makes a UTF-8 text by the writer's rule.
                    ValueCase{R"("\xE9")", "14 01 00 00 00 E9"}, ValueCase{R"(short"\xE9")", "06 01 E9"}));

INSTANTIATE_TEST_SUITE_P(Identifiers, ValueEncoding,
                         testing::Values(ValueCase{"clBtnFace", "07 09 63 6C 42 74 6E 46 61 63 65"},
                                         ValueCase{"False", "08"}, ValueCase{"True", "09"}, ValueCase{"false", "08"},
                                         ValueCase{"nil", "0D"}, ValueCase{"Null", "00"},
                                         ValueCase{R"(ident"True")", "07 04 54 72 75 65"},
                                         ValueCase{R"(ident"")", "07 00"}, ValueCase{"A.b_2", "07 05 41 2E 62 5F 32"}));

INSTANTIATE_TEST_SUITE_P(
    Structures, ValueEncoding,
    testing::Values(ValueCase{"{}", "0B 00"},
                    ValueCase{"{fsBold, fsItalic,}", "0B 06 66 73 42 6F 6C 64 08 66 73 49 74 61 6C 69 63 00"},
                    ValueCase{R"({"a b"})", "0B 03 61 20 62 00"}, ValueCase{"[]", "01 00"},
                    ValueCase{R"(["a", "b"])", "01 06 01 61 06 01 62 00"},
                    ValueCase{"[1, [2]]", "01 02 01 01 02 02 00 00"},
                    ValueCase{R"(hex"0A1B 2C")", "0A 03 00 00 00 0A 1B 2C"}, ValueCase{R"(hex"")", "0A 00 00 00 00"},
                    ValueCase{"hex\"0a\n  1b\"", "0A 02 00 00 00 0A 1B"}, ValueCase{"collection {}", "0E 00"},
                    ValueCase{"collection { item { W = 1 } item 3 {} item int16(4) {} }",
                              "0E 01 01 57 02 01 00 02 03 01 00 03 04 00 01 00 00"},
                    // Item indexes take any integer tag, as the reader does.
                    ValueCase{"collection { item int64(5) {} }", "0E 13 05 00 00 00 00 00 00 00 01 00 00"}));

TEST(FormSource, LongAsciiTextIsALongString) {
    const std::string text(300, 'x');
    const Bytes bytes = ValueBytes("\"" + text + "\"");
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 5), HexBytes("0C 2C 01 00 00"));
    EXPECT_EQ(bytes.size(), 5u + 300u);
}

TEST(FormSource, ComponentsNestInOrderWithTheirPrefixes) {
    const Bytes bytes = Compile(R"(// a comment before the root
        TA a {  // after a brace
          X = 1
          TB b (inherited, position 2) { TC c {} }
          "T D" "" () {}
          TE e (inline, bit3) {}
        })");
    EXPECT_EQ(bytes, Concat({TextBytes("TPF0"), HexBytes("02"), TextBytes("TA"), HexBytes("01"), TextBytes("a"),
                             HexBytes("01"), TextBytes("X"), HexBytes("02 01 00"),
                             // (inherited, position 2): F3, then the position as int8
                             HexBytes("F3 02 02 02"), TextBytes("TB"), HexBytes("01"), TextBytes("b"), HexBytes("00"),
                             HexBytes("02"), TextBytes("TC"), HexBytes("01"), TextBytes("c"), HexBytes("00 00 00"),
                             // () keeps a prefix byte without flags; "" is the empty name
                             HexBytes("F0 03"), TextBytes("T D"), HexBytes("00 00 00"), HexBytes("FC 02"),
                             TextBytes("TE"), HexBytes("01"), TextBytes("e"), HexBytes("00 00"), HexBytes("00")}));
}

TEST(FormSource, LineEndsAndTabsAreBlanks) {
    EXPECT_EQ(Compile("TA a {\r\n\tP = 1\r\n}\r\n"), Compile("TA a { P = 1 }"));
}

struct ErrorCase {
    std::string source;
    int line;
    int column;
    const char* message;
};

class SourceErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(SourceErrors, NameTheFileLineAndColumn) {
    const ErrorCase& c = GetParam();
    try {
        ParseFormSource(c.source, "bad.form");
        FAIL() << "accepted: " << c.source;
    } catch (const FormSourceError& error) {
        EXPECT_EQ(error.Line(), c.line) << error.what();
        EXPECT_EQ(error.Column(), c.column) << error.what();
        const std::string prefix = "bad.form:" + std::to_string(c.line) + ":" + std::to_string(c.column) + ": error: ";
        EXPECT_EQ(std::string(error.what()).rfind(prefix, 0), 0u) << error.what();
        EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Syntax, SourceErrors,
    testing::Values(
        ErrorCase{"TA a {\n  P = \"abc\n}", 2, 7, "unterminated text"},
        ErrorCase{"TA a { P = hex\"0A", 1, 12, "unterminated hex data"},
        ErrorCase{"TA a { P = 12abc }", 1, 12, "bad number '12abc'"},
        ErrorCase{"TA a { P = 0x }", 1, 12, "bad number '0x'"},
        ErrorCase{"TA a { P = 1.5.2 }", 1, 12, "bad number '1.5.2'"},
        ErrorCase{"TA a { P = 99999999999999999999 }", 1, 12, "integer out of range"},
        ErrorCase{"TA a { P = 0x8000000000000000 }", 1, 12, "integer out of range"},
        ErrorCase{"TA a { P = int8(200) }", 1, 17, "does not fit in int8"},
        ErrorCase{"TA a { P = int16(1.5) }", 1, 18, "expected an integer"},
        ErrorCase{"TA a { P = single(1e999) }", 1, 19, "float out of range"},
        ErrorCase{"TA a { P = currency(1.23456) }", 1, 21, "at most four decimals"},
        ErrorCase{"TA a { P = single(hex\"00\") }", 1, 19, "exactly 4 bytes"},
        ErrorCase{"TA a { P = double(1) }", 1, 12, "unknown value marker 'double'"},
        ErrorCase{"TA a { P = short\"" + std::string(256, 'x') + "\" }", 1, 12, "at most 255 bytes; this one has 256"},
        ErrorCase{"TA a { P = " + std::string(256, 'x') + " }", 1, 12, "an identifier is stored as a short string"},
        ErrorCase{"TA a { " + std::string(256, 'p') + " = 1 }", 1, 8, "a property name is stored as a short string"},
        ErrorCase{std::string(240, 'T') + " a {}", 1, 1, "at most 239 bytes"},
        ErrorCase{"TA a { P = \"\\q\" }", 1, 13, "unknown escape '\\q'"},
        ErrorCase{"TA a { P = \"\\xZ1\" }", 1, 13, "exactly two hex digits"},
        ErrorCase{"TA a { P = \"\\u{D800}\" }", 1, 13, "surrogate"},
        ErrorCase{"TA a { P = \"\\u{110000}\" }", 1, 13, "past U+10FFFF"},
        ErrorCase{"TA a { P = wide\"\\x41\" }", 1, 17, "write \\u{...} instead of \\x"},
        ErrorCase{"TA a { P = \"a\tb\" }", 1, 14, "control character"},
        ErrorCase{"TA a { P = foo\"x\" }", 1, 12, "unknown text marker 'foo'"},
        ErrorCase{"TA a { P = hex\"ABC\" }", 1, 12, "even number of hex digits"},
        ErrorCase{"TA a { P = hex\"AG\" }", 1, 17, "only hex digits"},
        ErrorCase{"TA a { P = @ }", 1, 12, "unexpected character '@'"},
        ErrorCase{"TA a { P = }", 1, 12, "expected a value"},
        ErrorCase{"TA a { P = [Null] }", 1, 13, "Null cannot stand in a list"},
        ErrorCase{"TA a { P = [1 2] }", 1, 15, "expected ',' or ']'"},
        ErrorCase{"TA a { P = {a b} }", 1, 15, "expected ',' or '}' in the set"},
        ErrorCase{"TA a { P = {\"\"} }", 1, 13, "a set element name cannot be empty"},
        ErrorCase{"TA a { P = collection { W = 1 } }", 1, 25, "expected 'item'"},
        ErrorCase{"TA a { P = collection { item { TB b {} } } }", 1, 32, "holds properties only"},
        ErrorCase{"TA a { P = collection { item single(1) {} } }", 1, 30, "an item index is an integer"},
        ErrorCase{"TA a { TB b {} P = 1 }", 1, 16, "properties come before the first child"},
        ErrorCase{"TA a {\n  P = 5\n", 1, 6, "no closing '}'"},
        ErrorCase{"TA a {} TB b {}", 1, 9, "one root component"},
        ErrorCase{"TA a { P 5 }", 1, 10, "expected '=' after the property P"},
        ErrorCase{"TA {}", 1, 4, "expected '=' after the property TA"},
        ErrorCase{"\"\" a {}", 1, 1, "a class name cannot be empty"},
        ErrorCase{"TA a { \"\" = 1 }", 1, 8, "a property name cannot be empty"},
        ErrorCase{"TA a (sideways) {}", 1, 7, "expected a modifier"},
        ErrorCase{"TA a (inline, inline) {}", 1, 15, "'inline' given twice"},
        ErrorCase{"TA a (position) {}", 1, 15, "expected a child position"},
        ErrorCase{"TA a (position 5000000000) {}", 1, 16, "between -2147483648 and 4294967295"},
        ErrorCase{"TA a (position single(1.5)) {}", 1, 16, "a child position is an integer"},
        ErrorCase{"TA a { P = short\"Arrêt ā\" }", 1, 24, "'ā' has no Windows-1252 byte"},
        ErrorCase{"TA a { P = long\"\\u{101}\" }", 1, 17, "'ā' has no Windows-1252 byte"},
        ErrorCase{"TA a", 1, 5, "expected '{'"}, ErrorCase{"", 1, 1, "expected a component"},
        // Columns count characters, not bytes: "é" is one column.
        ErrorCase{"TA a { C = \"é\" D = 12x }", 1, 20, "bad number '12x'"},
        ErrorCase{"TA a { P = \"\xFF\" }", 1, 13, "not valid UTF-8"},
        ErrorCase{"TA a { P = " + std::string(200, '[') + " }", 1, 76, "nesting deeper than 64 levels"}));

}  // namespace
}  // namespace orvalis::formc::test

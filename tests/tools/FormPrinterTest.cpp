// Printing form data as source: the printed text compiles back to the very
// same bytes, encodings the writer would not choose carry their markers, and
// malformed data is refused with the offset of the faulty byte.

#include <gtest/gtest.h>

#include "tests/tools/FormTestSupport.h"
#include "tools/FormErrors.h"
#include "tools/FormPrinter.h"

namespace orvalis::formc::test {
namespace {

std::string Print(const Bytes& data) { return PrintFormData(data); }

// Every feature of the format, written the way the printer writes it.
constexpr char kEveryFeature[] = R"(TForm1 Form1 {
  Left = 529
  Height = -11
  Big = 40000
  Huge = -9223372036854775808
  Tagged = int32(5)
  Wider = int64(-1)
  Ratio = 1.5
  Tiny = 1e-4000
  Odd = extended(hex"01000000 00000000 FF7F")
  Scale = single(0.1)
  NotANumber = single(hex"0100C07F")
  When = date(45000.25)
  Price = currency(-12.3456)
  Caption = "Délai entre chaque vue"
  Escaped = "a\"b\\c\n\r\t\x01\u{85}"
  Bytes = "\xE9t\xE9"
  Ansi = long"\x01\u{81}Œ"
  Short = short"Déjà"
  Long = long"OK"
  Utf8 = utf8"OK"
  Wide = wide"Arrêt 😀 \u{D800}"
  Color = clBtnFace
  Reference = Options.eTimer
  Visible = True
  Enabled = False
  Menu = nil
  Variant = Null
  Strange = ident"True"
  Spaced = ident"a b"
  Empty = ident""
  Font.Style = {fsBold, "not a word"}
  NoStyle = {}
  Items.Strings = ["Continu", "Arrêt sur image"]
  Nested = [
    1,
    [2, 3],
    []
  ]
  Long.List = [
    "one long element of the list",
    "another long element of the list",
    "and a third"
  ]
  Data = hex"00010203"
  Picture.Data = hex"
    00010203 04050607 08090A0B 0C0D0E0F 10111213 14151617 18191A1B 1C1D1E1F
    20
  "
  Columns = collection {
    item {
      Width = 40
      Inner = collection {}
    }
    item 3 {}
    item int16(4) {
      Caption = "x"
    }
  }
  "odd name" = 1
  TLabel Label1 {
    Caption = "OK"
  }
  TFrame1 Frame1 (inherited, position 2, inline) {
    TButton "" () {}
    TButton B (position int32(7), bit3) {}
  }
}
)";

TEST(FormPrinter, PrintsEveryFeatureAsWritten) { EXPECT_EQ(Print(Compile(kEveryFeature)), kEveryFeature); }

TEST(FormPrinter, PrintedTextCompilesToTheSameBytes) {
    const Bytes original = Compile(kEveryFeature);
    EXPECT_EQ(Compile(Print(original)), original);
}

struct MarkerCase {
    const char* valueBytes;
    const char* printed;
};

class StoredEncoding : public testing::TestWithParam<MarkerCase> {};

// Data written by another writer keeps its encoding through print and compile.
TEST_P(StoredEncoding, PrintsWithTheMarkerThatKeepsIt) {
    const Bytes data = FormWithValue(HexBytes(GetParam().valueBytes));
    const std::string text = Print(data);
    EXPECT_EQ(text, "TA a {\n  P = " + std::string(GetParam().printed) + "\n}\n");
    EXPECT_EQ(Compile(text), data);
}

INSTANTIATE_TEST_SUITE_P(
    Markers, StoredEncoding,
    testing::Values(
        MarkerCase{"02 05", "5"}, MarkerCase{"03 05 00", "int16(5)"}, MarkerCase{"04 C5 00 00 00", "int32(197)"},
        MarkerCase{"13 FF FF FF FF FF FF FF FF", "int64(-1)"}, MarkerCase{"06 02 4F 4B", "\"OK\""},
        MarkerCase{"0C 02 00 00 00 4F 4B", "long\"OK\""}, MarkerCase{"14 02 00 00 00 C3 A9", "\"é\""},
        MarkerCase{"14 01 00 00 00 41", "utf8\"A\""},
        // The short and long tags hold Windows-1252 bytes.
        MarkerCase{"06 02 C3 A9", "short\"Ã©\""}, MarkerCase{"06 01 E9", "short\"é\""},
        MarkerCase{"0C 03 00 00 00 80 81 0A", "long\"€\\u{81}\\n\""}, MarkerCase{"14 01 00 00 00 E9", "\"\\xE9\""},
        MarkerCase{"12 00 00 00 00", "wide\"\""}, MarkerCase{"12 02 00 00 00 00 DC 41 00", "wide\"\\u{DC00}A\""},
        MarkerCase{"07 04 74 72 75 65", "ident\"true\""}, MarkerCase{"07 04 4E 75 6C 6C", "ident\"Null\""},
        MarkerCase{"07 03 61 2D 3E", "ident\"a->\""}, MarkerCase{"09", "True"}, MarkerCase{"00", "Null"},
        MarkerCase{"0D", "nil"}, MarkerCase{"05 00 00 00 00 00 00 00 80 FF 3F", "1.0"},
        MarkerCase{"05 00 00 00 00 00 00 00 00 00 80", "-0.0"},
        // An unnormal extended: no number has these bytes.
        MarkerCase{"05 00 00 00 00 00 00 00 40 FF 3F", "extended(hex\"00000000 00000040 FF3F\")"},
        MarkerCase{"05 00 00 00 00 00 00 00 C0 FF 7F", "extended(hex\"00000000 000000C0 FF7F\")"},
        MarkerCase{"0F 01 00 00 00", "single(1e-45)"}, MarkerCase{"0F 00 00 80 7F", "single(hex\"0000807F\")"},
        MarkerCase{"11 00 00 00 00 00 00 F0 FF", "date(hex\"00000000 0000F0FF\")"},
        MarkerCase{"10 00 00 00 00 00 00 00 80", "currency(-922337203685477.5808)"},
        MarkerCase{"10 10 27 00 00 00 00 00 00", "currency(1)"}, MarkerCase{"0B 00", "{}"}, MarkerCase{"01 00", "[]"},
        MarkerCase{"0E 00", "collection {}"}, MarkerCase{"0E 02 07 01 00 00", "collection {\n    item 7 {}\n  }"}));

TEST(FormPrinter, PrefixWithoutFlagsAndRootPrefixSurvive) {
    const Bytes data =
        Concat({TextBytes("TPF0"), HexBytes("F0 02"), TextBytes("TA"), HexBytes("01"), TextBytes("a"), HexBytes("00"),
                HexBytes("F2 04 02 00 00 00 02"), TextBytes("TB"), HexBytes("00 00 00 00")});
    const std::string text = Print(data);
    EXPECT_EQ(text, "TA a () {\n  TB \"\" (position int32(2)) {}\n}\n");
    EXPECT_EQ(Compile(text), data);
}

TEST(FormPrinter, LongClassNameAfterAPrefixSurvives) {
    const std::string longName(245, 'T');
    const Bytes data = Concat({TextBytes("TPF0"), HexBytes("F1 F5"), TextBytes(longName), HexBytes("00 00 00")});
    EXPECT_EQ(Compile(Print(data)), data);
}

struct MalformedCase {
    const char* name;
    Bytes data;
    std::size_t offset;
    const char* message;
};

void PrintTo(const MalformedCase& c, std::ostream* out) { *out << c.name; }

class MalformedData : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedData, IsRefusedAtTheFaultyByte) {
    const MalformedCase& c = GetParam();
    try {
        Print(c.data);
        FAIL() << "printed";
    } catch (const FormDataError& error) {
        EXPECT_EQ(error.Offset(), c.offset) << error.what();
        EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, MalformedData,
    testing::Values(
        MalformedCase{"Empty", {}, 0, "signature TPF0"},
        MalformedCase{"WrongSignature",
                      TextBytes("TPF1\x02TA\x01"
                                "a\x00\x00"),
                      0, "signature TPF0"},
        MalformedCase{"SignatureOnly", TextBytes("TPF0"), 4, "ends inside a component"},
        MalformedCase{"EmptyClassName", HexBytes("54504630 00 00 00 00"), 4, "empty class name"},
        MalformedCase{"ShortTextPastTheEnd", FormWithValue(HexBytes("06 FF 41")), 13,
                      "short text of 255 bytes runs past the end of the data"},
        MalformedCase{"HugeBinaryLength", FormWithValue(HexBytes("0A FF FF FF FF")), 16,
                      "binary data of 4294967295 bytes runs past the end"},
        MalformedCase{"HugeWideCount", FormWithValue(HexBytes("12 FF FF FF 7F 41 00")), 16,
                      "wide text of 2147483647 code units runs past the end"},
        MalformedCase{"TruncatedLength",
                      Concat({TextBytes("TPF0\x02TA\x01"
                                        "a\x01P"),
                              HexBytes("0C 01 00")}),
                      12, "ends inside a text length"},
        MalformedCase{"UnknownTag", FormWithValue(HexBytes("15")), 11, "unknown value tag 21"},
        MalformedCase{"TrailingBytes", Concat({FormWithValue(HexBytes("02 01")), HexBytes("00")}), 15,
                      "1 bytes follow the root component"},
        MalformedCase{"UnclosedList",
                      Concat({TextBytes("TPF0\x02TA\x01"
                                        "a\x01P"),
                              HexBytes("01 02 01")}),
                      14, "ends inside a list"},
        MalformedCase{"UnclosedSet",
                      Concat({TextBytes("TPF0\x02TA\x01"
                                        "a\x01P"),
                              HexBytes("0B 01 61")}),
                      14, "ends inside a set"},
        MalformedCase{"DeepLists",
                      Concat({TextBytes("TPF0\x02TA\x01"
                                        "a\x01P"),
                              Bytes(200, 0x01)}),
                      75, "nesting deeper than 64 levels"},
        MalformedCase{"ItemWithoutList", FormWithValue(HexBytes("0E 02 01 06 00 00")), 14, "must open with a list tag"},
        MalformedCase{"PositionNotAnInteger", Concat({TextBytes("TPF0"), HexBytes("F2 06 01 41")}), 5,
                      "child position must be an integer"},
        MalformedCase{"PositionPast32Bits", Concat({TextBytes("TPF0"), HexBytes("F2 13 00 00 00 00 01 00 00 00")}), 5,
                      "between -2147483648 and 4294967295"},
        MalformedCase{"MissingChildrenEnd",
                      Concat({TextBytes("TPF0\x02TA\x01"
                                        "a"),
                              HexBytes("00")}),
                      10, "ends inside the children of a component"}));

}  // namespace
}  // namespace orvalis::formc::test

// The reader's primitives, as custom properties use them, and the name-space lock.

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "classes/Loading.h"
#include "classes/Reader.h"
#include "runtime/Exceptions.h"
#include "tests/classes/TestClasses.h"

namespace orvalis::test {
namespace {

std::unique_ptr<TMemoryStream> Bytes(std::initializer_list<std::uint8_t> bytes) {
    return StreamOf(std::vector<std::uint8_t>(bytes));
}

TEST(ReaderPrimitives, ReadEveryScalarTag) {
    const auto stream = Bytes({
        tagSingle,   0x00,     0x00,   0xC0,    0x3F,                              // 1.5f
        tagCurrency, 0x39,     0x30,   0,       0,        0,    0,    0,    0,     // 1.2345
        tagDate,     0,        0,      0,       0,        0,    0,    0x45, 0x40,  // 42.0
        tagInt64,    0xFF,     0xFF,   0xFF,    0xFF,     0xFF, 0xFF, 0xFF, 0xFF,  // -1
        tagInt8,     0x80,                                                         // -128
        tagString,   1,        'x',                                                // a character
        tagTrue,     tagFalse, tagNil, tagNull, tagInt16, 0x10, 0x27,              // currency from an integer: 10000
        tagInt32,    0xFF,     0xFF,   0xFF,    0xFF,                              // -1 as a single
    });
    TReader reader(*stream);
    EXPECT_EQ(reader.ReadSingle(), 1.5f);
    EXPECT_EQ(reader.ReadCurrency(), 12345);
    EXPECT_EQ(reader.ReadDate(), 42.0);
    EXPECT_EQ(reader.ReadInt64(), -1);
    EXPECT_EQ(reader.ReadInteger(), -128);
    EXPECT_EQ(reader.ReadChar(), 'x');
    EXPECT_TRUE(reader.ReadBoolean());
    EXPECT_FALSE(reader.ReadBoolean());
    EXPECT_EQ(reader.ReadIdent(), "nil");
    EXPECT_EQ(reader.ReadIdent(), "Null");
    EXPECT_EQ(reader.ReadCurrency(), 10000 * 10000);
    EXPECT_EQ(reader.ReadSingle(), -1.0f);
    EXPECT_EQ(reader.Position(), stream->Size());
}

TEST(ReaderPrimitives, DecodeExtendedFloatsArithmetically) {
    const long double values[] = {0.0L, -11.0L, 2.5L, 1e300L, -1e-300L, 1e4000L};
    TMemoryStream stream;
    {
        TWriter writer(stream);
        for (const long double value : values) writer.WriteFloat(value);
        // Infinity: exponent all ones, mantissa of the integer bit alone.
        const std::uint8_t infinity[] = {tagExtended, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F};
        writer.Write(infinity, sizeof infinity);
    }
    stream.SetPosition(0);
    TReader reader(stream);
    for (const long double value : values) EXPECT_EQ(reader.ReadFloat(), value);
    EXPECT_TRUE(std::isinf(reader.ReadFloat()));
}

TEST(ReaderPrimitives, SkipEveryKindOfValueWhole) {
    TMemoryStream stream;
    {
        TWriter writer(stream);
        writer.WriteListBegin();
        writer.WriteInteger(1);
        writer.WriteInteger(300);
        writer.WriteInteger(70000);
        writer.WriteInteger(5000000000LL);
        writer.WriteListEnd();
        writer.WriteFloat(1.0L);
        writer.WriteText("abc");
        writer.WriteText("Arrêt");
        writer.WriteIdent("Foo");
        const std::string_view names[] = {"a", "b"};
        writer.WriteSet(names);
        const std::uint8_t blob[300] = {};
        writer.WriteBinary(blob);
        writer.WriteTag(tagCollection);
        writer.WriteInteger(3);
        writer.WriteListBegin();
        writer.WriteShortString("Width");
        writer.WriteInteger(1);
        writer.WriteListEnd();
        writer.WriteListEnd();
        const std::uint8_t wide[] = {tagWString, 2, 0, 0, 0, 'o', 0, 'k', 0};
        writer.Write(wide, sizeof wide);
        writer.WriteText("end");
    }
    stream.SetPosition(0);
    TReader reader(stream);
    for (int i = 0; i < 9; ++i) reader.SkipValue();
    EXPECT_EQ(reader.ReadString(), "end");
}

TEST(ReaderPrimitives, SkipEveryTagByItsLayoutAndRefuseEveryOtherByte) {
    // One value of each tag, as the format lays it out.
    const std::vector<std::vector<std::uint8_t>> values = {
        {tagNull},
        {tagList, tagInt8, 1, tagTrue, tagNull},
        {tagInt8, 0xFF},
        {tagInt16, 1, 2},
        {tagInt32, 1, 2, 3, 4},
        {tagExtended, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F},
        {tagString, 2, 'o', 'k'},
        {tagIdent, 3, 'F', 'o', 'o'},
        {tagFalse},
        {tagTrue},
        {tagBinary, 3, 0, 0, 0, 1, 2, 3},
        {tagSet, 1, 'a', 2, 'b', 'c', 0},
        {tagLString, 2, 0, 0, 0, 'o', 'k'},
        {tagNil},
        {tagCollection, tagInt8, 0, tagList, 1, 'W', tagInt8, 5, tagNull, tagList, tagNull, tagNull},
        {tagSingle, 0, 0, 0xC0, 0x3F},
        {tagCurrency, 1, 2, 3, 4, 5, 6, 7, 8},
        {tagDate, 1, 2, 3, 4, 5, 6, 7, 8},
        {tagWString, 2, 0, 0, 0, 'o', 0, 'k', 0},
        {tagInt64, 1, 2, 3, 4, 5, 6, 7, 8},
        {tagUtf8String, 2, 0, 0, 0, 0xC3, 0xA9},
    };
    for (std::uint8_t tag = 0; tag < values.size(); ++tag) {
        ASSERT_EQ(values[tag].front(), tag);
        ASSERT_TRUE(ValueLayoutOf(tag).has_value()) << int{tag};
        std::vector<std::uint8_t> bytes = values[tag];
        bytes.push_back(tagTrue);  // what follows must be read next
        const auto stream = StreamOf(bytes);
        TReader reader(*stream);
        reader.SkipValue();
        EXPECT_EQ(reader.Position(), static_cast<std::int64_t>(values[tag].size())) << "tag " << int{tag};
    }
    for (int byte = static_cast<int>(values.size()); byte <= 0xFF; ++byte) {
        EXPECT_FALSE(ValueLayoutOf(static_cast<std::uint8_t>(byte)).has_value()) << byte;
        const auto stream = Bytes({static_cast<std::uint8_t>(byte), 0, 0, 0, 0});
        TReader reader(*stream);
        try {
            reader.SkipValue();
            ADD_FAILURE() << "byte " << byte << " was skipped as a value";
        } catch (const EReadError& error) {
            EXPECT_EQ(error.Message(), "Format de flux incorrect") << byte;
        }
    }
}

TEST(ReaderPrimitives, TheStreamStandsAfterTheLastByteReadOnceTheReaderGoes) {
    const auto stream = Bytes({tagInt8, 5, tagString, 2, 'o', 'k', 'x', 'y'});
    {
        TReader reader(*stream);
        EXPECT_EQ(reader.ReadInteger(), 5);
        EXPECT_EQ(reader.Position(), 2);
        EXPECT_EQ(stream->Position(), 8) << "the reader read ahead into its buffer";
    }
    EXPECT_EQ(stream->Position(), 2);
}

TEST(NameSpaceLock, ItsWriterMayTakeItAgainAndReadWithinItsWrite) {
    TNameSpaceLock& lock = TNameSpaceLock::Instance();
    lock.BeginWrite();
    lock.BeginWrite();
    lock.BeginRead();
    lock.EndRead();
    lock.EndWrite();
    EXPECT_TRUE(lock.IsWriteLocked());
    lock.EndWrite();
    EXPECT_FALSE(lock.IsWriteLocked());
    std::thread reader([&lock] {
        lock.BeginRead();
        lock.EndRead();
    });
    reader.join();
    EXPECT_FALSE(lock.IsWriteLocked());
}

}  // namespace
}  // namespace orvalis::test

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "runtime/LittleEndian.h"

using orvalis::AppendLittleEndian;
using orvalis::ReadLittleEndian;
using orvalis::ReadLittleEndianSigned;
using orvalis::WriteLittleEndian;

struct LittleEndianCase {
    std::vector<std::uint8_t> bytes;
    std::uint64_t unsignedValue;
    std::int64_t signedValue;
};

class LittleEndian : public testing::TestWithParam<LittleEndianCase> {};

TEST_P(LittleEndian, ReadsTheLowByteFirstAndExtendsTheSignFromTheStoredWidth) {
    const LittleEndianCase& c = GetParam();
    EXPECT_EQ(ReadLittleEndian(c.bytes.data(), c.bytes.size()), c.unsignedValue);
    EXPECT_EQ(ReadLittleEndianSigned(c.bytes.data(), c.bytes.size()), c.signedValue);
}

TEST_P(LittleEndian, WritesAndAppendsTheSameBytesItReads) {
    const LittleEndianCase& c = GetParam();
    std::vector<std::uint8_t> written(c.bytes.size(), 0xAA);
    WriteLittleEndian(written.data(), static_cast<std::uint64_t>(c.signedValue), written.size());
    EXPECT_EQ(written, c.bytes);

    std::vector<std::uint8_t> appended = {0x55};
    AppendLittleEndian(appended, c.unsignedValue, c.bytes.size());
    ASSERT_EQ(appended.size(), 1 + c.bytes.size());
    EXPECT_EQ(appended.front(), 0x55);  // what was there stays
    EXPECT_EQ(std::vector<std::uint8_t>(appended.begin() + 1, appended.end()), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, LittleEndian,
    testing::Values(LittleEndianCase{{0x7F}, 0x7F, 127}, LittleEndianCase{{0x80}, 0x80, -128},
                    LittleEndianCase{{0x34, 0x12}, 0x1234, 0x1234}, LittleEndianCase{{0xFE, 0xFF}, 0xFFFE, -2},
                    LittleEndianCase{{0x42, 0x4D, 0x00}, 0x4D42, 0x4D42},
                    LittleEndianCase{{0x78, 0x56, 0x34, 0x12}, 0x12345678, 0x12345678},
                    LittleEndianCase{{0x00, 0x00, 0x00, 0x80}, 0x80000000, INT32_MIN},
                    LittleEndianCase{
                        {0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01}, 0x0102030405060708, 0x0102030405060708},
                    LittleEndianCase{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, UINT64_MAX, -1}));

TEST(LittleEndianWrite, KeepsOnlyTheLowBytesOfAWiderValue) {
    std::uint8_t bytes[3] = {0, 0, 0xAA};
    WriteLittleEndian(bytes, 0x12345678, 2);
    EXPECT_EQ(bytes[0], 0x78);
    EXPECT_EQ(bytes[1], 0x56);
    EXPECT_EQ(bytes[2], 0xAA);  // nothing past the width
}

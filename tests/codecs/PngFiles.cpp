#include "PngFiles.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace orvalis::gd::test {
namespace {

void PutBigEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

// One row as the file stores it: samples packed most significant bits first below 8
// bits, big-endian pairs at 16.
std::vector<png_byte> PackRow(const PngPicture& picture, int y) {
    const int perRow = picture.width * ChannelsOf(picture.colourType);
    const std::uint16_t* sample = picture.samples.data() + static_cast<std::size_t>(y) * perRow;
    std::vector<png_byte> row;
    if (picture.bitDepth == 16) {
        for (int i = 0; i < perRow; ++i) {
            row.push_back(static_cast<png_byte>(sample[i] >> 8));
            row.push_back(static_cast<png_byte>(sample[i]));
        }
        return row;
    }
    row.assign(static_cast<std::size_t>((perRow * picture.bitDepth + 7) / 8), 0);
    for (int i = 0; i < perRow; ++i) {
        const int bit = i * picture.bitDepth;
        row[static_cast<std::size_t>(bit / 8)] |= static_cast<png_byte>(sample[i] << (8 - picture.bitDepth - bit % 8));
    }
    return row;
}

}  // namespace

int ChannelsOf(int colourType) {
    switch (colourType) {
        case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
        case PNG_COLOR_TYPE_RGB: return 3;
        case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
        default: return 1;
    }
}

void WritePng(const std::filesystem::path& path, const PngPicture& picture) {
    ASSERT_EQ(picture.samples.size(),
              static_cast<std::size_t>(picture.width * picture.height * ChannelsOf(picture.colourType)));
    std::vector<std::vector<png_byte>> packed;
    for (int y = 0; y < picture.height; ++y) packed.push_back(PackRow(picture, y));
    std::vector<png_bytep> rows;
    for (auto& row : packed) rows.push_back(row.data());

    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        FAIL() << "libpng could not write " << path;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height),
                 picture.bitDepth, picture.colourType, picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!picture.palette.empty())
        png_set_PLTE(png, info, picture.palette.data(), static_cast<int>(picture.palette.size()));
    if (!picture.alphas.empty() || picture.transparentColour)
        png_set_tRNS(png, info, picture.alphas.empty() ? nullptr : picture.alphas.data(),
                     static_cast<int>(picture.alphas.size()),
                     picture.transparentColour ? &*picture.transparentColour : nullptr);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    ASSERT_EQ(std::fclose(file), 0);
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::size_t FindChunk(const std::vector<std::uint8_t>& bytes, const std::string& type) {
    std::size_t offset = 8;
    while (offset + 8 <= bytes.size()) {
        const std::uint32_t length = std::uint32_t{bytes[offset]} << 24 | std::uint32_t{bytes[offset + 1]} << 16 |
                                     std::uint32_t{bytes[offset + 2]} << 8 | bytes[offset + 3];
        if (std::string(bytes.begin() + static_cast<std::ptrdiff_t>(offset + 4),
                        bytes.begin() + static_cast<std::ptrdiff_t>(offset + 8)) == type)
            return offset;
        offset += 12 + length;
    }
    ADD_FAILURE() << "no " << type << " chunk";
    return 0;
}

void AppendChunk(std::vector<std::uint8_t>& bytes, const std::string& type, const std::vector<std::uint8_t>& data) {
    PutBigEndian(bytes, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeStart = bytes.size();
    bytes.insert(bytes.end(), type.begin(), type.end());
    bytes.insert(bytes.end(), data.begin(), data.end());
    const uLong crc = crc32(0, bytes.data() + typeStart, static_cast<uInt>(bytes.size() - typeStart));
    PutBigEndian(bytes, static_cast<std::uint32_t>(crc));
}

std::vector<std::uint8_t> WithChunkBeforeImageData(const std::vector<std::uint8_t>& bytes, const std::string& type,
                                                   const std::vector<std::uint8_t>& data) {
    const auto imageData = bytes.begin() + static_cast<std::ptrdiff_t>(FindChunk(bytes, "IDAT"));
    std::vector<std::uint8_t> result(bytes.begin(), imageData);
    AppendChunk(result, type, data);
    result.insert(result.end(), imageData, bytes.end());
    return result;
}

std::vector<std::uint8_t> PngSignature() { return {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}; }

std::vector<std::uint8_t> HeaderData(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType) {
    std::vector<std::uint8_t> data;
    PutBigEndian(data, width);
    PutBigEndian(data, height);
    data.push_back(static_cast<std::uint8_t>(bitDepth));
    data.push_back(static_cast<std::uint8_t>(colourType));
    data.insert(data.end(), {0, 0, 0});  // deflate, adaptive filtering, not interlaced
    return data;
}

}  // namespace orvalis::gd::test

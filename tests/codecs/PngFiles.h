#pragma once
// Test files for the PNG decoder: pictures written with libpng's own writer from given
// samples, and the chunk-level surgery that makes damaged or hostile files.

#include <png.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvalis::gd::test {

struct PngPicture {
    int width = 0;
    int height = 0;
    int colourType = PNG_COLOR_TYPE_GRAY;
    int bitDepth = 8;
    bool interlaced = false;
    // Row-major, every channel of every pixel (grey, grey+alpha, RGB, RGBA or an index).
    std::vector<std::uint16_t> samples;
    std::vector<png_color> palette;                 // PLTE of a palette file
    std::vector<png_byte> alphas;                   // tRNS of a palette file
    std::optional<png_color_16> transparentColour;  // tRNS of a grey or RGB file
};

int ChannelsOf(int colourType);

void WritePng(const std::filesystem::path& path, const PngPicture& picture);

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// The offset of the first chunk of that type (its length field) in a PNG file's bytes.
std::size_t FindChunk(const std::vector<std::uint8_t>& bytes, const std::string& type);

// Appends a chunk with its length and a correct CRC.
void AppendChunk(std::vector<std::uint8_t>& bytes, const std::string& type, const std::vector<std::uint8_t>& data);

// The file's bytes with one more chunk right before the first IDAT chunk.
std::vector<std::uint8_t> WithChunkBeforeImageData(const std::vector<std::uint8_t>& bytes, const std::string& type,
                                                   const std::vector<std::uint8_t>& data);

// The 8 bytes of the PNG signature.
std::vector<std::uint8_t> PngSignature();

// The 13 data bytes of an IHDR chunk.
std::vector<std::uint8_t> HeaderData(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType);

}  // namespace orvalis::gd::test

#include "codecs/GdPng.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "platform/raster/BitmapInfo.h"

namespace orvalis::gd {
namespace {

// The decoder's lines on standard error, each ending in a line feed.
constexpr const char* kNoMainStruct = "gd-png error: cannot allocate libpng main struct\n";
constexpr const char* kNoInfoStruct = "gd-png error: cannot allocate libpng info struct\n";
constexpr const char* kFatalLibpngError = "gd-png:  fatal libpng error: %s\n";
constexpr const char* kErrorReturn = "gd-png error: setjmp returns error condition\n";
constexpr const char* kNoImageData = "gd-png error: cannot allocate image data\n";
constexpr const char* kNoRowPointers = "gd-png error: cannot allocate row pointers\n";
constexpr const char* kNoImageRecord = "gd-png error: cannot allocate gdImage struct\n";
constexpr const char* kAlphaDropped = "gd-png warning: alpha channel not supported\n";
constexpr const char* kPartialTransparency = "gd-png warning: only single-color, 100% transparency supported\n";
constexpr const char* kLibpngWarning = "libpng warning: %s\n";

constexpr std::size_t kSignatureBytes = 8;

// Bounds on what libpng may keep or allocate for the chunks it still reads.
constexpr png_uint_32 kChunkCacheMax = 1000;
constexpr png_alloc_size_t kChunkMallocMax = 8'000'000;

// True-colour files are reduced to a cube of 6 levels per component, red outermost.
constexpr std::array<png_byte, 6> kCubeLevels{0, 51, 102, 153, 204, 255};

// Their pixels find their entry through a table indexed by the top five bits of each
// component.
constexpr std::size_t kMappingCells = std::size_t{1} << 15;
using MappingTable = std::array<std::uint8_t, kMappingCells>;

std::size_t mappingCell(int red, int green, int blue) {
    return static_cast<std::size_t>((red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3));
}

// The palette, built from the header before any pixel is read.
struct Palette {
    int count = 0;
    std::array<png_color, gdMaxColors> colours{};
    int transparent = -1;
    // True-colour files: the entries that pixels are mapped to (216, or 217 with tRNS).
    int mappingEntries = 0;
};

// What the libpng pass hands back: one byte per sample, the alpha dropped, so one byte
// per pixel, or three for a true-colour file, which is mapped afterwards.
struct DecodedPng {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool interlaced = false;
    Palette palette;
    std::unique_ptr<png_byte[]> samples;
    std::vector<png_bytep> rows;
    bool tooLarge = false;  // refused from its header
};

// The libpng structures of one decode, released on every path.
struct LibpngReader {
    LibpngReader() = default;
    LibpngReader(const LibpngReader&) = delete;
    LibpngReader& operator=(const LibpngReader&) = delete;
    ~LibpngReader() {
        if (png != nullptr) png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    }

    png_structp png = nullptr;
    png_infop info = nullptr;
};

void reportWarning(png_structp, png_const_charp message) { std::fprintf(stderr, kLibpngWarning, message); }

[[noreturn]] void reportFatal(png_structp png, png_const_charp message) {
    std::fprintf(stderr, kFatalLibpngError, message);
    png_longjmp(png, 1);
}

// A tRNS colour whose sample exceeds the bit depth matches no pixel; it is ignored
// rather than turned into an index or a palette entry that no pixel can have.
bool sampleFits(png_uint_16 sample, int bitDepth) { return bitDepth == 16 || sample < (1 << bitDepth); }

png_byte topByte(png_uint_16 sample, int bitDepth) {
    return static_cast<png_byte>(bitDepth == 16 ? sample >> 8 : sample);
}

// Palette files: only alphas below 255 count. A single fully transparent entry is the
// transparent index; anything else cannot be expressed and keeps the most transparent
// entry, the first one on a tie.
int paletteTransparency(const png_byte* alphas, int count) {
    int partial = 0;
    int chosen = -1;
    for (int i = 0; i < count; ++i) {
        if (alphas[i] == 255) continue;
        ++partial;
        if (chosen < 0 || alphas[i] < alphas[chosen]) chosen = i;
    }
    if (partial > 1 || (partial == 1 && alphas[chosen] != 0)) std::fputs(kPartialTransparency, stderr);
    return chosen;
}

Palette plteEntries(png_structp png, png_infop info) {
    Palette palette;
    png_colorp entries = nullptr;
    png_get_PLTE(png, info, &entries, &palette.count);
    std::copy_n(entries, palette.count, palette.colours.begin());

    png_bytep alphas = nullptr;
    int alphaCount = 0;
    if (png_get_tRNS(png, info, &alphas, &alphaCount, nullptr) != 0)
        palette.transparent = paletteTransparency(alphas, alphaCount);
    return palette;
}

// Grey files: one entry per grey level the samples can take after the transforms (two
// to the bit depth below 8, else 256), spread evenly from black to white.
Palette greyRamp(png_structp png, png_infop info, int bitDepth) {
    Palette palette;
    palette.count = bitDepth < 8 ? 1 << bitDepth : gdMaxColors;
    for (int i = 0; i < palette.count; ++i) {
        const auto grey = static_cast<png_byte>(255 * i / (palette.count - 1));
        palette.colours[i] = {grey, grey, grey};
    }

    png_color_16p colour = nullptr;
    if (png_get_tRNS(png, info, nullptr, nullptr, &colour) != 0 && sampleFits(colour->gray, bitDepth))
        palette.transparent = topByte(colour->gray, bitDepth);
    return palette;
}

// True-colour files: the tRNS colour first when there is one, then the 216 cube colours;
// the remaining entries stay black and no pixel refers to them.
Palette colourCube(const png_color* transparentColour) {
    Palette palette;
    palette.count = gdMaxColors;
    int next = 0;
    if (transparentColour != nullptr) {
        palette.colours[next++] = *transparentColour;
        palette.transparent = 0;
    }
    for (png_byte red : kCubeLevels)
        for (png_byte green : kCubeLevels)
            for (png_byte blue : kCubeLevels) palette.colours[next++] = {red, green, blue};
    palette.mappingEntries = next;
    return palette;
}

Palette trueColourPalette(png_structp png, png_infop info, int bitDepth) {
    png_color_16p colour = nullptr;
    if (png_get_tRNS(png, info, nullptr, nullptr, &colour) != 0 && sampleFits(colour->red, bitDepth) &&
        sampleFits(colour->green, bitDepth) && sampleFits(colour->blue, bitDepth)) {
        const png_color entry{topByte(colour->red, bitDepth), topByte(colour->green, bitDepth),
                              topByte(colour->blue, bitDepth)};
        return colourCube(&entry);
    }
    return colourCube(nullptr);
}

Palette buildPalette(png_structp png, png_infop info, int colourType, int bitDepth) {
    switch (colourType) {
        case PNG_COLOR_TYPE_PALETTE: return plteEntries(png, info);
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_GRAY_ALPHA: return greyRamp(png, info, bitDepth);
        default:  // RGB or RGB+alpha: libpng refuses any other type in the header
            return trueColourPalette(png, info, bitDepth);
    }
}

// Each cell takes the first mapping entry at the smallest distance, measured on the
// top five bits of each component as |dr| + |dg| + |db| + max(|dr|, |dg|, |db|).
MappingTable buildMapping(const Palette& palette) {
    MappingTable table{};
    for (std::size_t cell = 0; cell < kMappingCells; ++cell) {
        const int red = static_cast<int>(cell >> 10 & 31);
        const int green = static_cast<int>(cell >> 5 & 31);
        const int blue = static_cast<int>(cell & 31);
        int best = 255;
        for (int i = 0; i < palette.mappingEntries; ++i) {
            const png_color& entry = palette.colours[i];
            const int dr = std::abs(red - (entry.red >> 3));
            const int dg = std::abs(green - (entry.green >> 3));
            const int db = std::abs(blue - (entry.blue >> 3));
            const int distance = dr + dg + db + std::max({dr, dg, db});
            if (distance < best) {
                best = distance;
                table[cell] = static_cast<std::uint8_t>(i);
            }
        }
    }
    return table;
}

// Without tRNS the palette of every true-colour file is the same cube.
const MappingTable& plainCubeMapping() {
    static const MappingTable table = buildMapping(colourCube(nullptr));
    return table;
}

// A header can announce a picture far larger than memory (up to 2^31 × 2^31 pixels).
// The picture is worked on as 32-bit pixels, 4 bytes a pixel, which the raster layer
// holds to kMaxPixelBytes: a picture that could not be made so is refused from its
// header, before anything is allocated. Within that bound the samples (at most 3 bytes
// a pixel) and the palette image (1) fit too, and libpng's own limit of a million rows
// keeps the row table under 8 MB.
bool pictureFits(png_uint_32 width, png_uint_32 height) {
    assert(height > 0);
    return platform::raster::RowStride(width, 32) <= platform::raster::kMaxPixelBytes / height;
}

// The samples and their row table.
bool allocateRows(DecodedPng& out, std::size_t rowBytes, png_uint_32 height) {
    try {
        out.samples = std::make_unique_for_overwrite<png_byte[]>(rowBytes * height);
    } catch (const std::bad_alloc&) {
        std::fputs(kNoImageData, stderr);
        return false;
    }
    try {
        out.rows.resize(height);
    } catch (const std::bad_alloc&) {
        std::fputs(kNoRowPointers, stderr);
        return false;
    }
    for (png_uint_32 y = 0; y < height; ++y) out.rows[y] = out.samples.get() + y * rowBytes;
    return true;
}

// Only IHDR, PLTE, tRNS, IDAT and IEND decide the image: libpng skips every other chunk
// (still checking its CRC), so the text and profile chunks of a hostile file cost
// nothing.
void limitChunks(png_structp png) {
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_chunk_cache_max(png, kChunkCacheMax);
    png_set_chunk_malloc_max(png, kChunkMallocMax);
}

// The libpng pass, up to the end of the file. A libpng error jumps back into this
// function through the jump buffer of this decode's own read structure; every object
// with a destructor lives in the caller's frame, so the jump skips none.
bool readSamples(std::FILE* file, const LibpngReader& reader, DecodedPng& out) {
    png_structp png = reader.png;
    png_infop info = reader.info;
    if (setjmp(png_jmpbuf(png))) {
        std::fputs(kErrorReturn, stderr);
        return false;
    }

    png_set_sig_bytes(png, kSignatureBytes);
    png_init_io(png, file);
    limitChunks(png);
    png_read_info(png, info);

    out.width = png_get_image_width(png, info);
    out.height = png_get_image_height(png, info);
    out.interlaced = png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7;
    const int bitDepth = png_get_bit_depth(png, info);
    const int colourType = png_get_color_type(png, info);

    if (bitDepth == 16) png_set_strip_16(png);
    if (bitDepth < 8) png_set_packing(png);
    if ((colourType & PNG_COLOR_MASK_ALPHA) != 0) {
        std::fputs(kAlphaDropped, stderr);
        png_set_strip_alpha(png);
    }
    out.palette = buildPalette(png, info, colourType, bitDepth);
    if (out.interlaced) png_set_interlace_handling(png);
    png_read_update_info(png, info);

    if (!pictureFits(out.width, out.height)) {
        // Told as the allocation failure it would otherwise be.
        std::fputs(kNoImageData, stderr);
        out.tooLarge = true;
        return false;
    }
    if (!allocateRows(out, png_get_rowbytes(png, info), out.height)) return false;
    png_read_image(png, out.rows.data());
    png_read_end(png, nullptr);
    return true;
}

std::unique_ptr<gdImage> toPaletteImage(const DecodedPng& decoded) {
    std::unique_ptr<gdImage> image = gdImageCreate(static_cast<int>(decoded.width), static_cast<int>(decoded.height));
    if (!image) {
        std::fputs(kNoImageRecord, stderr);
        return nullptr;
    }
    const Palette& palette = decoded.palette;
    image->colorsTotal = palette.count;
    image->transparent = palette.transparent;
    image->interlace = decoded.interlaced ? 1 : 0;
    for (int i = 0; i < palette.count; ++i) {
        image->red[i] = palette.colours[i].red;
        image->green[i] = palette.colours[i].green;
        image->blue[i] = palette.colours[i].blue;
    }

    std::optional<MappingTable> ownMapping;
    const MappingTable* mapping = nullptr;
    if (palette.mappingEntries > 0)
        mapping = palette.transparent < 0 ? &plainCubeMapping() : &ownMapping.emplace(buildMapping(palette));

    // The entries in use are marked once at the end, not at every pixel.
    std::array<bool, gdMaxColors> used{};
    for (int y = 0; y < image->sy; ++y) {
        const png_byte* sample = decoded.rows[static_cast<std::size_t>(y)];
        std::uint8_t* row = image->pixels[static_cast<std::size_t>(y)];
        if (mapping != nullptr) {
            for (int x = 0; x < image->sx; ++x, sample += 3)
                row[x] = (*mapping)[mappingCell(sample[0], sample[1], sample[2])];
        } else {
            std::memcpy(row, sample, static_cast<std::size_t>(image->sx));
        }
        for (int x = 0; x < image->sx; ++x) used[row[x]] = true;
    }
    for (int index = 0; index < gdMaxColors; ++index)
        if (used[static_cast<std::size_t>(index)]) image->open[static_cast<std::size_t>(index)] = 0;
    return image;
}

}  // namespace

std::unique_ptr<gdImage> gdImageCreateFromPng(std::FILE* file) {
    PngFailure failure = PngFailure::None;
    return gdImageCreateFromPng(file, failure);
}

std::unique_ptr<gdImage> gdImageCreateFromPng(std::FILE* file, PngFailure& failure) {
    assert(file != nullptr);
    failure = PngFailure::Unreadable;
    png_byte signature[kSignatureBytes];
    if (std::fread(signature, 1, kSignatureBytes, file) != kSignatureBytes ||
        png_sig_cmp(signature, 0, kSignatureBytes) != 0)
        return nullptr;

    LibpngReader reader;
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, reportFatal, reportWarning);
    if (reader.png == nullptr) {
        std::fputs(kNoMainStruct, stderr);
        return nullptr;
    }
    reader.info = png_create_info_struct(reader.png);
    if (reader.info == nullptr) {
        std::fputs(kNoInfoStruct, stderr);
        return nullptr;
    }

    DecodedPng decoded;
    if (!readSamples(file, reader, decoded)) {
        if (decoded.tooLarge) failure = PngFailure::TooLarge;
        return nullptr;
    }
    std::unique_ptr<gdImage> image = toPaletteImage(decoded);
    if (image) failure = PngFailure::None;
    return image;
}

}  // namespace orvalis::gd

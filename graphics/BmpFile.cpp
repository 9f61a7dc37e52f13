#include "graphics/BmpFile.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/raster/DeviceImage.h"
#include "platform/raster/DibImage.h"
#include "runtime/Exceptions.h"
#include "runtime/LittleEndian.h"

namespace orvalis {

namespace {

using raster::BI_BITFIELDS;
using raster::BI_RGB;
using raster::BI_RLE4;
using raster::BI_RLE8;

constexpr std::uint16_t kSignature = 0x4D42;  // "BM"
constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kMaskBytes = 12;
constexpr std::size_t kMaxColours = 256;

[[noreturn]] void RaiseInvalid() { throw EInvalidGraphic(ResId::InvalidBitmap); }

// Reading within the file's length: a read beyond it, or beyond the stream's end, is
// the stream read error.
class FileReader {
public:
    FileReader(TStream& stream, std::int64_t length)
        : stream_(&stream), remaining_(std::min(length, stream.Size() - stream.Position())) {}

    std::int64_t Remaining() const { return remaining_; }

    void Read(void* buffer, std::int64_t count) {
        if (count > remaining_) throw EReadError(ResId::StreamRead);
        stream_->ReadBuffer(buffer, std::size_t(count));
        remaining_ -= count;
    }

    void Skip(std::int64_t count) {
        if (count > remaining_) throw EReadError(ResId::StreamRead);
        stream_->Seek(count, SeekOrigin::Current);
        remaining_ -= count;
    }

    // The rest of the file is copied after `head` into a memory stream, from which the
    // reading goes on right after the head.
    std::unique_ptr<TMemoryStream> KeepFile(std::span<const std::uint8_t> head) {
        auto kept = std::make_unique<TMemoryStream>();
        kept->WriteBuffer(head.data(), head.size());
        if (remaining_ > 0) kept->CopyFrom(*stream_, remaining_);
        kept->SetPosition(std::int64_t(head.size()));
        stream_ = kept.get();
        return kept;
    }

private:
    TStream* stream_;
    std::int64_t remaining_;
};

bool IsValidBitCount(std::uint16_t bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
}

bool CompressionFits(std::uint32_t compression, std::uint16_t bitCount) {
    switch (compression) {
        case BI_RGB: return true;
        case BI_BITFIELDS: return bitCount == 16 || bitCount == 32;
        case BI_RLE8: return bitCount == 8;
        case BI_RLE4: return bitCount == 4;
        default: return false;
    }
}

// Everything the rest of the reading relies on, checked before anything is allocated.
void CheckHeader(const raster::BitmapInfoHeader& header) {
    if (header.biPlanes != 1 || !IsValidBitCount(header.biBitCount) ||
        !CompressionFits(header.biCompression, header.biBitCount))
        RaiseInvalid();
    const bool compressed = header.biCompression == BI_RLE8 || header.biCompression == BI_RLE4;
    if (header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == INT32_MIN ||
        (compressed && header.biHeight < 0))
        RaiseInvalid();
    // Row size times height, compared without multiplying: it could overflow.
    const std::int64_t stride = raster::RowStride(header.biWidth, header.biBitCount);
    if (stride > raster::kMaxPixelBytes / std::abs(std::int64_t(header.biHeight)) || header.biClrUsed > kMaxColours)
        RaiseInvalid();
}

raster::BitmapInfoHeader ParseInfoHeader(std::uint32_t size, const std::uint8_t* p) {
    raster::BitmapInfoHeader header;
    header.biSize = size;
    header.biWidth = std::int32_t(ReadLittleEndian(p, 4));
    header.biHeight = std::int32_t(ReadLittleEndian(p + 4, 4));
    header.biPlanes = std::uint16_t(ReadLittleEndian(p + 8, 2));
    header.biBitCount = std::uint16_t(ReadLittleEndian(p + 10, 2));
    header.biCompression = std::uint32_t(ReadLittleEndian(p + 12, 4));
    header.biSizeImage = std::uint32_t(ReadLittleEndian(p + 16, 4));
    header.biXPelsPerMeter = std::int32_t(ReadLittleEndian(p + 20, 4));
    header.biYPelsPerMeter = std::int32_t(ReadLittleEndian(p + 24, 4));
    header.biClrUsed = std::uint32_t(ReadLittleEndian(p + 28, 4));
    header.biClrImportant = std::uint32_t(ReadLittleEndian(p + 32, 4));
    return header;
}

std::array<std::uint32_t, 3> ParseMasks(const std::uint8_t* p) {
    return {std::uint32_t(ReadLittleEndian(p, 4)), std::uint32_t(ReadLittleEndian(p + 4, 4)),
            std::uint32_t(ReadLittleEndian(p + 8, 4))};
}

// What the headers of a file say: the 40-byte header (an OS/2 core header converted), the
// bit-field masks, the form of the header, and for compressed pixels the file itself.
struct BmpHeader {
    raster::BitmapInfoHeader info;
    std::array<std::uint32_t, 3> masks{};
    bool os2Format = false;
    std::unique_ptr<TMemoryStream> savedStream;
};

// The rest of a 12-byte OS/2 core header, after its size.
BmpHeader ReadCoreHeader(FileReader& in) {
    std::uint8_t core[kCoreHeaderBytes - 4];
    if (in.Remaining() < std::int64_t(sizeof core)) RaiseInvalid();
    in.Read(core, sizeof core);
    BmpHeader file;
    file.os2Format = true;
    file.info.biSize = kInfoHeaderBytes;
    file.info.biWidth = std::uint16_t(ReadLittleEndian(core, 2));
    file.info.biHeight = std::uint16_t(ReadLittleEndian(core + 2, 2));
    file.info.biPlanes = std::uint16_t(ReadLittleEndian(core + 4, 2));
    file.info.biBitCount = std::uint16_t(ReadLittleEndian(core + 6, 2));
    CheckHeader(file.info);
    return file;
}

// The rest of a Windows info header of `headerSize` bytes, after its size, and the masks
// (inside a header of 52 bytes or more, after a 40-byte one with bit fields). A compressed
// file is kept whole from here on, `head` being what was read before the info header.
BmpHeader ReadInfoHeader(FileReader& in, std::uint32_t headerSize, std::span<const std::uint8_t> head) {
    if (headerSize < kInfoHeaderBytes || headerSize - 4 > in.Remaining()) RaiseInvalid();
    // The 40-byte header and, in a longer one, the masks that follow it.
    std::uint8_t fixed[kInfoHeaderBytes - 4 + kMaskBytes];
    const std::uint32_t fixedBytes = std::min<std::uint32_t>(headerSize - 4, sizeof fixed);
    in.Read(fixed, fixedBytes);
    BmpHeader file;
    file.info = ParseInfoHeader(headerSize, fixed);
    CheckHeader(file.info);
    if (fixedBytes == sizeof fixed) file.masks = ParseMasks(fixed + kInfoHeaderBytes - 4);
    if (file.info.biCompression != BI_RGB && file.info.biCompression != BI_BITFIELDS) {
        // Compressed: the file is kept whole, to be written back unchanged.
        std::vector<std::uint8_t> kept(head.begin(), head.end());
        kept.insert(kept.end(), fixed, fixed + fixedBytes);
        file.savedStream = in.KeepFile(kept);
    }
    in.Skip(headerSize - 4 - fixedBytes);
    if (headerSize == kInfoHeaderBytes && file.info.biCompression == BI_BITFIELDS) {
        std::uint8_t maskBytes[kMaskBytes];
        in.Read(maskBytes, sizeof maskBytes);
        file.masks = ParseMasks(maskBytes);
    }
    return file;
}

// The file header and the info header, whichever its form.
BmpHeader ReadHeader(FileReader& in) {
    // The 14-byte file header, then the size of the info header, which tells its form.
    std::uint8_t head[kFileHeaderBytes + 4];
    in.Read(head, kFileHeaderBytes);
    if (std::uint16_t(ReadLittleEndian(head, 2)) != kSignature) RaiseInvalid();
    if (in.Remaining() < 4) RaiseInvalid();
    in.Read(head + kFileHeaderBytes, 4);
    const std::uint32_t headerSize = std::uint32_t(ReadLittleEndian(head + kFileHeaderBytes, 4));
    return headerSize == kCoreHeaderBytes ? ReadCoreHeader(in) : ReadInfoHeader(in, headerSize, head);
}

// The colour table: biClrUsed entries, or 2 to the bit count of them for 8 bits or fewer
// when biClrUsed is 0 (which the header then says); 3-byte entries in an OS/2 file.
std::vector<raster::RgbQuad> ReadColourTable(FileReader& in, raster::BitmapInfoHeader& header, bool os2Format) {
    if (header.biClrUsed == 0 && header.biBitCount <= 8) header.biClrUsed = 1u << header.biBitCount;
    std::vector<raster::RgbQuad> colours(header.biClrUsed);
    const int entryBytes = os2Format ? 3 : 4;
    std::vector<std::uint8_t> table(colours.size() * entryBytes);
    in.Read(table.data(), std::int64_t(table.size()));
    for (std::size_t i = 0; i < colours.size(); ++i)
        colours[i] = {table[i * entryBytes], table[i * entryBytes + 1], table[i * entryBytes + 2], 0};
    return colours;
}

// The pixels, right after the colour table: into a DIB of the file's layout, or decoded
// into a device image when compressed. A biSizeImage of 0 becomes the size of the rows.
std::unique_ptr<raster::Image> ReadPixels(FileReader& in, raster::BitmapInfoHeader& header,
                                          const std::array<std::uint32_t, 3>& masks,
                                          const std::vector<raster::RgbQuad>& colours, bool compressed) {
    const std::int64_t pixelBytes =
        raster::RowStride(header.biWidth, header.biBitCount) * std::abs(std::int64_t(header.biHeight));
    if (header.biSizeImage == 0) header.biSizeImage = std::uint32_t(pixelBytes);

    if (!compressed) {
        // At most the buffer's size; a file that ends before is cut short.
        const std::int64_t count = std::min<std::int64_t>(header.biSizeImage, pixelBytes);
        auto dib = raster::DibImage::Create({header, masks, colours});
        if (!dib) RaiseInvalid();
        in.Read(dib->Bits(), count);
        return dib;
    }
    const std::int64_t count = std::min<std::int64_t>(in.Remaining(), header.biSizeImage);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(count));
    in.Read(data.data(), count);
    auto image = raster::DeviceImage::CreateFromCompressed(header, colours, data);
    if (!image) RaiseInvalid();
    return image;
}

raster::PaletteHandle PaletteOf(std::span<const raster::RgbQuad> colours) {
    std::vector<raster::PaletteEntry> entries;
    for (const raster::RgbQuad& quad : colours) entries.push_back(raster::ToPaletteEntry(quad));
    return raster::CreatePalette(entries);
}

}  // namespace

TBmpContents ReadBmpFile(TStream& stream, std::int64_t length) {
    FileReader in(stream, length);
    BmpHeader file = ReadHeader(in);
    raster::BitmapInfoHeader& header = file.info;
    const std::vector<raster::RgbQuad> colours = ReadColourTable(in, header, file.os2Format);
    const bool compressed = file.savedStream != nullptr;

    TBmpContents contents;
    contents.image = ReadPixels(in, header, file.masks, colours, compressed);
    if (!colours.empty() && (compressed || header.biBitCount > 8)) contents.palette = PaletteOf(colours);
    contents.os2Format = file.os2Format;
    contents.savedStream = std::move(file.savedStream);

    const raster::DibSection fresh = contents.image->Describe();
    if (contents.image->AsDib())
        contents.description = fresh;
    else
        contents.description.dsBm = fresh.dsBm;
    raster::BitmapInfoHeader& described = contents.description.dsBmih;
    described.biXPelsPerMeter = header.biXPelsPerMeter;
    described.biYPelsPerMeter = header.biYPelsPerMeter;
    described.biClrUsed = header.biClrUsed;
    described.biClrImportant = header.biClrImportant;
    return contents;
}

void WriteBmpFile(TStream& stream, const TBmpImage& image, bool withLength) {
    const raster::BitmapInfoHeader& header = image.header;
    const std::size_t colourCount = image.colours.size();
    std::uint32_t headerBytes;
    if (image.os2Format) {
        headerBytes = kCoreHeaderBytes + (header.biBitCount <= 8 ? 3u << header.biBitCount : 0);
    } else {
        const bool masks = header.biBitCount > 8 && (header.biCompression & 3) != 0;
        headerBytes = kInfoHeaderBytes + (masks ? kMaskBytes : 0) + 4 * std::uint32_t(colourCount);
    }
    const std::uint32_t fileSize = kFileHeaderBytes + headerBytes + header.biSizeImage;

    std::vector<std::uint8_t> out;
    if (withLength) AppendLittleEndian(out, fileSize, 4);
    AppendLittleEndian(out, kSignature, 2);
    AppendLittleEndian(out, fileSize, 4);
    AppendLittleEndian(out, 0, 2);
    AppendLittleEndian(out, 0, 2);
    AppendLittleEndian(out, kFileHeaderBytes + headerBytes, 4);
    if (image.os2Format) {
        AppendLittleEndian(out, kCoreHeaderBytes, 4);
        AppendLittleEndian(out, std::uint32_t(header.biWidth), 2);
        AppendLittleEndian(out, std::uint32_t(header.biHeight), 2);
        AppendLittleEndian(out, 1, 2);
        AppendLittleEndian(out, header.biBitCount, 2);
        if (header.biBitCount <= 8)
            for (std::size_t i = 0; i < (std::size_t(1) << header.biBitCount); ++i) {
                const raster::RgbQuad quad = i < colourCount ? image.colours[i] : raster::RgbQuad{};
                out.push_back(quad.rgbBlue);
                out.push_back(quad.rgbGreen);
                out.push_back(quad.rgbRed);
            }
    } else {
        AppendLittleEndian(out, header.biSize, 4);
        AppendLittleEndian(out, std::uint32_t(header.biWidth), 4);
        AppendLittleEndian(out, std::uint32_t(header.biHeight), 4);
        AppendLittleEndian(out, header.biPlanes, 2);
        AppendLittleEndian(out, header.biBitCount, 2);
        AppendLittleEndian(out, header.biCompression, 4);
        AppendLittleEndian(out, header.biSizeImage, 4);
        AppendLittleEndian(out, std::uint32_t(header.biXPelsPerMeter), 4);
        AppendLittleEndian(out, std::uint32_t(header.biYPelsPerMeter), 4);
        AppendLittleEndian(out, header.biClrUsed, 4);
        AppendLittleEndian(out, header.biClrImportant, 4);
        if (header.biBitCount > 8 && (header.biCompression & 3) != 0)
            for (std::uint32_t mask : image.masks) AppendLittleEndian(out, mask, 4);
        for (const raster::RgbQuad& quad : image.colours) {
            out.push_back(quad.rgbBlue);
            out.push_back(quad.rgbGreen);
            out.push_back(quad.rgbRed);
            out.push_back(0);
        }
    }
    stream.WriteBuffer(out.data(), out.size());
    stream.WriteBuffer(image.bits, header.biSizeImage);
}

}  // namespace orvalis

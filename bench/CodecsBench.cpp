#include "bench/CodecsBench.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "bench/BenchData.h"
#include "codecs/GdPng.h"
#include "codecs/JPEGImage.h"
#include "graphics/Bitmap.h"
#include "runtime/FileStream.h"

namespace orvalis::bench {

namespace {

// Photographic content: a plasma fractal, the same at every run.
const std::vector<std::string> kPhoto = {"-size", "4000x3000", "-seed", "42", "plasma:fractal"};

// The viewer's road: a file stream, a JPEG image loaded from it, copied into a bitmap.
void DecodeJpeg(const std::filesystem::path& file)
{
    TFileStream stream(String(file.string()), fmOpenRead | fmShareDenyWrite);
    TJPEGImage image;
    image.LoadStream(stream);
    TBitmap bitmap;
    bitmap.CopyFromObject(&image);
    if (bitmap.Width() != 4000)
        throw std::runtime_error("the JPEG image did not decode");
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr Open(const std::filesystem::path& path)
{
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw std::runtime_error("cannot open " + path.string());
    return file;
}

void DecodePalettePng(const std::filesystem::path& path)
{
    const FilePtr file = Open(path);
    std::unique_ptr<gd::gdImage> image = gd::gdImageCreateFromPng(file.get());
    if (!image)
        throw std::runtime_error("the PNG step gave no image");
    gd::gdImageDestroy(std::move(image));
}

// What libpng alone does for the same file: every row into one buffer.
bool ReadPngRows(std::FILE* file, png_structp png, png_infop info, std::vector<png_byte>& pixels,
                 std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_strip_16(png);
    png_read_update_info(png, info);
    const png_size_t rowBytes = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    pixels.resize(rowBytes * height);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = &pixels[y * rowBytes];
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return true;
}

void DecodeBarePng(const std::filesystem::path& path)
{
    const FilePtr file = Open(path);
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_byte> pixels;
    std::vector<png_bytep> rows;
    const bool read = ReadPngRows(file.get(), png, info, pixels, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!read)
        throw std::runtime_error("libpng could not read " + path.string());
}

}  // namespace

void AddCodecsPairs(const std::filesystem::path& dataFolder, std::vector<BenchPair>& pairs)
{
    std::vector<std::string> jpegArguments = kPhoto;
    jpegArguments.insert(jpegArguments.end(), {"-quality", "90"});
    const std::filesystem::path jpeg = BenchFile(dataFolder, "photo-4000x3000-q90.jpg", jpegArguments);
    pairs.push_back({"JPEG 4000x3000 q90: TJPEGImage into TBitmap / djpeg -dct float",
                     [jpeg] { DecodeJpeg(jpeg); },
                     Command({"djpeg", "-dct", "float", "-outfile", "/dev/null", jpeg.string()}),
                     1.15});

    std::vector<std::string> pngArguments = kPhoto;
    pngArguments.insert(pngArguments.end(), {"-type", "TrueColor", "-depth", "8"});
    const std::filesystem::path png = BenchFile(dataFolder, "photo-4000x3000-rgb.png", pngArguments);
    pairs.push_back({"PNG 4000x3000 RGB: gdImageCreateFromPng / libpng png_read_image",
                     [png] { DecodePalettePng(png); },
                     [png] { DecodeBarePng(png); },
                     1.3});
}

}  // namespace orvalis::bench

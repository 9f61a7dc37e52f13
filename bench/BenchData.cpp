#include "bench/BenchData.h"

#include <cstring>
#include <iostream>

#include "bench/BenchTable.h"
#include "codecs/JPEGImage.h"
#include "codecs/JpegCompression.h"
#include "graphics/Bitmap.h"
#include "runtime/FileStream.h"

namespace orvalis::bench {

namespace {

// A plasma fractal followed by `more` arguments.
std::vector<std::string> Photo(std::vector<std::string> more) {
    std::vector<std::string> arguments = {"-size", std::to_string(kPictureWidth) + "x" + std::to_string(kPictureHeight),
                                          "-seed", "42", "plasma:fractal"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

}  // namespace

std::filesystem::path BenchFile(const std::filesystem::path& folder, const std::string& name,
                                const std::vector<std::string>& convertArguments) {
    const std::filesystem::path file = folder / name;
    if (std::filesystem::exists(file)) return file;
    std::filesystem::create_directories(folder);
    std::cerr << "making " << file.string() << " (once)\n";
    // Written under another name first: an interrupted run leaves no half file behind.
    const std::filesystem::path partial = folder / ("partial-" + name);
    std::vector<std::string> arguments = {"convert"};
    arguments.insert(arguments.end(), convertArguments.begin(), convertArguments.end());
    arguments.push_back(partial.string());
    RunCommand(arguments);
    std::filesystem::rename(partial, file);
    return file;
}

std::filesystem::path PhotoJpeg(const std::filesystem::path& folder) {
    return BenchFile(folder, "photo-4000x3000-q90.jpg", Photo({"-quality", "90"}));
}

std::filesystem::path PhotoRgbPng(const std::filesystem::path& folder) {
    return BenchFile(folder, "photo-4000x3000-rgb.png", Photo({"-type", "TrueColor", "-depth", "8"}));
}

std::filesystem::path PhotoBmp(const std::filesystem::path& folder) {
    return BenchFile(folder, "photo-4000x3000-24bit.bmp", Photo({"-type", "TrueColor", "-define", "bmp:format=bmp3"}));
}

std::filesystem::path PalettePng(const std::filesystem::path& folder) {
    return BenchFile(folder, "palette-4000x3000-200.png",
                     Photo({"+dither", "-colors", "200", "-type", "Palette", "-define", "png:color-type=3"}));
}

namespace {

// The photograph enlarged to kLargeSide x kLargeSide, in the file `name`, made once.
std::filesystem::path EnlargedPhotoJpeg(const std::filesystem::path& folder, const std::string& name,
                                        bool progressive) {
    const std::filesystem::path file = folder / name;
    if (std::filesystem::exists(file)) return file;
    std::cerr << "making " << file.string() << " (once)\n";
    // ImageMagick needs minutes and gigabytes for a picture this large: the photograph is
    // enlarged here (each pixel taken from the nearest one of the photograph, whose
    // texture then shows at a larger scale) and written by libjpeg, row order as a
    // bitmap's (blue, green, red).
    TBitmap photo;
    {
        TFileStream stream(String(PhotoJpeg(folder).string()), fmOpenRead | fmShareDenyWrite);
        TJPEGImage image;
        image.LoadStream(stream);
        photo.CopyFromObject(&image);
    }
    std::vector<std::uint8_t> rows(std::size_t(kLargeSide) * kLargeSide * 3);
    for (int y = 0; y < kLargeSide; ++y) {
        const std::uint8_t* from = photo.RowPointer(int(std::int64_t(y) * kPictureHeight / kLargeSide));
        std::uint8_t* to = &rows[std::size_t(y) * kLargeSide * 3];
        for (int x = 0; x < kLargeSide; ++x)
            std::memcpy(to + std::size_t(x) * 3, from + std::size_t(std::int64_t(x) * kPictureWidth / kLargeSide) * 3,
                        3);
    }
    const std::filesystem::path partial = folder / ("partial-" + file.filename().string());
    {
        TFileStream out(String(partial.string()), fmCreate);
        EncodeJpeg({rows.data(), kLargeSide * 3, kLargeSide, kLargeSide}, {90, false, progressive}, out);
    }
    std::filesystem::rename(partial, file);
    return file;
}

std::string LargeName() { return "photo-" + std::to_string(kLargeSide) + "x" + std::to_string(kLargeSide); }

}  // namespace

std::filesystem::path LargeJpeg(const std::filesystem::path& folder) {
    return EnlargedPhotoJpeg(folder, LargeName() + "-q90.jpg", false);
}

std::filesystem::path LargeProgressiveJpeg(const std::filesystem::path& folder) {
    return EnlargedPhotoJpeg(folder, LargeName() + "-q90-progressive.jpg", true);
}

std::filesystem::path ScreenJpeg(const std::filesystem::path& folder) {
    return BenchFile(folder, "photo-1920x1080-q90.jpg",
                     {"-size", "1920x1080", "-seed", "42", "plasma:fractal", "-quality", "90"});
}

std::filesystem::path SmallJpeg(const std::filesystem::path& folder) {
    return BenchFile(folder, "photo-400x300-q90.jpg",
                     {"-size", "400x300", "-seed", "42", "plasma:fractal", "-quality", "90"});
}

}  // namespace orvalis::bench

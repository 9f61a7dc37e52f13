#pragma once
// The large inputs of the benchmarks, made at bench time by ImageMagick's convert into
// a folder of the build (never committed) and kept there for the next runs.

#include <filesystem>
#include <string>
#include <vector>

namespace orvalis::bench {

// The side of the large pictures: 4000 x 3000 pixels.
inline constexpr int kPictureWidth = 4000;
inline constexpr int kPictureHeight = 3000;

// `folder`/`name`, made first when missing by `convert` with these arguments followed by
// the file's path.
std::filesystem::path BenchFile(const std::filesystem::path& folder, const std::string& name,
                                const std::vector<std::string>& convertArguments);

// The inputs, each made once: photographic content (a plasma fractal, the same at every
// run) as a JPEG of quality 90, an RGB PNG, a 24-bit BMP, and a palette PNG of 200
// colours (the fractal reduced to them, without dithering, as a drawing's flat areas).
std::filesystem::path PhotoJpeg(const std::filesystem::path& folder);
std::filesystem::path PhotoRgbPng(const std::filesystem::path& folder);
std::filesystem::path PhotoBmp(const std::filesystem::path& folder);
std::filesystem::path PalettePng(const std::filesystem::path& folder);

// Views of other sizes, of the same kind of content, as JPEG files of quality 90: a
// picture of a hundred megapixels (the photograph enlarged), one of a screen's size, and
// a small one.
inline constexpr int kLargeSide = 10000;
std::filesystem::path LargeJpeg(const std::filesystem::path& folder);
// The same picture written progressive (several scans), as `cjpeg -progressive` writes.
std::filesystem::path LargeProgressiveJpeg(const std::filesystem::path& folder);
std::filesystem::path ScreenJpeg(const std::filesystem::path& folder);  // 1920 x 1080
std::filesystem::path SmallJpeg(const std::filesystem::path& folder);   // 400 x 300

}  // namespace orvalis::bench

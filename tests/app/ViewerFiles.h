#pragma once
// Real files for the viewer's tests, made in a folder of the test's own: JPEG views
// written by libjpeg, PNG images written by libpng, raw bytes; and what the process
// holds open there.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/app/ReferenceColourCount.h"
#include "tests/support/TemporaryFolder.h"

namespace orvalis::test {

// A new folder, made the working directory while it lives (so that espion.log lands
// there); the previous working directory comes back and the folder goes afterwards.
class WorkFolder {
public:
    WorkFolder();
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const std::filesystem::path& Path() const { return folder_.Path(); }
    std::string operator/(std::string_view name) const { return (folder_ / name).string(); }

private:
    // Made before the working directory moves into it, removed after it came back.
    std::filesystem::path previous_;
    TemporaryFolder folder_{"viewer"};
};

// How a JPEG file is coded: one scan, or progressive (several).
enum class JpegScans { One, Progressive };
// A JPEG file of one colour (0x00RRGGBB), at the best quality.
void WriteSolidJpeg(const std::filesystem::path& path, int width, int height, std::uint32_t colour,
                    JpegScans scans = JpegScans::One);
// A palette PNG (8 bits per index) whose pixels have these colours, rows top first; the
// palette holds each colour once, in the order the rows first use them.
void WritePalettePng(const std::filesystem::path& path, const PixelRows& rows);
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);
std::string ReadFileBytes(const std::filesystem::path& path);

// Makes a regular file one that this process may not open for writing: no write
// permission and, for root (whom permissions do not stop), the immutable attribute.
// False when the file system cannot. MakeWritable undoes it (and leaves anything but a
// regular file alone).
bool MakeUnwritable(const std::filesystem::path& path);
void MakeWritable(const std::filesystem::path& path);

// A disk with `room` bytes left, which then fails every write with `error`: what the
// log writes through (LogFile::WriteFunction) to meet a full disk in the middle of a
// report.
struct FillingDisk {
    std::size_t room;
    int error;

    std::function<ssize_t(int descriptor, const void* bytes, std::size_t count)> Writer();
};

// The files below `folder` that the process has open, other than espion.log.
std::vector<std::string> OpenFilesIn(const std::filesystem::path& folder);

}  // namespace orvalis::test

#include "tests/app/ViewerFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>

#include "tests/codecs/JpegFiles.h"
#include "tests/codecs/PngFiles.h"

namespace orvalis::test {

namespace fs = std::filesystem;

WorkFolder::WorkFolder() : previous_(fs::current_path()) { fs::current_path(folder_.Path()); }

WorkFolder::~WorkFolder() { fs::current_path(previous_); }

namespace {

// Sets or clears the immutable attribute of a regular file; false when it cannot.
bool SetImmutable(const fs::path& path, bool immutable) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (descriptor < 0) return false;
    int flags = 0;
    bool done = ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(descriptor);
    return done;
}

}  // namespace

bool MakeUnwritable(const fs::path& path) {
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (::geteuid() == 0 && !SetImmutable(path, true)) return false;
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (descriptor < 0) return true;
    ::close(descriptor);
    return false;
}

void MakeWritable(const fs::path& path) {
    std::error_code ignored;
    if (!fs::is_regular_file(fs::symlink_status(path, ignored))) return;
    if (::geteuid() == 0) SetImmutable(path, false);
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ignored);
}

std::function<ssize_t(int, const void*, std::size_t)> FillingDisk::Writer() {
    return [this](int descriptor, const void* bytes, std::size_t count) -> ssize_t {
        if (room == 0) {
            errno = error;
            return -1;
        }
        const ssize_t put = ::write(descriptor, bytes, std::min(count, room));
        if (put > 0) room -= static_cast<std::size_t>(put);
        return put;
    };
}

void WriteSolidJpeg(const fs::path& path, int width, int height, std::uint32_t colour, JpegScans scans) {
    Samples samples{width, height, 3, {}};
    for (int i = 0; i < width * height; ++i) {
        samples.bytes.push_back(static_cast<std::uint8_t>(colour >> 16));
        samples.bytes.push_back(static_cast<std::uint8_t>(colour >> 8));
        samples.bytes.push_back(static_cast<std::uint8_t>(colour));
    }
    const std::vector<std::uint8_t> file =
        WriteJpeg(samples, {.quality = 100, .progressive = scans == JpegScans::Progressive});
    gd::test::WriteBytes(path, file);
}

void WritePalettePng(const fs::path& path, const PixelRows& rows) {
    gd::test::PngPicture picture;
    picture.height = static_cast<int>(rows.size());
    picture.width = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    picture.colourType = PNG_COLOR_TYPE_PALETTE;
    std::vector<std::uint32_t> colours;
    for (const auto& row : rows) {
        for (const std::uint32_t pixel : row) {
            auto found = std::find(colours.begin(), colours.end(), pixel);
            if (found == colours.end()) {
                colours.push_back(pixel);
                picture.palette.push_back({static_cast<png_byte>(pixel >> 16), static_cast<png_byte>(pixel >> 8),
                                           static_cast<png_byte>(pixel)});
                found = colours.end() - 1;
            }
            picture.samples.push_back(static_cast<std::uint16_t>(found - colours.begin()));
        }
    }
    ASSERT_LE(colours.size(), 256u);
    gd::test::WritePng(path, picture);
}

void WriteFileBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> OpenFilesIn(const fs::path& folder) {
    std::vector<std::string> open;
    const std::string prefix = folder.string() + "/";
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const fs::path target = fs::read_symlink(entry.path(), error);
        if (error) continue;  // the descriptor of the listing itself, gone by now
        const std::string name = target.string();
        if (name.starts_with(prefix) && target.filename() != "espion.log") open.push_back(name);
    }
    return open;
}

}  // namespace orvalis::test

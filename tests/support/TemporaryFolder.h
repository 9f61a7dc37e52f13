#pragma once
// A folder of the test's own under the temporary directory (TMPDIR, which make test gives
// each run), with a unique name so that concurrent runs never meet; removed, with all it
// holds, when the test is done, even after a test took permissions away from it.

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace orvalis::test {

class TemporaryFolder {
public:
    // `purpose` names the folder (orvalis-<purpose>-XXXXXX), so that one left by a crash
    // says which test made it.
    explicit TemporaryFolder(std::string_view purpose) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / ("orvalis-" + std::string(purpose) + "-XXXXXX")).string();
        if (!mkdtemp(pattern.data()))
            throw std::system_error(errno, std::generic_category(), "temporary folder " + pattern);
        path_ = std::filesystem::canonical(pattern);
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace orvalis::test

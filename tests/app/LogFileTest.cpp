#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "app/LogFile.h"

using namespace orvalis;
namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

fs::path TempPath(const char* name) {
    return fs::temp_directory_path() / ("orvalis_log_" + std::to_string(getpid()) + "_" + name);
}

}  // namespace

TEST(LogFile, WritesWindows1252WithCrLfAndTruncatesAtOpen) {
    const fs::path path = TempPath("espion.log");
    std::ofstream(path) << "an earlier run";
    {
        auto log = LogFile::Open(path.c_str());
        ASSERT_TRUE(log);
        EXPECT_EQ(ReadBytes(path), "");
        log->Write("\nFin de traitement\nN°   3 r=250 v=152 b= 65 nb=12\n");
        log->Flush();
        EXPECT_EQ(ReadBytes(path), "\r\nFin de traitement\r\nN\xB0   3 r=250 v=152 b= 65 nb=12\r\n");
        log->Write("x\n");
    }
    EXPECT_EQ(ReadBytes(path).substr(ReadBytes(path).size() - 3), "x\r\n");
    fs::remove(path);
}

TEST(LogFile, UnwritableFolderGivesNoStream) {
    EXPECT_EQ(LogFile::Open("/nonexistent-folder/espion.log"), nullptr);
}

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/LogFile.h"
#include "tests/app/ViewerFiles.h"
#include "tests/support/TemporaryFolder.h"

using namespace orvalis;
namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST(LogFile, WritesWindows1252WithCrLfAndTruncatesAtOpen) {
    const orvalis::test::TemporaryFolder folder("log");
    const fs::path path = folder / "espion.log";
    std::ofstream(path) << "an earlier run";
    {
        LogFile::OpenFailure failure = LogFile::OpenFailure::NotCreated;
        auto log = LogFile::Open(path.c_str(), failure);
        ASSERT_TRUE(log);
        EXPECT_EQ(failure, LogFile::OpenFailure::None);
        EXPECT_EQ(ReadBytes(path), "");
        log->Write("\nFin de traitement\nN°   3 r=250 v=152 b= 65 nb=12\n");
        EXPECT_EQ(log->Flush(), 0);
        EXPECT_EQ(ReadBytes(path), "\r\nFin de traitement\r\nN\xB0   3 r=250 v=152 b= 65 nb=12\r\n");
        log->Write("x\n");
        EXPECT_EQ(log->Flush(), 0);
    }
    EXPECT_EQ(ReadBytes(path).substr(ReadBytes(path).size() - 3), "x\r\n");
}

// What cannot be the log: nothing is made, cut or waited on, and the reason is told
// apart (no file could be made there, or the file there may not be written).
TEST(LogFile, RefusesWhatIsNoWritableRegularFile) {
    orvalis::test::WorkFolder folder;
    ASSERT_EQ(::mkfifo((folder / "tube").c_str(), 0644), 0);
    fs::create_symlink("/dev/full", folder.Path() / "plein");
    fs::create_symlink("/dev/zero", folder.Path() / "zero");
    fs::create_directory(folder.Path() / "dossier");
    orvalis::test::WriteFileBytes(folder / "lecture-seule", "gardé");
    const bool unwritable = orvalis::test::MakeUnwritable(folder.Path() / "lecture-seule");

    struct Case {
        std::string name;
        LogFile::OpenFailure failure;
    };
    std::vector<Case> cases = {
        {folder / "tube", LogFile::OpenFailure::NotCreated},
        {folder / "plein", LogFile::OpenFailure::NotCreated},
        {folder / "zero", LogFile::OpenFailure::NotCreated},
        {folder / "dossier", LogFile::OpenFailure::NotCreated},
        {folder / "absent/espion.log", LogFile::OpenFailure::NotCreated},
    };
    if (unwritable) cases.push_back({folder / "lecture-seule", LogFile::OpenFailure::NotWritable});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogFile::OpenFailure failure = LogFile::OpenFailure::None;
        EXPECT_EQ(LogFile::Open(c.name.c_str(), failure), nullptr);
        EXPECT_EQ(failure, c.failure);
    }
    EXPECT_TRUE(fs::is_fifo(folder.Path() / "tube"));
    EXPECT_EQ(orvalis::test::ReadFileBytes(folder.Path() / "lecture-seule"), "gardé");
    orvalis::test::MakeWritable(folder.Path() / "lecture-seule");
}

// A device that is always full: no report gets in, each flush says so, and each tries
// again.
TEST(LogFile, OnAFullDeviceEveryFlushFailsWithNoRoom) {
    const int descriptor = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(descriptor, 0);
    auto log = LogFile::OnDescriptor(descriptor, ::write);
    for (int attempt = 0; attempt < 2; ++attempt) {
        log->Write("\nFin de traitement\n");
        EXPECT_EQ(log->Flush(), ENOSPC);
    }
}

// The disk fills in the middle of a report: the file keeps the whole reports before,
// the failed one is cut off again, and a later report, once there is room, follows them.
TEST(LogFile, AReportThatCannotBeWrittenWholeIsCutOffAndTheNextOneTriesAgain) {
    const orvalis::test::TemporaryFolder folder("log");
    const fs::path path = folder / "plein.log";
    const std::string report = "\nFin de traitement\nN°   1 r= 30 v= 30 b= 30 nb=4\n";
    const std::string written = "\r\nFin de traitement\r\nN\xB0   1 r= 30 v= 30 b= 30 nb=4\r\n";
    struct Case {
        std::size_t room;  // after the first report
        int error;
    };
    for (const Case c : {Case{0, ENOSPC}, Case{1, ENOSPC}, Case{written.size() - 1, EIO}, Case{20, EFBIG}}) {
        SCOPED_TRACE(c.room);
        orvalis::test::FillingDisk disk{written.size() + c.room, c.error};
        const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(descriptor, 0);
        auto log = LogFile::OnDescriptor(descriptor, disk.Writer());
        log->Write(report);
        EXPECT_EQ(log->Flush(), 0);
        log->Write(report);
        EXPECT_EQ(log->Flush(), c.error);
        EXPECT_EQ(ReadBytes(path), written);

        disk.room = 1000;
        log->Write(report);
        EXPECT_EQ(log->Flush(), 0);
        EXPECT_EQ(ReadBytes(path), written + written) << "the failed report is not written again";
    }
}

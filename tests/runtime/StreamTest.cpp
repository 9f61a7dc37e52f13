#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "runtime/Exceptions.h"
#include "runtime/FileStream.h"
#include "runtime/RegularFile.h"
#include "runtime/Resources.h"
#include "tests/support/TemporaryFolder.h"

using namespace orvalis;
namespace fs = std::filesystem;

namespace {

fs::path WriteFile(const test::TemporaryFolder& folder, const char* name, std::string_view content) {
    const fs::path path = folder / name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

}  // namespace

TEST(MemoryStream, GrowsOnWriteAndReadsBack) {
    TMemoryStream stream;
    stream.WriteBuffer("TPF0", 4);
    stream.SetPosition(10);
    stream.WriteBuffer("x", 1);
    EXPECT_EQ(stream.Size(), 11);
    stream.SetPosition(0);
    char bytes[4];
    stream.ReadBuffer(bytes, 4);
    EXPECT_EQ(std::string(bytes, 4), "TPF0");
}

TEST(MemoryStream, ShortReadRaisesTheStreamReadError) {
    TMemoryStream stream;
    stream.WriteBuffer("a", 1);
    stream.SetPosition(0);
    char bytes[2];
    try {
        stream.ReadBuffer(bytes, 2);
        FAIL() << "no exception";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Erreur de lecture du flux");
    }
}

TEST(FileStream, ExclusiveOpenRefusesASecondOpener) {
    const test::TemporaryFolder folder("stream");
    const fs::path path = WriteFile(folder, "exclusive.bin", "\xFF\xD8");
    {
        TFileStream first(path.string(), fmOpenRead | fmShareExclusive);
        try {
            TFileStream second(path.string(), fmOpenRead | fmShareDenyWrite);
            FAIL() << "second open accepted";
        } catch (const EFileOpenError& e) {
            EXPECT_EQ(e.Message(), "Impossible d'ouvrir le fichier " + path.string());
        }
    }
    TFileStream again(path.string(), fmOpenRead | fmShareDenyWrite);
    TFileStream reader(path.string(), fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(reader.Size(), 2);
}

TEST(FileStream, MissingFileOrFolderCannotBeOpened) {
    EXPECT_THROW(TFileStream("/nonexistent/orvalis.jpg", fmOpenRead), EFileOpenError);
    EXPECT_THROW(TFileStream(fs::temp_directory_path().string(), fmOpenRead), EFileOpenError);
}

// A FIFO (an open for reading would wait for a writer, one for writing fail or wait for
// a reader) and devices (reads that never end, writes that go nowhere) under a file's
// name: refused at once, in every mode, and a FIFO stays what it was.
TEST(FileStream, APipeOrADeviceIsAFileThatCannotBeOpened) {
    const test::TemporaryFolder folder("stream");
    const fs::path fifo = folder / "tube";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    for (const std::string& name : {fifo.string(), std::string("/dev/zero"), std::string("/dev/null")}) {
        SCOPED_TRACE(name);
        for (const std::uint16_t mode : {fmOpenRead | fmShareExclusive, fmOpenRead | fmShareDenyWrite, +fmOpenWrite,
                                         fmOpenReadWrite | fmShareDenyNone}) {
            try {
                TFileStream stream(name, mode);
                ADD_FAILURE() << "opened in mode " << mode;
            } catch (const EFileOpenError& error) {
                EXPECT_EQ(error.Message(), "Impossible d'ouvrir le fichier " + name);
            }
        }
        EXPECT_THROW(TFileStream(name, fmCreate), EFileCreateError);
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST(RegularFile, OpensOnlyRegularFilesAndSaysWhatElseItFound) {
    const test::TemporaryFolder folder("stream");
    const fs::path file = WriteFile(folder, "regular.bin", "contenu");
    const fs::path fifo = folder / "tube";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    struct Case {
        std::string path;
        int flags;
        int error;  // 0: opened
    };
    const Case cases[] = {
        {file.string(), O_RDONLY, 0},
        {fifo.string(), O_RDONLY, ENODEV},
        {fifo.string(), O_WRONLY | O_CREAT | O_TRUNC, ENODEV},
        {"/dev/zero", O_RDONLY, ENODEV},
        {"/dev/full", O_WRONLY | O_TRUNC, ENODEV},
        {fs::temp_directory_path().string(), O_RDONLY, EISDIR},
        {"/nonexistent/orvalis.png", O_RDONLY, ENOENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        errno = 0;
        const FileDescriptor descriptor = OpenRegularFile(c.path.c_str(), c.flags);
        if (c.error == 0) {
            ASSERT_TRUE(descriptor.IsOpen());
            EXPECT_EQ(::fcntl(descriptor.Get(), F_GETFL) & O_NONBLOCK, 0) << "reads wait as usual";
            EXPECT_NE(::fcntl(descriptor.Get(), F_GETFD) & FD_CLOEXEC, 0);
        } else {
            EXPECT_EQ(descriptor.Get(), -1);
            EXPECT_EQ(errno, c.error);
        }
    }
    // Truncation is for regular files only, and only when asked.
    ASSERT_TRUE(OpenRegularFile(file.c_str(), O_WRONLY | O_TRUNC).IsOpen());
    EXPECT_EQ(fs::file_size(file), 0u);
}

TEST(FileStream, CreateTruncatesAndWrites) {
    const test::TemporaryFolder folder("stream");
    const fs::path path = WriteFile(folder, "create.bin", "old content");
    {
        TFileStream out(path.string(), fmCreate);
        out.WriteBuffer("new", 3);
    }
    EXPECT_EQ(fs::file_size(path), 3u);
}

TEST(ResourceStream, FindsByNameWithoutCaseAndRefusesWrites) {
    static const std::uint8_t bytes[] = {'T', 'P', 'F', '0'};
    RegisterResource(ResourceType::RawData, "TSAMPLEFORM", bytes);
    TResourceStream stream("TSampleForm");
    EXPECT_EQ(stream.Size(), 4);
    try {
        stream.WriteBuffer("x", 1);
        FAIL() << "write accepted";
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.Message(), "Impossible d'écrire dans un flux en lecture seule");
    }
    try {
        TResourceStream missing("TMISSING");
        FAIL() << "missing resource found";
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Ressource TMISSING non trouvée");
    }
}

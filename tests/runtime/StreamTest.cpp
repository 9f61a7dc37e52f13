#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "runtime/Exceptions.h"
#include "runtime/FileStream.h"
#include "runtime/Resources.h"

using namespace orvalis;
namespace fs = std::filesystem;

namespace {

fs::path TempFile(const char* name, std::string_view content) {
    const fs::path path = fs::temp_directory_path() / (std::string("orvalis_") + std::to_string(getpid()) + "_" + name);
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
    const fs::path path = TempFile("exclusive.bin", "\xFF\xD8");
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
    fs::remove(path);
}

TEST(FileStream, MissingFileOrFolderCannotBeOpened) {
    EXPECT_THROW(TFileStream("/nonexistent/orvalis.jpg", fmOpenRead), EFileOpenError);
    EXPECT_THROW(TFileStream(fs::temp_directory_path().string(), fmOpenRead), EFileOpenError);
}

TEST(FileStream, CreateTruncatesAndWrites) {
    const fs::path path = TempFile("create.bin", "old content");
    {
        TFileStream out(path.string(), fmCreate);
        out.WriteBuffer("new", 3);
    }
    EXPECT_EQ(fs::file_size(path), 3u);
    fs::remove(path);
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

// The loaders on real files: LitBitmap's choice of reader by extension and first bytes,
// its refusals in the error box, the exceptions it lets through, and that every path lets
// go of the file; LitPNG's pixels through the palette and its refusals.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "app/ImageLoading.h"
#include "graphics/Bitmap.h"
#include "platform/VirtualKeys.h"
#include "runtime/Exceptions.h"
#include "runtime/FileStream.h"
#include "tests/app/ViewerTest.h"
#include "tests/codecs/PngFiles.h"

namespace orvalis::test {
namespace {

namespace fs = std::filesystem;

// A pixel of a 24- or 32-bit bitmap as 0x00RRGGBB.
std::uint32_t BitmapPixel(TBitmap& bitmap, int x, int y) {
    const std::uint8_t* row = bitmap.RowPointer(y);
    if (bitmap.PixelLayout() == pl32Bit) return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFFu;
    EXPECT_EQ(bitmap.PixelLayout(), pl24Bit);
    const std::uint8_t* pixel = row + 3 * x;
    return std::uint32_t{pixel[2]} << 16 | std::uint32_t{pixel[1]} << 8 | pixel[0];
}

// A 3 × 2 BMP file, 24 bits, its top left pixel green.
std::string BmpFileBytes(const fs::path& path) {
    TBitmap bitmap;
    bitmap.SetPixelLayout(pl24Bit);
    bitmap.SetWidth(3);
    bitmap.SetHeight(2);
    std::uint8_t* row = bitmap.RowPointer(0);
    row[0] = 0x00, row[1] = 0xC0, row[2] = 0x00;
    bitmap.SaveFile(String(path.string()));
    return ReadFileBytes(path);
}

// A file nobody else may open while the stream lives.
bool CanOpenExclusively(const std::string& name) {
    try {
        TFileStream stream(String(name), fmOpenRead | fmShareExclusive);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

class LitBitmapTest : public ViewerTest {};
class LitPNGTest : public ViewerTest {};

TEST_F(LitBitmapTest, ChoosesTheReaderByExtensionAndFirstBytesAndRefusesTheRest) {
    enum Outcome { Loaded, Nothing, Refused, Raises };
    struct Case {
        std::string name;
        std::optional<std::string> bytes;  // none: no such file
        Outcome outcome;
        std::string message;  // of the error box, or of the exception
    };
    WriteSolidJpeg(folder / "source.jpg", 8, 6, 0xE01010);
    const std::string jpeg = ReadFileBytes(folder / "source.jpg");
    WritePalettePng(folder / "source.png", {{0xFF0000, 0x0000FF}});
    const std::string png = ReadFileBytes(folder / "source.png");
    const std::string bmp = BmpFileBytes(folder / "source.bmp");
    const std::string unknown = "Format d'image non reconnu (";

    const std::vector<Case> cases = {
        {"photo.jpg", jpeg, Loaded, ""},
        {"photo.JPG", jpeg, Loaded, ""},
        {"photo.Jpeg", jpeg, Loaded, ""},
        {"image.bmp", bmp, Loaded, ""},
        {"photo.jpeg2", jpeg, Refused, unknown + "FFFFFFFF-FFFFFFD8)"},
        {"sans_extension", jpeg, Refused, unknown + "FFFFFFFF-FFFFFFD8)"},
        {"x.jpg", png, Refused, unknown + "FFFFFF89-50)"},
        {"anime.jpg", std::string("GIF89a\x01\x00\x01\x00", 10), Refused, unknown + "47-49)"},
        {"jpeg.bmp", jpeg, Refused, unknown + "FFFFFFFF-FFFFFFD8)"},
        {"png.PNG", png, Refused, unknown + "FFFFFF89-50)"},
        {"minuscules.bmp", "bm" + bmp.substr(2), Raises, "Image bitmap incorrecte"},
        {"un_octet.jpg", std::string("\xFF"), Raises, "Erreur de lecture du flux"},
        {"vide.jpg", std::string(), Raises, "Erreur de lecture du flux"},
        {"absent.jpg", std::nullopt, Nothing, ""},
    };
    for (const Case& c : cases)
        if (c.bytes) WriteFileBytes(folder / c.name, *c.bytes);
    fs::create_directory(folder / "dossier.jpg");

    // Each refusal's box is read and closed with Enter, in the order of the cases.
    std::vector<std::vector<Seen>> boxes;
    for (const Case& c : cases)
        if (c.outcome == Refused) script.Check([&] { boxes.push_back(MessageDialogs()); }).Press(platform::VK_RETURN);

    RunInProgram([&] {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            const std::string name = folder / c.name;
            TBitmap target;
            try {
                TBitmap* result = LitBitmap(String(name), target);
                EXPECT_NE(c.outcome, Raises);
                EXPECT_EQ(result, c.outcome == Loaded ? &target : nullptr);
            } catch (const Exception& exception) {
                EXPECT_EQ(c.outcome, Raises);
                EXPECT_EQ(exception.Message(), c.message);
            }
            if (c.outcome == Loaded) {
                EXPECT_EQ(target.Width(), c.name == "image.bmp" ? 3 : 8);
                EXPECT_NEAR_COLOUR(BitmapPixel(target, 0, 0), c.name == "image.bmp" ? 0x00C000u : 0xE01010u);
            } else {
                EXPECT_TRUE(target.Empty());
            }
            EXPECT_EQ(OpenFilesIn(folder.Path()), std::vector<std::string>{});
            if (c.bytes) {
                EXPECT_TRUE(CanOpenExclusively(name)) << "the file is free again";
            }
        }
        // No file, a folder, no name: nothing, without a word.
        TBitmap target;
        EXPECT_EQ(LitBitmap(String(folder / "dossier.jpg"), target), nullptr);
        EXPECT_EQ(LitBitmap(String(), target), nullptr);
    });

    std::vector<std::vector<Seen>> expected;
    for (const Case& c : cases)
        if (c.outcome == Refused) expected.push_back({{"Erreur", c.message}});
    EXPECT_EQ(boxes, expected);
}

TEST_F(LitBitmapTest, RefusesTheClipboardByName) {
    std::vector<Seen> seen;
    script.Check([&] { seen = MessageDialogs(); }).Press(platform::VK_RETURN);
    RunInProgram([&] {
        TBitmap target;
        EXPECT_EQ(LitBitmap("Presse-papier", target), nullptr);
        // Only the exact name is the clipboard's; another is a file name like any.
        EXPECT_EQ(LitBitmap("presse-papier", target), nullptr);
    });
    EXPECT_EQ(
        seen,
        (std::vector<Seen>{{"Erreur", "Erreur système : on essaye de lire le presse-papier avec 'LitBitmap()'"}}));
}

TEST_F(LitBitmapTest, AFileThatAnotherOpenerHoldsIsNotReadAndStaysItsOwn) {
    WriteSolidJpeg(folder / "vue1.jpg", 4, 4, 0x2040E0);
    const std::string name = folder / "vue1.jpg";
    RunInProgram([&] {
        TFileStream holder(String(name), fmOpenRead | fmShareExclusive);
        TBitmap target;
        try {
            LitBitmap(String(name), target);
            ADD_FAILURE() << "a held file was read";
        } catch (const EFileOpenError& error) {
            EXPECT_EQ(error.Message(), "Impossible d'ouvrir le fichier " + name);
        }
        EXPECT_EQ(OpenFilesIn(folder.Path()).size(), 1u) << "only the holder's";
    });
}

TEST_F(LitBitmapTest, ADamagedJpegRaisesTheDecodersErrorAndLetsGoOfTheFile) {
    WriteSolidJpeg(folder / "source.jpg", 16, 16, 0x808080);
    std::string damaged = ReadFileBytes(folder / "source.jpg");
    damaged.resize(20);  // the start of the headers only
    damaged += std::string(64, 'x');
    WriteFileBytes(folder / "abime.jpg", damaged);
    WriteFileBytes(folder / "marqueur.jpg", std::string("\xFF\xD8", 2));
    RunInProgram([&] {
        for (const char* file : {"abime.jpg", "marqueur.jpg"}) {
            SCOPED_TRACE(file);
            TBitmap target;
            EXPECT_THROW(LitBitmap(String(folder / file), target), EInvalidGraphic);
            EXPECT_EQ(OpenFilesIn(folder.Path()), std::vector<std::string>{});
            EXPECT_TRUE(CanOpenExclusively(folder / file));
        }
    });
}

TEST_F(LitPNGTest, EveryPixelIsThePaletteEntryOfItsIndexIn32Bits) {
    WritePalettePng(folder / "deux.png", {{0xFF0000, 0x0000FF}});
    // A true-colour file of the 216-colour cube's own colours keeps them exactly.
    gd::test::PngPicture rgb;
    rgb.width = 3;
    rgb.height = 2;
    rgb.colourType = PNG_COLOR_TYPE_RGB;
    rgb.samples = {0, 51, 102, 255, 255, 255, 204, 153, 0, 51, 51, 51, 0, 0, 0, 255, 0, 204};
    gd::test::WritePng(folder.Path() / "cube.png", rgb);

    RunInProgram([&] {
        TBitmap target;
        EXPECT_EQ(&LitPNG(String(folder / "deux.png"), target), &target);
        EXPECT_EQ(target.PixelLayout(), pl32Bit);
        ASSERT_EQ(target.Width(), 2);
        ASSERT_EQ(target.Height(), 1);
        const auto* row = reinterpret_cast<const std::uint32_t*>(target.RowPointer(0));
        EXPECT_EQ(row[0], 0x00FF0000u);
        EXPECT_EQ(row[1], 0x000000FFu);

        LitPNG(String(folder / "cube.png"), target);
        ASSERT_EQ(target.Width(), 3);
        ASSERT_EQ(target.Height(), 2);
        const std::vector<std::uint32_t> expected = {0x003366, 0xFFFFFF, 0xCC9900, 0x333333, 0x000000, 0xFF00CC};
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                pixels.push_back(reinterpret_cast<const std::uint32_t*>(target.RowPointer(y))[x]);
        EXPECT_EQ(pixels, expected) << "the top byte is 0 and the colours are the file's";
        EXPECT_EQ(OpenFilesIn(folder.Path()), std::vector<std::string>{});
    });
}

TEST_F(LitPNGTest, AFileThatIsNoReadablePngIsToldAndLeavesTheTargetAsItWas) {
    WriteSolidJpeg(folder / "faux.png", 4, 4, 0x808080);
    WritePalettePng(folder / "source.png", {{0xFF0000, 0x0000FF, 0x00FF00}});
    WriteFileBytes(folder / "coupe.png", ReadFileBytes(folder / "source.png").substr(0, 45));
    fs::create_directory(folder / "dossier.png");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"absent.png", "Impossible d'ouvrir le fichier " + (folder / "absent.png")},
        {"faux.png", "Le fichier " + (folder / "faux.png") + " n'est pas une image PNG lisible"},
        {"coupe.png", "Le fichier " + (folder / "coupe.png") + " n'est pas une image PNG lisible"},
        {"dossier.png", "Impossible d'ouvrir le fichier " + (folder / "dossier.png")},
    };
    std::vector<std::vector<Seen>> boxes;
    for (std::size_t i = 0; i < cases.size(); ++i)
        script.Check([&] { boxes.push_back(MessageDialogs()); }).Press(platform::VK_RETURN);

    RunInProgram([&] {
        TBitmap target;
        target.SetPixelLayout(pl32Bit);
        target.SetWidth(1);
        target.SetHeight(1);
        *reinterpret_cast<std::uint32_t*>(target.RowPointer(0)) = 0x123456;
        for (const auto& [file, message] : cases) {
            SCOPED_TRACE(file);
            EXPECT_EQ(&LitPNG(String(folder / file), target), &target);
            EXPECT_EQ(target.Width(), 1);
            EXPECT_EQ(target.Height(), 1);
            EXPECT_EQ(*reinterpret_cast<const std::uint32_t*>(target.RowPointer(0)), 0x123456u);
            EXPECT_EQ(OpenFilesIn(folder.Path()), std::vector<std::string>{});
        }
    });

    std::vector<std::vector<Seen>> expected;
    for (const auto& [file, message] : cases) expected.push_back({{"Erreur", message}});
    EXPECT_EQ(boxes, expected);
}

// Files that are no regular files: a FIFO (opening one for reading waits for a writer)
// and a device that never ends. Each loader refuses them at once, as a file it cannot
// open, and reads nothing.
TEST_F(LitBitmapTest, APipeOrADeviceUnderAPictureNameIsAFileThatCannotBeOpened) {
    ASSERT_EQ(::mkfifo((folder / "tube.jpg").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((folder / "tube.bmp").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", folder.Path() / "zero.jpg");
    fs::create_symlink("/dev/zero", folder.Path() / "zero.bmp");
    RunInProgram([&] {
        for (const char* file : {"tube.jpg", "tube.bmp", "zero.jpg", "zero.bmp"}) {
            SCOPED_TRACE(file);
            const std::string name = folder / file;
            TBitmap target;
            try {
                LitBitmap(String(name), target);
                ADD_FAILURE() << "no refusal";
            } catch (const EFileOpenError& error) {
                EXPECT_EQ(error.Message(), "Impossible d'ouvrir le fichier " + name);
            }
            EXPECT_TRUE(target.Empty());
            // The BMP reader's own way in, by name.
            TBitmap bitmap;
            EXPECT_THROW(bitmap.LoadFile(String(name)), EFileOpenError);
            EXPECT_EQ(OpenFilesIn(folder.Path()), std::vector<std::string>{});
        }
    });
}

TEST_F(LitPNGTest, APipeOrADeviceChosenAsAPngIsAFileThatCannotBeOpened) {
    ASSERT_EQ(::mkfifo((folder / "tube.png").c_str(), 0644), 0);
    const std::vector<std::string> names = {folder / "tube.png", "/dev/zero"};
    std::vector<std::vector<Seen>> boxes;
    for (std::size_t i = 0; i < names.size(); ++i)
        script.Check([&] { boxes.push_back(MessageDialogs()); }).Press(platform::VK_RETURN);
    RunInProgram([&] {
        for (const std::string& name : names) {
            TBitmap target;
            EXPECT_EQ(&LitPNG(String(name), target), &target);
            EXPECT_TRUE(target.Empty());
        }
    });
    std::vector<std::vector<Seen>> expected;
    for (const std::string& name : names) expected.push_back({{"Erreur", "Impossible d'ouvrir le fichier " + name}});
    EXPECT_EQ(boxes, expected);
}

// A file far larger than any picture (sparse: it takes no disk), whose start is that of
// a real picture: refused by its size, with its name, before a byte is read.
class HugeFileTest : public ViewerTest {
protected:
    std::string MakeHuge(const char* file, const std::string& start, off_t size) {
        const std::string name = folder / file;
        WriteFileBytes(name, start);
        EXPECT_EQ(::truncate(name.c_str(), size), 0);
        return name;
    }
};

TEST_F(HugeFileTest, AViewOrAPngLargerThanAnyPictureIsRefusedByItsSizeWithItsName) {
    WriteSolidJpeg(folder / "source.jpg", 8, 6, 0xE01010);
    WritePalettePng(folder / "source.png", {{0xFF0000, 0x0000FF}});
    const std::string jpeg = ReadFileBytes(folder / "source.jpg");
    const std::string png = ReadFileBytes(folder / "source.png");
    const off_t sixGiB = off_t(6) << 30;
    const off_t fortyGiB = off_t(40) << 30;
    const off_t justOver = (off_t(1) << 30) + (off_t(1) << 20) + 1;
    const std::vector<std::string> views = {MakeHuge("vue1.jpg", jpeg, sixGiB), MakeHuge("vue2.jpg", jpeg, fortyGiB),
                                            MakeHuge("vue3.jpg", jpeg, justOver), MakeHuge("image.bmp", "BM", sixGiB)};
    const std::vector<std::string> pngs = {MakeHuge("grand.png", png, sixGiB), MakeHuge("immense.png", png, fortyGiB)};
    std::vector<std::vector<Seen>> boxes;
    for (std::size_t i = 0; i < views.size() + pngs.size(); ++i)
        script.Check([&] { boxes.push_back(MessageDialogs()); }).Press(platform::VK_RETURN);

    RunInProgram([&] {
        for (const std::string& name : views) {
            SCOPED_TRACE(name);
            TBitmap target;
            EXPECT_EQ(LitBitmap(String(name), target), nullptr);
            EXPECT_TRUE(target.Empty());
            EXPECT_EQ(OpenFilesIn(folder.Path()), std::vector<std::string>{});
        }
        for (const std::string& name : pngs) {
            SCOPED_TRACE(name);
            TBitmap target;
            EXPECT_EQ(&LitPNG(String(name), target), &target);
            EXPECT_TRUE(target.Empty());
            EXPECT_EQ(OpenFilesIn(folder.Path()), std::vector<std::string>{});
        }
    });

    std::vector<std::vector<Seen>> expected;
    for (const auto& list : {views, pngs})
        for (const std::string& name : list)
            expected.push_back(
                {{"Erreur", "Le fichier " + name + " est trop volumineux pour être une image (plus de 1 Go)"}});
    EXPECT_EQ(boxes, expected);
}

// A small PNG file whose header announces a picture larger than any the raster layer
// makes: its 32-bit working bitmap, 4 bytes a pixel, would pass 1 GiB. It is refused from
// its header, with its name, before any pixel is decoded; the largest picture within the
// bound passes the header and meets the file's missing pixels instead.
TEST_F(HugeFileTest, APngWhosePictureWouldPassTheBoundIsRefusedFromItsHeaderWithItsName) {
    const struct {
        const char* file;
        std::uint32_t width, height;
        int colourType;
        const char* refusal;  // what follows the name in the box
    } cases[] = {
        {"hostile.png", 18000, 18000, PNG_COLOR_TYPE_RGB, " est trop volumineux pour être une image (plus de 1 Go)"},
        {"large.png", 16385, 16384, PNG_COLOR_TYPE_GRAY, " est trop volumineux pour être une image (plus de 1 Go)"},
        {"haute.png", 16384, 16385, PNG_COLOR_TYPE_GRAY, " est trop volumineux pour être une image (plus de 1 Go)"},
        {"limite.png", 16384, 16384, PNG_COLOR_TYPE_GRAY, " n'est pas une image PNG lisible"},
    };
    for (const auto& header : cases) {
        std::vector<std::uint8_t> bytes = gd::test::PngSignature();
        gd::test::AppendChunk(bytes, "IHDR", gd::test::HeaderData(header.width, header.height, 8, header.colourType));
        gd::test::AppendChunk(bytes, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
        gd::test::AppendChunk(bytes, "IEND", {});
        gd::test::WriteBytes(folder.Path() / header.file, bytes);
    }
    std::vector<std::vector<Seen>> boxes;
    for (std::size_t i = 0; i < std::size(cases); ++i)
        script.Check([&] { boxes.push_back(MessageDialogs()); }).Press(platform::VK_RETURN);

    RunInProgram([&] {
        for (const auto& header : cases) {
            SCOPED_TRACE(header.file);
            TBitmap target;
            EXPECT_EQ(&LitPNG(String(folder / header.file), target), &target);
            EXPECT_TRUE(target.Empty());
        }
    });

    std::vector<std::vector<Seen>> expected;
    for (const auto& header : cases)
        expected.push_back({{"Erreur", "Le fichier " + (folder / header.file) + header.refusal}});
    EXPECT_EQ(boxes, expected);
}

}  // namespace
}  // namespace orvalis::test

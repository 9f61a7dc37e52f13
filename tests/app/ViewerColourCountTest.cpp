// The colour count as the user runs it: a PNG opened in the dialog, "Comptage couleurs "
// in the menu, the image shown and the report appended to espion.log, compared byte for
// byte with a report computed apart from the viewer; the refusals of other bitmaps and
// of a log that could not be created.

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "app/MainOrvalis.h"
#include "framework/Image.h"
#include "graphics/Picture.h"
#include "platform/EndSession.h"
#include "platform/VirtualKeys.h"
#include "tests/app/ViewerTest.h"

namespace orvalis::test {
namespace {

namespace fs = std::filesystem;
using platform::headless::WindowTarget;

// A picture that meets every rule of the count: pixels of the predefined classes, dark
// pixels that fit none, new classes and pixels that fit them later, a colour that fits
// a class found after it was first met.
PixelRows CountedPicture() {
    const std::vector<std::uint32_t> colours = {
        0x000000, 0x3D0000, 0xFFFFFF, 0xFFFFF3, 0x646400, 0x695F05, 0x6E6400, 0xFA9841, 0xF7D748, 0xF5ED5A,
        0xD6F846, 0x9CF695, 0x6692F5, 0xB790F4, 0xD6A4ED, 0x5F5F05, 0x202020, 0x808080, 0x123456, 0xC0FFEE,
        0xFA9842, 0xF0F0F0, 0x0A0A0A, 0x3C3C3C, 0x3D3D3D, 0x85888A, 0xA0FA46, 0x8FF6E6, 0x70F4F2, 0x8E8CF0,
    };
    PixelRows rows(9, std::vector<std::uint32_t>(13));
    std::uint32_t state = 7;
    for (auto& row : rows) {
        for (auto& pixel : row) {
            state = state * 1103515245u + 12345u;
            pixel = colours[(state >> 16) % colours.size()];
        }
    }
    rows[0][0] = 0x5F5F05;  // dark, fits nothing yet: class 1
    rows[0][1] = 0x646400;  // starts a class that 0x5F5F05 fits from now on
    return rows;
}

class ViewerColourCount : public ViewerTest {
protected:
    void Count() { script.ChooseMenu(WindowTarget::Active(), {"Traitement PNG", "Comptage couleurs "}); }
    void Open(const std::string& path) {
        script.ChooseMenu(WindowTarget::Active(), {"Fichier", "Ouvrir"}).AnswerFileDialog(path);
    }
    std::string Log() const { return ReadFileBytes(folder / "espion.log"); }
};

TEST_F(ViewerColourCount, APngOpenedAndCountedIsShownAndItsReportAppendedToTheLog) {
    const PixelRows picture = CountedPicture();
    WritePalettePng(folder / "image.png", picture);
    const std::string report = ReferenceReportBytes(ReferenceCount(picture));
    ASSERT_GT(ReferenceCount(picture).size(), 16u) << "the picture brings classes of its own";

    script.CancelFileDialog();
    Count();
    // The start-up's empty bitmap is not a 32-bit one.
    script
        .Check([&] {
            EXPECT_EQ(MessageDialogs(), (std::vector<Seen>{{"Erreur", "Le bitmap n'est pas au bon format"}}));
        })
        .Press(platform::VK_RETURN)
        .Check([&] { EXPECT_EQ(Log(), ""); });
    Open(folder / "image.png");
    script.Check([&] {
        EXPECT_EQ(Orvalis->NomBase, folder / "image.png");
        EXPECT_EQ(Orvalis->NumVue, 0);
        EXPECT_EQ(Orvalis->Image1->Picture()->Graphic(), nullptr) << "opening a PNG shows nothing";
        EXPECT_EQ(MainCaption(), "Orvalis");
        EXPECT_EQ(MainClientSize(), std::make_pair(688, 434));
        EXPECT_EQ(OpenFilesIn(folder.Path()), std::vector<std::string>{});
    });
    // "Modif. couleurs" does nothing.
    script.ChooseMenu(WindowTarget::Active(), {"Traitement PNG", "Modif. couleurs"});
    Count();
    script.Check([&] {
        EXPECT_EQ(Log(), report);
        EXPECT_EQ(MessageDialogs(), std::vector<Seen>{});
        for (int y : {0, 4, 8})
            for (int x : {0, 6, 12}) EXPECT_EQ(MainPixel(x, y), picture[y][x]) << x << ", " << y;
        EXPECT_EQ(MainCaption(), "Orvalis") << "the count changes neither caption nor size";
        EXPECT_EQ(MainClientSize(), std::make_pair(688, 434));
    });
    Count();
    script.Check([&] { EXPECT_EQ(Log(), report + report) << "counts start from zero each time"; })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_EQ(Log(), report + report) << "Escape leaves every report in the log";
}

TEST_F(ViewerColourCount, APngOpenedWhileASeriesRunsStopsItAndAJpegViewIsRefused) {
    const PixelRows picture = {{0xFF0000, 0x0000FF}, {0xFFFFFF, 0x000000}};
    WritePalettePng(folder / "deux.png", picture);
    WriteSolidJpeg(folder / "vue1.jpg", 20, 20, 0x10C010);
    WriteSolidJpeg(folder / "vue2.jpg", 20, 20, 0x10C010);
    const std::string caption = "Fichier " + (folder / "vue") + " Dessin de la vue n° 1";
    script.AnswerFileDialog(folder / "vue1.jpg").Advance(3000);
    // Right after a JPEG view: refused, the log untouched.
    Count();
    script
        .Check([&] {
            EXPECT_EQ(MessageDialogs(), (std::vector<Seen>{{"Erreur", "Le bitmap n'est pas au bon format"}}));
        })
        .Press(platform::VK_RETURN);
    Open(folder / "deux.png");
    script.Advance(9000).Check([&] {
        EXPECT_EQ(MainCaption(), caption) << "the series no longer advances";
        EXPECT_EQ(MainClientSize(), ClientSizeFor(20, 20));
        EXPECT_EQ(Log(), "");
    });
    Count();
    script
        .Check([&] {
            EXPECT_EQ(Log(), ReferenceReportBytes(ReferenceCount(picture)));
            EXPECT_EQ(MainPixel(1, 0), 0x0000FFu);
            EXPECT_EQ(MainPixel(0, 1), 0xFFFFFFu);
        })
        .ChooseMenu(WindowTarget::Active(), {"Fichier", "Quitter"});
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_EQ(Log(), ReferenceReportBytes(ReferenceCount(picture))) << "Quitter closes the log whole";
}

TEST_F(ViewerColourCount, AnUnreadablePngIsToldAndLeavesAnEmptyImageToCount) {
    WriteFileBytes(folder / "texte.png", "ceci n'est pas une image\n");
    script.AnswerFileDialog(folder / "texte.png")
        .Check([&] {
            EXPECT_EQ(MessageDialogs(), (std::vector<Seen>{{"Erreur", "Le fichier " + (folder / "texte.png") +
                                                                         " n'est pas une image PNG lisible"}}));
        })
        .Press(platform::VK_RETURN);
    Count();
    script.Check([&] { EXPECT_EQ(Log(), ReferenceReportBytes(ReferenceCount({}))) << "sixteen classes, none counted"; })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

TEST_F(ViewerColourCount, TheEndOfTheSessionKeepsEveryReportInTheLog) {
    platform::InstallEndSessionHandler();
    const PixelRows picture = {{0xFF0000, 0x0000FF, 0x646400}};
    WritePalettePng(folder / "trois.png", picture);
    script.AnswerFileDialog(folder / "trois.png");
    Count();
    script.Check([] { std::raise(SIGTERM); });
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_EQ(Log(), ReferenceReportBytes(ReferenceCount(picture)));
}

TEST_F(ViewerColourCount, ALogThatCouldNotBeCreatedIsToldAndNothingIsWritten) {
    fs::create_directory(folder / "espion.log");  // takes the log's name
    WritePalettePng(folder / "deux.png", {{0xFF0000, 0x0000FF}});
    script.AnswerFileDialog(folder / "deux.png");
    Count();
    script
        .Check([&] {
            EXPECT_EQ(MessageDialogs(),
                      (std::vector<Seen>{{"Erreur", "Le rapport du comptage n'est pas enregistré : le fichier "
                                                    "espion.log n'a pas pu être créé dans le dossier de travail"}}));
            EXPECT_EQ(MainPixel(0, 0), 0xFF0000u) << "the image is shown all the same";
        })
        .Press(platform::VK_RETURN)
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_TRUE(fs::is_directory(folder / "espion.log"));
}

}  // namespace
}  // namespace orvalis::test

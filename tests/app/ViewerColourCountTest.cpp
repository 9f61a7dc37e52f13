// The colour count as the user runs it: a PNG opened in the dialog, "Comptage couleurs "
// in the menu, the image shown and the report appended to espion.log, compared byte for
// byte with a report computed apart from the viewer; the refusals of other bitmaps and
// of a log that could not be opened; reports that could not be written.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/MainOrvalis.h"
#include "framework/Image.h"
#include "graphics/Bitmap.h"
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

TEST_F(ViewerColourCount, TheCountReadsTheShownPixelsWithoutACopy) {
    const PixelRows picture = CountedPicture();
    WritePalettePng(folder / "image.png", picture);
    const std::string report = ReferenceReportBytes(ReferenceCount(picture));
    // The record of the working bitmap and of the shown picture, and their pixels.
    auto shared = [] {
        auto* shown = dynamic_cast<TBitmap*>(Orvalis->Image1->Picture()->Graphic());
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(&shown->ImageRecord(), &Orvalis->BitmapCourant->ImageRecord()) << "one record, shared";
        EXPECT_EQ(shown->ImageRecord().ShareCount(), 2);
    };
    const std::uint8_t* pixels = nullptr;
    script.CancelFileDialog();
    Open(folder / "image.png");
    Count();
    script.Check([&] {
        EXPECT_EQ(Log(), report);
        shared();
        pixels = Orvalis->BitmapCourant->ImageRecord().DIBHandle()->Bits();
    });
    // A second count of the same bitmap: still the same pixels, counted the same.
    Count();
    script
        .Check([&] {
            EXPECT_EQ(Log(), report + report);
            shared();
            EXPECT_EQ(Orvalis->BitmapCourant->ImageRecord().DIBHandle()->Bits(), pixels) << "no private copy";
            for (int y : {0, 8})
                for (int x : {0, 12}) EXPECT_EQ(MainPixel(x, y), picture[y][x]) << x << ", " << y;
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
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

// What takes the log's name at start-up: nothing is written there, and the count says
// why. A pipe or a device is refused at once (opening a pipe to write would wait for a
// reader, before any window appears).
struct LogRefusal {
    std::string what;
    std::function<bool(const fs::path& log)> make;  // false: cannot be made here
    std::string message;
    std::function<bool(const fs::path& log)> untouched;
};

// Test names and failures show what takes the log's name.
void PrintTo(const LogRefusal& refusal, std::ostream* out) { *out << refusal.what; }

const std::string kLogNotCreated =
    "Le rapport du comptage n'est pas enregistré : le fichier espion.log n'a pas pu être créé dans le dossier de "
    "travail";

const LogRefusal kLogRefusals[] = {
    {"folder", [](const fs::path& log) { return fs::create_directory(log); }, kLogNotCreated,
     [](const fs::path& log) { return fs::is_directory(log) && fs::is_empty(log); }},
    {"pipe", [](const fs::path& log) { return ::mkfifo(log.c_str(), 0644) == 0; }, kLogNotCreated,
     [](const fs::path& log) { return fs::is_fifo(log); }},
    {"device",
     [](const fs::path& log) {
         fs::create_symlink("/dev/full", log);
         return true;
     },
     kLogNotCreated, [](const fs::path& log) { return fs::is_symlink(log) && fs::is_character_file(log); }},
    {"unwritable_file",
     [](const fs::path& log) {
         WriteFileBytes(log, "un rapport d'avant\r\n");
         return MakeUnwritable(log);
     },
     "Le rapport du comptage n'est pas enregistré : le fichier espion.log n'a pas pu être ouvert en écriture dans "
     "le dossier de travail",
     [](const fs::path& log) { return ReadFileBytes(log) == "un rapport d'avant\r\n"; }},
};

class ViewerLogRefusal : public ViewerColourCount, public ::testing::WithParamInterface<LogRefusal> {
protected:
    ~ViewerLogRefusal() override { MakeWritable(folder.Path() / "espion.log"); }
};

TEST_P(ViewerLogRefusal, IsToldAtTheCountAndNothingIsWritten) {
    const LogRefusal& refusal = GetParam();
    const fs::path log = folder.Path() / "espion.log";
    // A file that root may not write needs the file system's immutable attribute.
    if (!refusal.make(log)) GTEST_SKIP() << "cannot make the " << refusal.what << " here";
    WritePalettePng(folder / "deux.png", {{0xFF0000, 0x0000FF}});
    script.AnswerFileDialog(folder / "deux.png");
    Count();
    script
        .Check([&] {
            EXPECT_EQ(MessageDialogs(), (std::vector<Seen>{{"Erreur", refusal.message}}));
            EXPECT_EQ(MainPixel(0, 0), 0xFF0000u) << "the image is shown all the same";
        })
        .Press(platform::VK_RETURN)
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_TRUE(refusal.untouched(log));
}

INSTANTIATE_TEST_SUITE_P(TakenName, ViewerLogRefusal, ::testing::ValuesIn(kLogRefusals),
                         [](const ::testing::TestParamInfo<LogRefusal>& testCase) { return testCase.param.what; });

// The disk fills during the session: a report that cannot be written whole is told,
// with the cause in words, and cut off again; the reports before stay whole, and a later
// count, once there is room, is written.
TEST_F(ViewerColourCount, AReportThatCannotBeWrittenIsToldAndCutOffAndALaterCountTriesAgain) {
    const PixelRows picture = {{0xFF0000, 0x0000FF, 0x646400}};
    WritePalettePng(folder / "trois.png", picture);
    const std::string report = ReferenceReportBytes(ReferenceCount(picture));
    const std::string causeStart =
        "Le rapport du comptage n'est pas enregistré : l'écriture dans le fichier espion.log "
        "a échoué (";
    struct Failure {
        int error;
        std::size_t room;  // the bytes written before it
        std::string words;
    };
    const std::vector<Failure> failures = {
        {ENOSPC, report.size() / 2 + 3, "le disque est plein"},  // cut in the middle of a line
        {ENOSPC, 0, "le disque est plein"},
        {EIO, 17, "erreur d'entrée-sortie"},
        {EDQUOT, 1, "le quota de disque est dépassé"},
        {ENXIO, 2, "erreur système n° 6"},
    };
    FillingDisk disk{0, ENOSPC};
    script.AnswerFileDialog(folder / "trois.png");
    script.Check([&] {
        const int descriptor = ::open((folder / "espion.log").c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(descriptor, 0);
        Orvalis->FichierLog = LogFile::OnDescriptor(descriptor, disk.Writer());
        disk.room = 2 * report.size();
    });
    Count();
    Count();  // two whole reports
    for (const Failure& failure : failures) {
        script.Check([&] { disk = {failure.room, failure.error}; });
        Count();
        script
            .Check([&] {
                EXPECT_EQ(MessageDialogs(), (std::vector<Seen>{{"Erreur", causeStart + failure.words + ")"}}));
                EXPECT_EQ(Log(), report + report) << "what the report left is cut off";
            })
            .Press(platform::VK_RETURN);
    }
    script.Check([&] { disk.room = 1 << 20; });
    Count();
    script
        .Check([&] {
            EXPECT_EQ(MessageDialogs(), std::vector<Seen>{});
            EXPECT_EQ(Log(), report + report + report);
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_EQ(Log(), report + report + report);
}

// Under a limit on the size of the files it writes (set by whoever started it), the
// count whose report would pass it is told with the cause and cut off like any failed
// write, and the program goes on; the viewer runs in a child process, which the limit
// would otherwise kill mid-report.
TEST_F(ViewerColourCount, AReportPastTheFileSizeLimitIsToldAndCutOffAndTheProgramGoesOn) {
    const PixelRows picture = {{0xFF0000, 0x0000FF, 0x646400}};
    WritePalettePng(folder / "trois.png", picture);
    const std::string report = ReferenceReportBytes(ReferenceCount(picture));
    script.AnswerFileDialog(folder / "trois.png");
    Count();
    Count();  // past the limit, halfway through the second report
    script
        .Check([&] {
            EXPECT_EQ(MessageDialogs(),
                      (std::vector<Seen>{{"Erreur",
                                          "Le rapport du comptage n'est pas enregistré : l'écriture dans le fichier "
                                          "espion.log a échoué (le fichier a atteint sa taille maximale)"}}));
            EXPECT_EQ(Log(), report) << "what the report left is cut off";
        })
        .Press(platform::VK_RETURN)
        .Press(platform::VK_ESCAPE);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{report.size() + report.size() / 2, RLIM_INFINITY};
        const bool limited = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
        const int status = RunTheViewer();
        // Out at once: the parent's test goes on with the folder and its checks.
        ::_exit(limited && status == 0 && !HasFailure() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_FALSE(WIFSIGNALED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child's checks failed (above)";
    EXPECT_EQ(Log(), report);
}

}  // namespace
}  // namespace orvalis::test

// The next view prepared while the current one is shown: what the user sees stays what
// the documents say, only sooner. The tests look at the worker through the
// preparation's seams, never at the clock: WaitUntilDone waits for its end (so that a
// file can be changed after it read), Hold keeps it from opening its file (so that the
// user can act while a preparation is under way), PicturesTaken tells whether the
// advance took the prepared picture or decoded itself. The file chosen in the dialog is
// prepared from its selection (which the scripted user makes before each answer), so an
// open through the dialog takes a picture too.

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/MainOrvalis.h"
#include "app/UOptions.h"
#include "framework/Application.h"
#include "framework/Button.h"
#include "framework/Image.h"
#include "framework/RadioGroup.h"
#include "graphics/Picture.h"
#include "platform/MessageBox.h"
#include "platform/VirtualKeys.h"
#include "tests/app/ViewerTest.h"

namespace orvalis::test {
namespace {

namespace fs = std::filesystem;
using platform::headless::WindowTarget;

constexpr std::uint32_t kRed = 0xE01010, kGreen = 0x10C010, kBlue = 0x1010E0, kYellow = 0xE0E010;

NextViewPreparation& Preparation() { return Orvalis->NextView(); }

// The preparation's worker threads alive in the process, found by their name.
int WorkerThreads() {
    int count = 0;
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        // A thread of a library may end meanwhile: its name is then simply not read.
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name == NextViewPreparation::kWorkerName) ++count;
    }
    return count;
}

// The file's status once any change of it is bound to move its status-change time. Times
// are stamped from the kernel's coarse clock, which may not have moved since the file's
// last change: it is waited for (a tick at most).
struct stat StatusOnceAChangeShows(const fs::path& file) {
    struct stat status {};
    EXPECT_EQ(::stat(file.c_str(), &status), 0);
    timespec now{};
    do {
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    } while (now.tv_sec < status.st_ctim.tv_sec ||
             (now.tv_sec == status.st_ctim.tv_sec && now.tv_nsec <= status.st_ctim.tv_nsec));
    return status;
}

// The modification time set back by a minute: a later write is bound to change it.
void MakeOlder(const fs::path& file) { fs::last_write_time(file, fs::last_write_time(file) - std::chrono::minutes(1)); }

class ViewPreparation : public ViewerTest {
protected:
    // vue1 red, vue2 green, vue3 blue; the user opens vue1.
    ViewPreparation() {
        WriteSolidJpeg(folder / "vue1.jpg", 24, 16, kRed);
        WriteSolidJpeg(folder / "vue2.jpg", 24, 16, kGreen);
        WriteSolidJpeg(folder / "vue3.jpg", 24, 16, kBlue);
    }
    std::string Caption(int number) const {
        return "Fichier " + folder / "vue" + " Dessin de la vue n° " + std::to_string(number);
    }
    void ExpectShown(int number, std::uint32_t colour) {
        EXPECT_EQ(MainCaption(), Caption(number));
        EXPECT_NEAR_COLOUR(MainPixel(12, 8), colour);
        EXPECT_EQ(Orvalis->NumVue, number + 1);
    }
    void ExpectPrepared() { EXPECT_TRUE(Preparation().WaitUntilDone()) << "a picture is ready"; }
    void ChangeAfterPreparation(const std::function<void(const fs::path& view)>& change, std::uint32_t shown);
};

TEST_F(ViewPreparation, EachViewIsPreparedWhileTheOneBeforeIsShownOnTicksAndKeys) {
    script.AnswerFileDialog(folder / "vue1.jpg")
        .Check([&] { ExpectPrepared(); })  // view 1 again, the first the advance shows
        .Advance(3000)
        .Check([&] {
            ExpectShown(1, kRed);
            EXPECT_EQ(Preparation().PicturesTaken(), 2);
            ExpectPrepared();
        })
        .Press('A')
        .Check([&] {
            ExpectShown(2, kGreen);
            EXPECT_EQ(Preparation().PicturesTaken(), 3);
            ExpectPrepared();
        })
        .Advance(3000)
        .Check([&] {
            ExpectShown(3, kBlue);
            EXPECT_EQ(Preparation().PicturesTaken(), 4);
            EXPECT_FALSE(Preparation().WaitUntilDone()) << "no view 4 to prepare";
        })
        // The end of the series: nothing changes, tick after tick.
        .Advance(6000)
        .Check([&] {
            ExpectShown(3, kBlue);
            EXPECT_EQ(Preparation().PicturesTaken(), 4);
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_EQ(ErrorBoxes(), std::vector<Seen>{});
}

// The file of view 2 changed by `change` once its preparation is done: the advance
// decodes it again and shows `shown`.
void ViewPreparation::ChangeAfterPreparation(const std::function<void(const fs::path& view)>& change,
                                             std::uint32_t shown) {
    const fs::path view = folder / "vue2.jpg";
    MakeOlder(view);
    script.AnswerFileDialog(folder / "vue1.jpg")
        .Advance(3000)
        .Check([&, view, change] {
            ExpectPrepared();
            change(view);
        })
        .Advance(3000)
        .Check([&, shown] {
            ExpectShown(2, shown);
            EXPECT_EQ(Preparation().PicturesTaken(), 2) << "the open and view 1: view 2 was decoded again";
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

TEST_F(ViewPreparation, AFileRewrittenInPlaceAfterItWasReadIsLoadedAsItIsNow) {
    WriteSolidJpeg(folder / "autre.jpg", 24, 16, kYellow);
    ChangeAfterPreparation(
        [&](const fs::path& view) { fs::copy_file(folder / "autre.jpg", view, fs::copy_options::overwrite_existing); },
        kYellow);
}

// The new bytes in the same inode, at the same size, with the former times put back:
// only the status-change time tells this file from the one that was read.
TEST_F(ViewPreparation, AFileRewrittenInPlaceWithItsSizeAndTimesPutBackIsLoadedAsItIsNow) {
    WriteSolidJpeg(folder / "autre.jpg", 24, 16, kYellow);
    std::string yellow = ReadFileBytes(folder / "autre.jpg");
    std::string green = ReadFileBytes(folder / "vue2.jpg");
    // Made the same size with bytes after the picture's end, which the decoder leaves.
    const std::size_t size = std::max(yellow.size(), green.size());
    yellow.resize(size, '\0');
    green.resize(size, '\0');
    WriteFileBytes(folder / "vue2.jpg", green);
    ChangeAfterPreparation(
        [&](const fs::path& view) {
            const struct stat read = StatusOnceAChangeShows(view);
            WriteFileBytes(view, yellow);
            const timespec times[2] = {read.st_atim, read.st_mtim};
            ASSERT_EQ(::utimensat(AT_FDCWD, view.c_str(), times, 0), 0);
            struct stat rewritten {};
            ASSERT_EQ(::stat(view.c_str(), &rewritten), 0);
            ASSERT_EQ(rewritten.st_ino, read.st_ino);
            ASSERT_EQ(rewritten.st_size, read.st_size);
            ASSERT_EQ(rewritten.st_mtim.tv_sec, read.st_mtim.tv_sec);
            ASSERT_EQ(rewritten.st_mtim.tv_nsec, read.st_mtim.tv_nsec);
        },
        kYellow);
}

TEST_F(ViewPreparation, AFileRenamedOverAfterItWasReadIsLoadedAsItIsNow) {
    WriteSolidJpeg(folder / "autre.jpg", 24, 16, kYellow);
    ChangeAfterPreparation([&](const fs::path& view) { fs::rename(folder / "autre.jpg", view); }, kYellow);
}

TEST_F(ViewPreparation, AFileOnlyTouchedAfterItWasReadIsDecodedAgain) {
    ChangeAfterPreparation([](const fs::path& view) { fs::last_write_time(view, fs::file_time_type::clock::now()); },
                           kGreen);
}

TEST_F(ViewPreparation, AViewRemovedThenPutBackOrAddedLaterIsSeenAsTheDocumentsSay) {
    fs::remove(folder / "vue3.jpg");
    script.AnswerFileDialog(folder / "vue1.jpg")
        .Advance(3000)
        .Check([&] {
            ExpectPrepared();
            fs::rename(folder / "vue2.jpg", folder / "ailleurs.jpg");
        })
        // Removed: the advance finds no entry, nothing changes.
        .Advance(3000)
        .Check([&] {
            ExpectShown(1, kRed);
            // Back as it was; but a rename moves the file's status-change time, so its
            // prepared picture cannot be proved its own and the file is decoded again.
            StatusOnceAChangeShows(folder / "ailleurs.jpg");
            fs::rename(folder / "ailleurs.jpg", folder / "vue2.jpg");
        })
        .Advance(3000)
        .Check([&] {
            ExpectShown(2, kGreen);
            EXPECT_EQ(Preparation().PicturesTaken(), 2);
            EXPECT_FALSE(Preparation().WaitUntilDone()) << "view 3 is missing";
            // Added after the worker looked for it.
            WriteSolidJpeg(folder / "vue3.jpg", 24, 16, kYellow);
            // View 4's worker will wait before it opens its file.
            Preparation().Hold(true);
        })
        .Advance(3000)
        .Check([&] {
            ExpectShown(3, kYellow);
            EXPECT_EQ(Preparation().PicturesTaken(), 2);
            // Added while its preparation is under way, before the worker opens it.
            WriteSolidJpeg(folder / "vue4.jpg", 24, 16, kRed);
            Preparation().Hold(false);
            ExpectPrepared();
        })
        .Press('A')
        .Check([&] {
            ExpectShown(4, kRed);
            EXPECT_EQ(Preparation().PicturesTaken(), 3);
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

TEST_F(ViewPreparation, AViewThatFailsIsReportedByTheAdvanceOnlyAndOnce) {
    WritePalettePng(folder / "vue2.jpg", {{0xFF0000, 0x00FF00}});
    WriteFileBytes(folder / "vue3.jpg", std::string("\xFF\xD8\xFF\xE0 abimee", 10));
    WriteSolidJpeg(folder / "vue4.jpg", 24, 16, kYellow);
    script.AnswerFileDialog(folder / "vue1.jpg")
        .Advance(3000)
        .Check([&] {
            EXPECT_FALSE(Preparation().WaitUntilDone()) << "a PNG under a JPEG name is not prepared";
            EXPECT_EQ(MessageDialogs(), std::vector<Seen>{});
            EXPECT_EQ(ErrorBoxes(), std::vector<Seen>{});
        })
        .Advance(3000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), Caption(2));
            EXPECT_EQ(MessageDialogs(), (std::vector<Seen>{{"Erreur", "Format d'image non reconnu (FFFFFF89-50)"}}));
        })
        .Press(platform::VK_RETURN)
        .Check([&] {
            EXPECT_EQ(Orvalis->Image1->Picture()->Graphic(), nullptr);
            EXPECT_FALSE(Preparation().WaitUntilDone()) << "a damaged JPEG fails on the worker, silently";
            EXPECT_EQ(ErrorBoxes(), std::vector<Seen>{});
        })
        .Advance(3000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), Caption(3));
            ASSERT_EQ(ErrorBoxes().size(), 1u);
            EXPECT_EQ(ErrorBoxes()[0].second.rfind("Erreur JPEG #", 0), 0u) << ErrorBoxes()[0].second;
        })
        .AnswerMessageBox(platform::IDOK)
        .Check([&] {
            EXPECT_EQ(Orvalis->NumVue, 3) << "a view whose load raised is not stepped past";
            WriteSolidJpeg(folder / "vue3.jpg", 24, 16, kBlue);
        })
        .Advance(3000)
        .Check([&] {
            ExpectShown(3, kBlue);
            ExpectPrepared();
        })
        .Advance(3000)
        .Check([&] {
            ExpectShown(4, kYellow);
            EXPECT_EQ(Preparation().PicturesTaken(), 3) << "the open, views 1 and 4";
            EXPECT_EQ(ErrorBoxes().size(), 1u);
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

TEST_F(ViewPreparation, OuvrirDropsThePreparationOfTheOldSeriesAndPreparesTheNew) {
    WriteSolidJpeg(folder / "plan7.jpg", 30, 20, kYellow);
    WriteSolidJpeg(folder / "plan1.jpg", 30, 20, kBlue);
    script.AnswerFileDialog(folder / "vue1.jpg")
        .Check([&] {
            ExpectPrepared();
            Preparation().Hold(true);
        })
        .ChooseMenu(WindowTarget::Active(), {"Fichier", "Ouvrir"})
        // While the dialog is up the old series goes on: view 1 prepared, view 2 held.
        .Advance(3000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), Caption(1));
            EXPECT_EQ(Preparation().PicturesTaken(), 2);
            EXPECT_TRUE(Preparation().Pending());
        })
        // The selection of another file stops the held preparation at once; its own is
        // held in its turn.
        .SelectInFileDialog(folder / "plan7.jpg")
        .Check([&] {
            EXPECT_TRUE(Preparation().Pending());
            EXPECT_EQ(WorkerThreads(), 1);
            Preparation().Hold(false);
            ExpectPrepared();
            Preparation().Hold(true);
        })
        // The chosen file from its preparation; the new series' view 1 is held.
        .AnswerFileDialog(folder / "plan7.jpg")
        .Check([&] {
            EXPECT_NEAR_COLOUR(MainPixel(12, 8), kYellow);
            EXPECT_EQ(Orvalis->NomBase, folder / "plan");
            EXPECT_EQ(Preparation().PicturesTaken(), 3);
            Preparation().Hold(false);
            ExpectPrepared();
        })
        .Advance(3000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), "Fichier " + folder / "plan" + " Dessin de la vue n° 1");
            EXPECT_NEAR_COLOUR(MainPixel(12, 8), kBlue);
            EXPECT_EQ(Preparation().PicturesTaken(), 4);
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

// The file selected in the dialog is prepared while the user looks at the dialog; "Ouvrir"
// then shows it from the preparation: decoded once, on the worker.
TEST_F(ViewPreparation, AFileSelectedInTheDialogIsShownFromItsPreparation) {
    WriteSolidJpeg(folder / "plan7.jpg", 30, 20, kYellow);
    script.SelectInFileDialog(folder / "vue2.jpg")
        .Check([&] { ExpectPrepared(); })
        .AnswerFileDialog(folder / "vue2.jpg")
        .Check([&] {
            EXPECT_EQ(Preparation().PicturesTaken(), 1);
            EXPECT_NEAR_COLOUR(MainPixel(12, 8), kGreen);
            EXPECT_EQ(MainClientSize(), ClientSizeFor(24, 16));
            EXPECT_EQ(MainCaption(), "Orvalis") << "the open command never changes the caption";
            EXPECT_EQ(Orvalis->NomBase, folder / "vue");
        })
        .Advance(3000)
        .Check([&] {
            ExpectShown(1, kRed);
            EXPECT_EQ(Preparation().PicturesTaken(), 2) << "view 1 prepared after the open";
        })
        // "Ouvrir" while the series runs: the selection takes the preparation over.
        .ChooseMenu(WindowTarget::Active(), {"Fichier", "Ouvrir"})
        .SelectInFileDialog(folder / "plan7.jpg")
        .Check([&] { ExpectPrepared(); })
        .AnswerFileDialog(folder / "plan7.jpg")
        .Check([&] {
            EXPECT_EQ(Preparation().PicturesTaken(), 3);
            EXPECT_NEAR_COLOUR(MainPixel(12, 8), kYellow);
            EXPECT_EQ(Orvalis->NomBase, folder / "plan");
            EXPECT_EQ(MessageDialogs(), std::vector<Seen>{});
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_EQ(ErrorBoxes(), std::vector<Seen>{});
}

TEST_F(ViewPreparation, TheCommandLinesFileIsShownFromItsPreparation) {
    script
        .Check([&] {
            EXPECT_EQ(Preparation().PicturesTaken(), 1) << "prepared while the window was made";
            EXPECT_NEAR_COLOUR(MainPixel(12, 8), kGreen);
            EXPECT_EQ(Orvalis->NomBase, folder / "vue");
        })
        .Advance(3000)
        .Check([&] { ExpectShown(1, kRed); })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(folder / "vue2.jpg"), 0);
    EXPECT_EQ(backend.FileDialogsShown(), 0u);
}

// Changed on disk between its selection and "Ouvrir": shown as it is now.
TEST_F(ViewPreparation, AFileChangedAfterItsSelectionIsDecodedAgain) {
    WriteSolidJpeg(folder / "autre.jpg", 24, 16, kYellow);
    struct Case {
        std::string how;
        std::function<void(const fs::path& view)> change;
        std::uint32_t shown;
    };
    const std::vector<Case> cases = {
        {"rewritten",
         [&](const fs::path& view) { fs::copy_file(folder / "autre.jpg", view, fs::copy_options::overwrite_existing); },
         kYellow},
        {"renamed over",
         [&](const fs::path& view) {
             fs::copy_file(folder / "autre.jpg", folder / "neuf.jpg");
             fs::rename(folder / "neuf.jpg", view);
         },
         kYellow},
        {"touched", [](const fs::path& view) { fs::last_write_time(view, fs::file_time_type::clock::now()); }, kGreen},
    };
    for (const Case& c : cases) {
        const fs::path view = folder / ("vue-" + c.how + "2.jpg");
        WriteSolidJpeg(view, 24, 16, kGreen);
        MakeOlder(view);
        script.SelectInFileDialog(view)
            .Check([&, view] {
                ExpectPrepared();
                c.change(view);
            })
            .AnswerFileDialog(view)
            .Check([&] {
                EXPECT_EQ(Preparation().PicturesTaken(), 0) << c.how;
                EXPECT_NEAR_COLOUR(MainPixel(12, 8), c.shown) << c.how;
            })
            .Press(platform::VK_ESCAPE);
        EXPECT_EQ(RunTheViewer(), 0);
    }
}

// Each new selection cancels the preparation of the one before; a selection that is not a
// view prepares nothing.
TEST_F(ViewPreparation, ASelectionMovedOnCancelsTheEarlierPreparation) {
    fs::create_directory(folder / "dossier.jpg");
    WritePalettePng(folder / "image.png", {{0xFF0000, 0x00FF00}});
    WriteFileBytes(folder / "grand.jpg", "\xFF\xD8");
    fs::resize_file(folder / "grand.jpg", (std::uintmax_t{1} << 30) + 1);  // sparse
    const std::vector<std::string> notViews = {folder / "dossier.jpg", folder / "image.png", folder / "absente.jpg",
                                               folder / "grand.jpg", folder.Path().string()};
    script.Check([&] { Preparation().Hold(true); }).SelectInFileDialog(folder / "vue2.jpg").Check([&] {
        EXPECT_TRUE(Preparation().Pending());
        EXPECT_EQ(WorkerThreads(), 1);
    });
    for (const std::string& notView : notViews) {
        script.SelectInFileDialog(notView)
            .Check([&, notView] {
                EXPECT_FALSE(Preparation().Pending()) << notView;
                EXPECT_EQ(WorkerThreads(), 0) << notView;
            })
            .SelectInFileDialog(folder / "vue2.jpg")
            .Check([&] { EXPECT_EQ(WorkerThreads(), 1); });
    }
    // Another view: the held worker of vue2 is stopped, vue3's takes its place.
    script.SelectInFileDialog(folder / "vue3.jpg")
        .Check([&] {
            EXPECT_EQ(WorkerThreads(), 1);
            Preparation().Hold(false);
            ExpectPrepared();
        })
        .AnswerFileDialog(folder / "vue3.jpg")
        .Check([&] {
            EXPECT_EQ(Preparation().PicturesTaken(), 1);
            EXPECT_NEAR_COLOUR(MainPixel(12, 8), kBlue);
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_EQ(ErrorBoxes(), std::vector<Seen>{});
    EXPECT_EQ(WorkerThreads(), 0);
}

// Cancelled: the selection's preparation goes; a series that was running gets its own
// back, and the ticks during the dialog went on as the documents say.
TEST_F(ViewPreparation, ACancelledDialogLeavesNothingOfTheSelectionPrepared) {
    WriteSolidJpeg(folder / "plan7.jpg", 30, 20, kYellow);
    script.SelectInFileDialog(folder / "vue1.jpg")
        .Check([&] { EXPECT_TRUE(Preparation().Pending()); })
        .CancelFileDialog()
        .Check([&] {
            EXPECT_FALSE(Preparation().Pending());
            EXPECT_EQ(WorkerThreads(), 0);
            EXPECT_EQ(Orvalis->Image1->Picture()->Graphic(), nullptr);
        })
        .ChooseMenu(WindowTarget::Active(), {"Fichier", "Ouvrir"})
        .AnswerFileDialog(folder / "vue1.jpg")
        .ChooseMenu(WindowTarget::Active(), {"Fichier", "Ouvrir"})
        .SelectInFileDialog(folder / "plan7.jpg")
        .Check([&] { ExpectPrepared(); })
        .Advance(3000)  // a tick while the dialog is up: view 1, decoded by the advance
        .Check([&] {
            ExpectShown(1, kRed);
            EXPECT_EQ(Preparation().PicturesTaken(), 1) << "the open only";
        })
        .CancelFileDialog()
        .Check([&] { ExpectPrepared(); })  // view 2 again
        .Advance(3000)
        .Check([&] {
            ExpectShown(2, kGreen);
            EXPECT_EQ(Preparation().PicturesTaken(), 2);
            EXPECT_EQ(Orvalis->NomBase, folder / "vue");
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_EQ(ErrorBoxes(), std::vector<Seen>{});
}

TEST_F(ViewPreparation, TheOptionsDialogCancelsItAndTheKeyModePreparesToo) {
    script.AnswerFileDialog(folder / "vue1.jpg")
        .Check([&] {
            ExpectPrepared();
            Preparation().Hold(true);
        })
        .Advance(3000)  // view 1 from the first preparation; view 2's is held
        .Check([&] { EXPECT_TRUE(Preparation().Pending()); })
        .ChooseMenu(WindowTarget::Active(), {"Options"})
        .Check([&] {
            EXPECT_FALSE(Preparation().Pending()) << "cancelled when the dialog opens";
            Preparation().Hold(false);
            Options->RadioGroup1->SetItemIndex(1);  // "Arrêt sur image"
            Options->OKClick(Options->OK);
        })
        .Check([&] {
            EXPECT_TRUE(Orvalis->ArretSurImage);
            ExpectPrepared();
        })
        .Advance(9000)
        .Check([&] { ExpectShown(1, kRed); })
        .Press('A')
        .Check([&] {
            ExpectShown(2, kGreen);
            EXPECT_EQ(Preparation().PicturesTaken(), 3);
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

TEST_F(ViewPreparation, TheEndOfTheProgramStopsItAtOnceAndLeavesNoThread) {
    // View 1's preparation after the open held before its file: the end must not wait
    // for a release that never comes.
    script.SelectInFileDialog(folder / "vue1.jpg")
        .Check([&] {
            ExpectPrepared();
            Preparation().Hold(true);
        })
        .AnswerFileDialog(folder / "vue1.jpg")
        .Check([&] {
            EXPECT_TRUE(Preparation().Pending());
            EXPECT_EQ(WorkerThreads(), 1);
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_EQ(WorkerThreads(), 0);
    EXPECT_EQ(OpenFilesIn(folder.Path()), std::vector<std::string>{});
}

TEST_F(ViewPreparation, TheEndOfTheProgramDuringADecodeLeavesNoThreadNorFile) {
    WriteSolidJpeg(folder / "grande1.jpg", 2400, 1800, kBlue);
    // Escape right after the open: the worker is reading or decoding the large view.
    script.AnswerFileDialog(folder / "grande1.jpg").Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_EQ(WorkerThreads(), 0);
    EXPECT_EQ(OpenFilesIn(folder.Path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace orvalis::test

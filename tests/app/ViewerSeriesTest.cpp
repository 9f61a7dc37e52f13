// The viewer as the user meets it, from start to end, on the headless backend: the open
// dialog at start, a series shown view after view on ticks and keys, the end of a
// series and a view copied in later, the names that set up a series or are refused,
// files that are not what their name says, and the advances that a box holds back.

#include <csignal>
#include <string>
#include <vector>

#include "app/MainOrvalis.h"
#include "framework/Application.h"
#include "framework/Image.h"
#include "framework/OpenDialog.h"
#include "framework/Timer.h"
#include "graphics/Picture.h"
#include "platform/EndSession.h"
#include "platform/Focus.h"
#include "platform/MessageBox.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "tests/app/ViewerTest.h"

namespace orvalis::test {
namespace {

namespace fs = std::filesystem;
using platform::headless::WindowTarget;

constexpr std::uint32_t kRed = 0xE01010, kGreen = 0x10C010, kBlue = 0x1010E0, kYellow = 0xE0E010;

class ViewerSeries : public ViewerTest {
protected:
    // The caption of view `number` of the series whose base is `base`.
    static std::string ViewCaption(const std::string& base, int number) {
        return "Fichier " + base + " Dessin de la vue n° " + std::to_string(number);
    }
    // Opens `path` through the menu, as the user does after the first dialog.
    void Open(const std::string& path) {
        script.ChooseMenu(WindowTarget::Active(), {"Fichier", "Ouvrir"}).AnswerFileDialog(path);
    }
    // The loader's files are closed; the preparation of the next view, which reads its
    // file on a thread of its own, is let finish first.
    void ExpectNoFileOpen() {
        Orvalis->NextView().WaitUntilDone();
        EXPECT_EQ(OpenFilesIn(folder.Path()), std::vector<std::string>{});
    }
};

TEST_F(ViewerSeries, TheOpenDialogGreetsTheUserAndTheLogStartsEmpty) {
    WriteFileBytes(folder / "espion.log", "un rapport d'avant\r\n");
    script
        .Check([&] {
            ASSERT_EQ(backend.FileDialogsShown(), 1u);
            const auto* dialog = backend.ShownFileDialogBox();
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->request.title, "Ouverture d'une liste de vues de perspectives");
            ASSERT_EQ(dialog->request.filters.size(), 2u);
            EXPECT_EQ(dialog->request.filters[0].description, "Fichiers JPEG ");
            EXPECT_EQ(dialog->request.filters[0].patterns, "*.JPG;*JPEG");
            EXPECT_EQ(dialog->request.filters[1].description, "Graphique Portable ");
            EXPECT_EQ(dialog->request.filters[1].patterns, "*.PNG");
            EXPECT_EQ(dialog->request.filterIndex, 1);
            EXPECT_TRUE(Orvalis->Visible());
            EXPECT_EQ(MainCaption(), "Orvalis");
            EXPECT_EQ(MainClientSize(), std::make_pair(688, 434));
            EXPECT_EQ(ReadFileBytes(folder / "espion.log"), "") << "each start empties the log";
        })
        .CancelFileDialog()
        .Check([] {
            EXPECT_TRUE(Orvalis->NomBase.IsEmpty());
            EXPECT_EQ(Orvalis->NumVue, 0);
        })
        // Before any series, each tick looks for 0.jpg in the working directory.
        .Advance(3000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), "Orvalis");
            EXPECT_EQ(Orvalis->NumVue, 0);
            WriteSolidJpeg(folder / "0.jpg", 20, 10, kGreen);
        })
        .Advance(3000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), "Fichier  Dessin de la vue n° 0");
            EXPECT_NEAR_COLOUR(MainPixel(5, 5), kGreen);
            EXPECT_EQ(Orvalis->NumVue, 1);
            EXPECT_EQ(MainClientSize(), std::make_pair(688, 434)) << "an advance never resizes";
            ExpectNoFileOpen();
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_EQ(ReadFileBytes(folder / "espion.log"), "");
}

TEST_F(ViewerSeries, OpeningAViewShowsItThenTheSeriesFromViewOneOnTicksAndKeys) {
    WriteSolidJpeg(folder / "vue1.jpg", 40, 30, kRed);
    WriteSolidJpeg(folder / "vue2.jpg", 50, 20, kGreen);
    WriteSolidJpeg(folder / "vue3.jpg", 60, 40, kBlue);
    const std::string base = folder / "vue";
    script.AnswerFileDialog(folder / "vue3.jpg")
        .Check([&] {
            EXPECT_EQ(MainCaption(), "Orvalis") << "opening never changes the caption";
            EXPECT_EQ(MainClientSize(), ClientSizeFor(60, 40));
            EXPECT_NEAR_COLOUR(MainPixel(0, 0), kBlue);
            EXPECT_NEAR_COLOUR(MainPixel(59, 39), kBlue);
            EXPECT_EQ(Orvalis->NomBase, base);
            EXPECT_EQ(Orvalis->NumVue, 1);
            EXPECT_EQ(Orvalis->OpenDialog1->FileName(), folder / "vue3.jpg") << "the chosen name stays offered";
            ExpectNoFileOpen();
        })
        .Advance(2999)
        .Check([] { EXPECT_EQ(MainCaption(), "Orvalis"); })
        .Advance(1)
        .Check([&] {
            EXPECT_EQ(MainCaption(), ViewCaption(base, 1));
            EXPECT_NEAR_COLOUR(MainPixel(10, 10), kRed);
            EXPECT_EQ(MainClientSize(), ClientSizeFor(60, 40)) << "an advance never resizes";
            EXPECT_EQ(Orvalis->NumVue, 2);
            ExpectNoFileOpen();
        })
        // Keys without a character, and Tab, do not advance; a click lands on the
        // picture, which has no click handler.
        .Press(platform::VK_RIGHT)
        .Press(platform::VK_F4)
        .Press(platform::VK_TAB)
        .Click(WindowTarget::Active(), {5, 5})
        .Check([&] { EXPECT_EQ(MainCaption(), ViewCaption(base, 1)); })
        .Press('A')
        .Check([&] {
            EXPECT_EQ(MainCaption(), ViewCaption(base, 2));
            EXPECT_NEAR_COLOUR(MainPixel(10, 10), kGreen);
        })
        .Press(platform::VK_SPACE)
        .Check([&] {
            EXPECT_EQ(MainCaption(), ViewCaption(base, 3));
            EXPECT_NEAR_COLOUR(MainPixel(10, 10), kBlue);
        })
        // The end of the series: the last view stays with its caption, every tick
        // looks for view 4 again.
        .Advance(6000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), ViewCaption(base, 3));
            EXPECT_NEAR_COLOUR(MainPixel(10, 10), kBlue);
            EXPECT_EQ(Orvalis->NumVue, 4);
            WriteSolidJpeg(folder / "vue4.jpg", 30, 30, kYellow);
        })
        .Advance(3000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), ViewCaption(base, 4));
            EXPECT_NEAR_COLOUR(MainPixel(10, 10), kYellow);
            EXPECT_EQ(Orvalis->NumVue, 5);
            ExpectNoFileOpen();
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

// Started on a file (from the command line, given as it was typed): no first dialog; the
// file is shown and the series goes on from it as after a choice, the file offered in the
// next dialog.
TEST_F(ViewerSeries, AFileGivenAtStartIsOpenedAsIfChosen) {
    WriteSolidJpeg(folder / "vue1.jpg", 40, 30, kRed);
    WriteSolidJpeg(folder / "vue3.jpg", 60, 40, kBlue);
    script
        .Check([&] {
            EXPECT_EQ(backend.FileDialogsShown(), 0u);
            EXPECT_EQ(MainClientSize(), ClientSizeFor(60, 40));
            EXPECT_NEAR_COLOUR(MainPixel(59, 39), kBlue);
            EXPECT_EQ(Orvalis->NomBase, folder / "vue") << "the working directory completes the name";
            EXPECT_EQ(Orvalis->NumVue, 1);
        })
        .Advance(3000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), ViewCaption(folder / "vue", 1));
            EXPECT_NEAR_COLOUR(MainPixel(10, 10), kRed);
        })
        .ChooseMenu(WindowTarget::Active(), {"Fichier", "Ouvrir"})
        .Check([&] {
            ASSERT_NE(backend.ShownFileDialogBox(), nullptr);
            EXPECT_EQ(backend.ShownFileDialogBox()->request.fileName, folder / "vue3.jpg");
        })
        .CancelFileDialog()
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer("./sous-dossier/../vue3.jpg"), 0);
}

// A name given at start that is not there is told as the dialog tells a file it cannot
// find, and the first dialog follows; a folder opens the first dialog in it.
TEST_F(ViewerSeries, AMissingFileOrAFolderGivenAtStartLeadsToTheFirstDialog) {
    fs::create_directory(folder / "plans");
    struct Case {
        std::string given;
        std::vector<Seen> told;
        std::string dialogFolder;
    } cases[] = {
        {"absente3.jpg",
         {{"Avertissement",
           folder / "absente3.jpg" + "\nFichier introuvable.\nVérifiez que le nom du fichier est correct."}},
         ""},
        {"nulle-part/vue3.jpg",
         {{"Avertissement", folder / "nulle-part/vue3.jpg" +
                                "\nChemin d'accès introuvable.\nVérifiez que le chemin d'accès est correct."}},
         ""},
        {"plans", {}, folder / "plans"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        const std::size_t dialogsBefore = backend.FileDialogsShown();
        if (!c.told.empty()) {
            script.Check([&] {
                EXPECT_EQ(MessageDialogs(), c.told);
                EXPECT_EQ(platform::GetWindowOwner(platform::GetActiveWindow()), Orvalis->Handle());
                EXPECT_EQ(backend.FileDialogsShown(), dialogsBefore) << "the message comes first";
            });
            script.Press(platform::VK_RETURN);
        }
        script
            .Check([&] {
                ASSERT_NE(backend.ShownFileDialogBox(), nullptr);
                EXPECT_EQ(backend.ShownFileDialogBox()->request.initialDir, c.dialogFolder);
                EXPECT_EQ(backend.ShownFileDialogBox()->request.fileName, "");
            })
            .CancelFileDialog()
            .Check([] {
                EXPECT_TRUE(Orvalis->NomBase.IsEmpty());
                EXPECT_EQ(Orvalis->NumVue, 0);
            })
            .Press(platform::VK_ESCAPE);
        EXPECT_EQ(RunTheViewer(c.given), 0);
    }
}

TEST_F(ViewerSeries, TheNameOfTheChosenFileSetsUpTheSeriesOrIsRefused) {
    for (const char* name : {"12.jpg", "1.jpg", "plan.jpg", "vue12.jpeg", "vue1.jpg", ".jpeg", "photo.jpeg2"})
        WriteSolidJpeg(folder / name, 10, 8, kRed);
    WriteSolidJpeg(folder / "2.jpg", 12, 6, kGreen);
    const std::string root = "/4242.jpg";  // one character, then digits only: refused
    ASSERT_FALSE(fs::exists(root));

    script.AnswerFileDialog(folder / "12.jpg")
        .Check([&] {
            // Digits are cut back to the folder's "/": the views are F/1.jpg, F/2.jpg, ...
            EXPECT_EQ(Orvalis->NomBase, folder.Path().string() + "/");
            EXPECT_EQ(Orvalis->NumVue, 1);
        })
        .Advance(6000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), ViewCaption(folder.Path().string() + "/", 2));
            EXPECT_NEAR_COLOUR(MainPixel(3, 3), kGreen);
        });
    // No digit before the dot: the whole name is the base, and the series never moves.
    Open(folder / "plan.jpg");
    script
        .Check([&] {
            EXPECT_EQ(Orvalis->NomBase, folder / "plan.jpg");
            EXPECT_EQ(Orvalis->NumVue, 1);
            EXPECT_EQ(MainClientSize(), ClientSizeFor(10, 8));
        })
        .Advance(3000)
        .Check([&] { EXPECT_EQ(MainCaption(), ViewCaption(folder.Path().string() + "/", 2)); });
    // A .jpeg view starts a series of .jpg views.
    Open(folder / "vue12.jpeg");
    script.Advance(3000).Check([&] {
        EXPECT_EQ(MainCaption(), ViewCaption(folder / "vue", 1));
        EXPECT_EQ(Orvalis->NumVue, 2);
    });
    Open(folder / ".jpeg");
    script.Check([&] {
        EXPECT_EQ(Orvalis->NomBase, folder / ".jpeg");
        EXPECT_EQ(Orvalis->NumVue, 1);
    });
    // Refused: the name is kept whole and the view number stays; the picture and size
    // of the (missing) file stay too.
    Open(root);
    script
        .Check([&] {
            EXPECT_EQ(MessageDialogs(), (std::vector<Seen>{{"Avertissement", "Le nom du fichier est incorrect"}}));
            EXPECT_EQ(MainClientSize(), ClientSizeFor(0, 0));
            EXPECT_EQ(Orvalis->Image1->Picture()->Graphic(), nullptr);
        })
        .Press(platform::VK_RETURN)
        .Check([&] {
            EXPECT_EQ(MessageDialogs(), std::vector<Seen>{});
            EXPECT_EQ(Orvalis->NomBase, root);
            EXPECT_EQ(Orvalis->NumVue, 1);
        });
    // An extension of five characters is none of the viewer's: the name only.
    Open(folder / "vue1.jpg");
    script.Check([&] { EXPECT_NEAR_COLOUR(MainPixel(3, 3), kRed); });
    Open(folder / "photo.jpeg2");
    script
        .Check([&] {
            EXPECT_EQ(Orvalis->NomBase, folder / "photo.jpeg2");
            EXPECT_EQ(Orvalis->NumVue, 1);
            EXPECT_NEAR_COLOUR(MainPixel(3, 3), kRed);
            EXPECT_EQ(MainClientSize(), ClientSizeFor(10, 8));
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

// A window narrower than its menu bar would cut the bar (the documents' platform wraps
// it onto more lines): the client area keeps the bar's width, its height follows the
// picture, and the picture stays at the top left on the form's colour.
TEST_F(ViewerSeries, AViewNarrowerThanTheMenuBarLeavesTheBarWhole) {
    constexpr std::uint32_t kFormColour = 0xF0F0F0;  // clBtnFace
    WriteSolidJpeg(folder / "petit1.jpg", 16, 16, kRed);
    WriteSolidJpeg(folder / "grand1.jpg", 300, 200, kBlue);
    int barWidth = 0;
    script.AnswerFileDialog(folder / "petit1.jpg").Check([&] {
        barWidth = MenuBarWidth();
        // "Fichier", "Options" and "Traitement PNG" on one line, in the forms' font.
        EXPECT_GT(barWidth, 120);
        EXPECT_LT(barWidth, 300);
        EXPECT_EQ(MainClientSize(), std::make_pair(barWidth, 16));
        EXPECT_NEAR_COLOUR(MainPixel(0, 0), kRed);
        EXPECT_NEAR_COLOUR(MainPixel(15, 15), kRed);
        EXPECT_EQ(MainPixel(16, 8), kFormColour);
        EXPECT_EQ(MainPixel(barWidth - 1, 15), kFormColour);
        EXPECT_EQ(Orvalis->ClientWidth(), barWidth) << "the form reads the width the window has";
    });
    // A name that loads nothing: no picture, no height, the bar's width.
    Open(folder / "absent1.jpg");
    script.Check([&] {
        EXPECT_EQ(Orvalis->Image1->Picture()->Graphic(), nullptr);
        EXPECT_EQ(MainClientSize(), std::make_pair(barWidth, 0));
    });
    Open(folder / "grand1.jpg");
    script
        .Check([&] {
            EXPECT_EQ(MainClientSize(), std::make_pair(300, 200));
            EXPECT_NEAR_COLOUR(MainPixel(299, 199), kBlue);
        })
        // Every menu of the bar is still there to choose.
        .ChooseMenu(WindowTarget::Active(), {"Traitement PNG", "Modif. couleurs"})
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

// Cameras and scanners write upper-case extensions; a file system that ignores case
// finds such views under the ".jpg" name that the advance builds, and so does the viewer.
TEST_F(ViewerSeries, AViewIsFoundWhateverTheLetterCaseOfItsExtension) {
    WriteSolidJpeg(folder / "UP1.JPG", 16, 16, kRed);
    WriteSolidJpeg(folder / "UP2.JPG", 16, 16, kGreen);
    WriteSolidJpeg(folder / "UP3.JPG", 16, 16, kBlue);
    WriteSolidJpeg(folder / "up4.jpg", 16, 16, kYellow);  // the base name is exact: not view 4
    WriteSolidJpeg(folder / "Mix1.Jpg", 16, 16, kRed);
    WriteSolidJpeg(folder / "Mix2.jPG", 16, 16, kGreen);
    WriteSolidJpeg(folder / "Mix3.jpg", 16, 16, kBlue);
    const std::string upper = folder / "UP";
    script.AnswerFileDialog(folder / "UP1.JPG")
        .Check([&] {
            EXPECT_EQ(Orvalis->NomBase, upper);
            EXPECT_EQ(Orvalis->OpenDialog1->FileName(), folder / "UP1.JPG");
        })
        .Advance(3000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), ViewCaption(upper, 1));
            EXPECT_NEAR_COLOUR(MainPixel(8, 8), kRed);
        })
        .Advance(3000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), ViewCaption(upper, 2));
            EXPECT_NEAR_COLOUR(MainPixel(8, 8), kGreen);
        })
        .Press('X')
        .Check([&] {
            EXPECT_EQ(MainCaption(), ViewCaption(upper, 3));
            EXPECT_NEAR_COLOUR(MainPixel(8, 8), kBlue);
        })
        .Advance(6000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), ViewCaption(upper, 3)) << "up4.jpg belongs to another base";
            EXPECT_EQ(Orvalis->NumVue, 4);
            ExpectNoFileOpen();
        });
    Open(folder / "Mix2.jPG");
    const std::string mixed = folder / "Mix";
    for (const std::uint32_t colour : {kRed, kGreen, kBlue}) {
        script.Advance(3000).Check([&, colour] {
            EXPECT_NEAR_COLOUR(MainPixel(8, 8), colour);
            EXPECT_EQ(MainCaption(), ViewCaption(mixed, static_cast<int>(Orvalis->NumVue) - 1));
        });
    }
    script.Check([&] { EXPECT_EQ(Orvalis->NumVue, 4); }).Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

// Where one view exists in several spellings, the one spelt like the chosen file wins,
// then ".jpg"; a ".jpeg" view is none of the series.
TEST_F(ViewerSeries, OfSeveralSpellingsTheChosenFilesOneWinsThenTheLowerCaseOne) {
    WriteSolidJpeg(folder / "two1.JPG", 16, 16, kRed);
    WriteSolidJpeg(folder / "two1.jpg", 16, 16, kGreen);
    WriteSolidJpeg(folder / "two2.Jpg", 16, 16, kBlue);
    WriteSolidJpeg(folder / "two2.jpg", 16, 16, kYellow);
    WriteSolidJpeg(folder / "two3.JPEG", 16, 16, kRed);
    const std::string base = folder / "two";
    script.AnswerFileDialog(folder / "two1.JPG")
        .Advance(3000)
        .Check([&] { EXPECT_NEAR_COLOUR(MainPixel(8, 8), kRed); })
        .Advance(3000)
        .Check([&] {
            EXPECT_NEAR_COLOUR(MainPixel(8, 8), kYellow) << "no two2.JPG: two2.jpg before two2.Jpg";
            EXPECT_EQ(MainCaption(), ViewCaption(base, 2));
        })
        .Advance(3000)
        .Check([&] { EXPECT_EQ(Orvalis->NumVue, 3) << "two3.JPEG is not looked for"; });
    Open(folder / "two1.jpg");
    script.Advance(3000).Check([&] { EXPECT_NEAR_COLOUR(MainPixel(8, 8), kGreen); });
    Open(folder / "two2.Jpg");
    script.Advance(3000)
        .Check([&] { EXPECT_NEAR_COLOUR(MainPixel(8, 8), kGreen) << "no two1.Jpg: two1.jpg before two1.JPG"; })
        .Advance(3000)
        .Check([&] { EXPECT_NEAR_COLOUR(MainPixel(8, 8), kBlue); })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

TEST_F(ViewerSeries, AFileThatIsNotWhatItsNameSaysIsToldAndTheSeriesIsSetUpAllTheSame) {
    WritePalettePng(folder / "x3.jpg", {{0xFF0000, 0x00FF00}});
    WriteFileBytes(folder / "y5.jpg", "\xFF");
    WriteSolidJpeg(folder / "vue2.jpg", 16, 16, kBlue);
    script.AnswerFileDialog(folder / "vue2.jpg").Check([&] { EXPECT_EQ(MainClientSize(), ClientSizeFor(16, 16)); });
    Open(folder / "x3.jpg");
    script
        .Check([&] {
            EXPECT_EQ(MessageDialogs(), (std::vector<Seen>{{"Erreur", "Format d'image non reconnu (FFFFFF89-50)"}}));
            ExpectNoFileOpen();
        })
        .Press(platform::VK_RETURN)
        .Check([&] {
            EXPECT_EQ(Orvalis->Image1->Picture()->Graphic(), nullptr);
            EXPECT_EQ(MainClientSize(), ClientSizeFor(0, 0));
            EXPECT_EQ(Orvalis->NomBase, folder / "x");
            EXPECT_EQ(Orvalis->NumVue, 1);
        });
    // A file shorter than two bytes: the read error reaches the application's box and
    // the open command stops there, the name taken.
    Open(folder / "y5.jpg");
    script
        .Check([&] {
            const auto* box = backend.ShownMessageBox();
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text, "Erreur de lecture du flux.");
            EXPECT_EQ(box->caption, Application->AppTitle().ToStdString());
            ExpectNoFileOpen();
        })
        .AnswerMessageBox(platform::IDOK)
        .Check([&] {
            EXPECT_EQ(Orvalis->NomBase, folder / "y5.jpg");
            EXPECT_EQ(Orvalis->NumVue, 1);
            EXPECT_EQ(MainCaption(), "Orvalis");
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_EQ(ErrorBoxes().size(), 1u);
}

TEST_F(ViewerSeries, AViewThatIsNoJpegIsToldOnceWhileTicksComeAndTheSeriesMovesPastIt) {
    WriteSolidJpeg(folder / "vue1.jpg", 16, 16, kRed);
    WritePalettePng(folder / "vue2.jpg", {{0xFF0000, 0x00FF00}});
    WriteSolidJpeg(folder / "vue3.jpg", 16, 16, kBlue);
    fs::create_directory(folder / "vue4.jpg");
    WriteSolidJpeg(folder / "vue5.jpg", 16, 16, kGreen);
    const std::string base = folder / "vue";
    script.AnswerFileDialog(folder / "vue1.jpg")
        .Advance(3000)
        .Advance(3000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), ViewCaption(base, 2)) << "the caption is set before the load";
            EXPECT_EQ(MessageDialogs(), (std::vector<Seen>{{"Erreur", "Format d'image non reconnu (FFFFFF89-50)"}}));
        })
        // The dialog keeps the advance open: the ticks meanwhile start no other.
        .Advance(9000)
        .Check([&] {
            EXPECT_EQ(MessageDialogs().size(), 1u);
            EXPECT_EQ(Orvalis->NumVue, 2);
        })
        .Press(platform::VK_RETURN)
        .Check([&] {
            EXPECT_EQ(Orvalis->NumVue, 3);
            EXPECT_EQ(Orvalis->Image1->Picture()->Graphic(), nullptr) << "the picture is emptied";
            EXPECT_EQ(MainCaption(), ViewCaption(base, 2));
        })
        .Advance(3000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), ViewCaption(base, 3));
            EXPECT_NEAR_COLOUR(MainPixel(8, 8), kBlue);
        })
        // A folder bearing the next view's name counts as found: nothing to show.
        .Advance(3000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), ViewCaption(base, 4));
            EXPECT_EQ(Orvalis->Image1->Picture()->Graphic(), nullptr);
            EXPECT_EQ(Orvalis->NumVue, 5);
            EXPECT_EQ(MessageDialogs(), std::vector<Seen>{});
        })
        .Advance(3000)
        .Check([&] { EXPECT_NEAR_COLOUR(MainPixel(8, 8), kGreen); })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

TEST_F(ViewerSeries, AViewThatRaisesIsShownInOneErrorBoxAtATimeAndNotSteppedPast) {
    WriteSolidJpeg(folder / "vue1.jpg", 16, 16, kRed);
    WriteFileBytes(folder / "vue2.jpg", "\xFF");
    const std::string base = folder / "vue";
    script.AnswerFileDialog(folder / "vue1.jpg")
        .Advance(6000)
        .Check([&] {
            EXPECT_EQ(MainCaption(), ViewCaption(base, 2));
            EXPECT_EQ(ErrorBoxes(),
                      (std::vector<Seen>{{Application->AppTitle().ToStdString(), "Erreur de lecture du flux."}}));
        })
        .Advance(9000)
        .Check([&] { EXPECT_EQ(ErrorBoxes().size(), 1u) << "no box piles up while one is open"; })
        .AnswerMessageBox(platform::IDOK)
        .Check([&] {
            EXPECT_EQ(Orvalis->NumVue, 2) << "a view whose load raised is not stepped past";
            EXPECT_TRUE(Orvalis->Timer1->Enabled());
            ExpectNoFileOpen();
        })
        .Advance(3000)
        .Check([&] { EXPECT_EQ(ErrorBoxes().size(), 2u) << "the next tick tries the view again"; })
        .AnswerMessageBox(platform::IDOK)
        .Check([&] { WriteSolidJpeg(folder / "vue2.jpg", 16, 16, kGreen); })
        .Advance(3000)
        .Check([&] {
            EXPECT_EQ(ErrorBoxes().size(), 2u);
            EXPECT_NEAR_COLOUR(MainPixel(8, 8), kGreen);
            EXPECT_EQ(Orvalis->NumVue, 3);
        })
        .Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
}

TEST_F(ViewerSeries, QuitterEndsTheProgram) {
    script.CancelFileDialog().ChooseMenu(WindowTarget::Active(), {"Fichier", "Quitter"});
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_EQ(Orvalis, nullptr);
    EXPECT_TRUE(fs::exists(folder / "espion.log"));
}

TEST_F(ViewerSeries, TheEndOfTheSessionClosesTheOpenDialogAndEndsTheProgram) {
    platform::InstallEndSessionHandler();
    script.Check([] { std::raise(SIGTERM); }).Check([&] {
        EXPECT_EQ(backend.ShownFileDialogBox(), nullptr) << "the dialog went as if cancelled";
        EXPECT_TRUE(Orvalis->NomBase.IsEmpty());
        EXPECT_TRUE(Application->QuitRequested());
    });
    // No further action: the main loop sees its quit flag before it would wait.
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_EQ(backend.FileDialogsShown(), 1u);
}

}  // namespace
}  // namespace orvalis::test

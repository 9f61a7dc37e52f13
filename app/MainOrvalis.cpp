#include "app/MainOrvalis.h"

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

#include "app/ColourCount.h"
#include "app/FileNames.h"
#include "app/ImageLoading.h"
#include "app/UOptions.h"
#include "app/ViewerTexts.h"
#include "classes/ClassBuilder.h"
#include "codecs/JPEGImage.h"
#include "framework/Application.h"
#include "framework/Image.h"
#include "framework/Menu.h"
#include "framework/MenuItem.h"
#include "framework/MessageDialog.h"
#include "framework/OpenDialog.h"
#include "framework/Timer.h"
#include "graphics/Bitmap.h"
#include "platform/FileTests.h"
#include "platform/OpenFileDialog.h"
#include "platform/VirtualKeys.h"
#include "runtime/Format.h"
#include "runtime/ScopedValue.h"
#include "runtime/TextConversions.h"

namespace orvalis {

TOrvalis* Orvalis = nullptr;

namespace {

constexpr const char* kLogFileName = "espion.log";

// The cause of a failed write of the log, in the user's words.
String WriteFailureWords(int error) {
    for (const texts::WriteFailureCause& cause : texts::kWriteFailureCauses)
        if (cause.error == error) return String(cause.words);
    return Format(texts::kOtherWriteFailure, {error});
}

// A file that "Ouvrir" would show as a view, and that the worker would read: a JPEG name
// on a regular file no larger than a picture.
bool IsViewFile(const String& name) {
    const String extension = ExtensionFichier(name);
    if (!(extension == "JPG" || extension == "JPEG")) return false;
    struct stat status {};
    return ::stat(name.CStr(), &status) == 0 && S_ISREG(status.st_mode) &&
           static_cast<std::uint64_t>(status.st_size) <= NextViewPreparation::kLargestFile;
}

}  // namespace

const TClassInfo& TOrvalis::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TOrvalis, TForm>("TOrvalis")
                                       .Field("Image1", &TOrvalis::Image1)
                                       .Field("OpenDialog1", &TOrvalis::OpenDialog1)
                                       .Field("Timer1", &TOrvalis::Timer1)
                                       .Field("MainMenu1", &TOrvalis::MainMenu1)
                                       .Field("Fichier1", &TOrvalis::Fichier1)
                                       .Field("mOuvrir", &TOrvalis::mOuvrir)
                                       .Field("Quitter1", &TOrvalis::Quitter1)
                                       .Field("mOptions", &TOrvalis::mOptions)
                                       .Field("TraitementPNG1", &TOrvalis::TraitementPNG1)
                                       .Field("Comptagedescouleurs1", &TOrvalis::Comptagedescouleurs1)
                                       .Field("Modifcouleurs1", &TOrvalis::Modifcouleurs1)
                                       .Method("FormActivate", &TOrvalis::FormActivate)
                                       .Method("FormClick", &TOrvalis::FormClick)
                                       .Method("FormClose", &TOrvalis::FormClose)
                                       .Method("FormKeyPress", &TOrvalis::FormKeyPress)
                                       .Method("FormShortCut", &TOrvalis::FormShortCut)
                                       .Method("Timer1Timer", &TOrvalis::Timer1Timer)
                                       .Method("mOuvrirClick", &TOrvalis::mOuvrirClick)
                                       .Method("Quitter1Click", &TOrvalis::Quitter1Click)
                                       .Method("mOptionsClick", &TOrvalis::mOptionsClick)
                                       .Method("Comptagedescouleurs1Click", &TOrvalis::Comptagedescouleurs1Click);
    return info;
}

TOrvalis::TOrvalis(TComponent* owner) : TForm(owner) {}

TOrvalis::~TOrvalis() = default;

void TOrvalis::ConstructionBody() {
    NomBase = String();
    viewExtension_ = String(kViewExtension);
    BitmapCourant = std::make_unique<TBitmap>();
    ArretSurImage = false;
    FichierLog = LogFile::Open(kLogFileName, logOpenFailure_);
    OpenDialog1->OnSelectionChange = TNotifyEvent(this, &TOrvalis::OpenDialog1SelectionChange);
}

// The window is activated once, when it is first shown: the open dialog greets the user,
// unless the command line named the file.
void TOrvalis::FormActivate(TObject* Sender) {
    if (fileAtStart_.IsEmpty())
        mOuvrirClick(Sender);
    else
        OpenFileGivenAtStart();
}

void TOrvalis::OpenAtStart(const String& name) {
    fileAtStart_ = String(std::filesystem::absolute(name.ToStdString()).lexically_normal().string());
    // Read and decoded while the window is made and shown.
    if (IsViewFile(fileAtStart_)) PrepareFile(fileAtStart_);
}

void TOrvalis::OpenFileGivenAtStart() {
    const std::string name = std::exchange(fileAtStart_, String()).ToStdString();
    if (platform::DirectoryExists(name)) {
        OpenDialog1->SetInitialDir(String(name));  // the dialog goes into a chosen folder
        mOuvrirClick(this);
        return;
    }
    if (!platform::FileExists(name)) {
        const bool folderThere = platform::DirectoryExists(std::filesystem::path(name).parent_path().string());
        using Reason = platform::FileDialogRefusal::Reason;
        ShowMessageDialog(platform::RefusalText({folderThere ? Reason::FileNotFound : Reason::PathNotFound, name}),
                          dkWarning, DialogButtons({dbOK}), 0);
        mOuvrirClick(this);
        return;
    }
    OpenDialog1->SetTitle(String(texts::kOpenDialogTitle));
    OpenDialog1->SetFilter(String(texts::kOpenDialogFilter));
    OpenDialog1->SetFileName(String(name));
    OpenChoice();
}

void TOrvalis::FormClick(TObject*) { VueSuivante(); }

void TOrvalis::FormKeyPress(TObject*, char32_t&) { VueSuivante(); }

void TOrvalis::FormShortCut(TWMKey& Msg, bool&) {
    if (Msg.CharCode == platform::VK_ESCAPE) RequestClose();
}

void TOrvalis::Timer1Timer(TObject*) {
    if (!ArretSurImage) VueSuivante();
}

void TOrvalis::FormClose(TObject*, TCloseAction& Action) {
    nextView_.Cancel();
    BitmapCourant.reset();
    Action = closeFree;
}

void TOrvalis::Quitter1Click(TObject*) {
    RequestClose();
    FichierLog.reset();
}

void TOrvalis::mOptionsClick(TObject*) {
    nextView_.Cancel();
    Options->ShowAsModal();
    PrepareNextView();
}

void TOrvalis::VueSuivante() {
    if (advancing_) return;
    ScopedValue advancing(advancing_, true);
    try {
        ShowNextView();
    } catch (...) {
        // The application's error box, shown while the advance still holds the ticks
        // back: a view that keeps failing gives one box at a time, not one per tick.
        HandleUncaughtException(this);
    }
}

void TOrvalis::ShowNextView() {
    if (!BitmapCourant) return;  // the window has closed
    const String name = NextViewName();
    if (name.IsEmpty()) return;
    SetCaption(String(texts::kViewCaptionStart) + NomBase + texts::kViewCaptionMiddle + IntToStr(NumVue));
    Image1->Picture()->CopyFromObject(
        LitBitmap(name, *BitmapCourant, selectionPrepared_ ? nullptr : &nextView_, Image1->Picture()));
    Image1->Invalidate();
    ++NumVue;
    PrepareNextView();
}

String TOrvalis::NextViewName() const { return FindViewFile(NomBase + IntToStr(NumVue), viewExtension_); }

void TOrvalis::PrepareNextView() {
    if (!BitmapCourant || selectionPrepared_) return;
    String name = NextViewName();
    // Not there yet: it may come, most likely spelt like the chosen file.
    if (name.IsEmpty()) name = NomBase + IntToStr(NumVue) + viewExtension_;
    PrepareFile(name);
}

void TOrvalis::PrepareFile(const String& name) {
    nextView_.Prepare(name, TJPEGImage().DecodeSettings());  // the loader's own settings
}

void TOrvalis::OpenDialog1SelectionChange(TObject*) {
    const String selected = OpenDialog1->FileName();
    if (IsViewFile(selected)) {
        PrepareFile(selected);
        selectionPrepared_ = true;
    } else if (std::exchange(selectionPrepared_, false)) {
        nextView_.Cancel();
    }
}

void TOrvalis::mOuvrirClick(TObject*) {
    OpenDialog1->SetTitle(String(texts::kOpenDialogTitle));
    OpenDialog1->SetFilter(String(texts::kOpenDialogFilter));
    const bool seriesPrepared = nextView_.Pending();
    const bool chosen = OpenDialog1->RunDialog();
    if (std::exchange(selectionPrepared_, false) && !chosen) {
        // Nothing chosen: the selection's picture goes, and the series has its next view
        // prepared again if it had.
        nextView_.Cancel();
        if (seriesPrepared) PrepareNextView();
    }
    if (chosen) OpenChoice();
}

void TOrvalis::OpenChoice() {
    // Another file: what was prepared for anything else goes at once; the chosen file's
    // own preparation (made while it was selected, or while the window was made) stays
    // for the loader, which takes it if the file is still the one read.
    nextView_.CancelUnless(OpenDialog1->FileName());
    OpenChosenFile();
    PrepareNextView();
}

void TOrvalis::OpenChosenFile() {
    NomBase = OpenDialog1->FileName();
    viewExtension_ = ViewExtensionOf(NomBase);
    const String extension = ExtensionFichier(NomBase);

    if (extension == "JPG" || extension == "JPEG") {
        if (!BitmapCourant) return;  // the window has closed
        Image1->Picture()->CopyFromObject(LitBitmap(NomBase, *BitmapCourant, &nextView_, Image1->Picture()));
        // The picture's size as shown: one picture pixel to one device pixel.
        SetClientWidth(Image1->ShownPictureWidth());
        SetClientHeight(Image1->ShownPictureHeight());
        String base;
        if (!SeriesBaseName(NomBase, base)) {
            ShowMessageDialog(texts::kIncorrectFileName, dkWarning, DialogButtons({dbOK}), 0);
            return;
        }
        NumVue = 1;
        NomBase = base;
    } else if (extension == "PNG") {
        BitmapCourant = std::make_unique<TBitmap>();
        BitmapCourant->SetPixelLayout(pl32Bit);
        LitPNG(NomBase, *BitmapCourant);
    }
}

void TOrvalis::Comptagedescouleurs1Click(TObject*) {
    if (!BitmapCourant || BitmapCourant->PixelLayout() != pl32Bit) {
        MessageErreur(String(texts::kWrongBitmapFormat), 0);
        return;
    }
    Image1->Picture()->CopyFromObject(BitmapCourant.get());
    Image1->Invalidate();
    if (!FichierLog) {
        const bool notWritable = logOpenFailure_ == LogFile::OpenFailure::NotWritable;
        MessageErreur(String(notWritable ? texts::kLogNotWritable : texts::kLogUnavailable), 0);
        return;
    }
    FichierLog->Write(FormatColourReport(CountBitmapColours(*BitmapCourant)));
    // A report that could not be written whole is cut off again; the next count tries anew.
    if (const int error = FichierLog->Flush())
        MessageErreur(Format(texts::kLogWriteFailed, {WriteFailureWords(error)}), 0);
}

}  // namespace orvalis

#pragma once
// TOrvalis, the viewer's main window (unit MainOrvalis): one view of a numbered series at
// a time in Image1, the series and the view number in the caption, the views advanced by
// Timer1's ticks, by keys and by clicks on the window itself; the menu opens a series or
// a PNG image, quits, shows the options dialog and runs the colour count.
//
// A series is base1.jpg, base2.jpg, ... in one folder. Opening any JPEG file of it shows
// that file, sizes the client area to it and sets NomBase (the path without the view
// number and extension) and NumVue 1; each advance then shows NomBase + NumVue + ".jpg"
// (the extension in any letter case) when such an entry exists and steps NumVue, so
// that the end of a series waits for the next file to appear.

#include <cstdint>
#include <memory>

#include "app/LogFile.h"
#include "app/NextViewPreparation.h"
#include "framework/Form.h"
#include "runtime/String.h"

namespace orvalis {

class TBitmap;
class TImage;
class TMainMenu;
class TMenuItem;
class TOpenDialog;
class TTimer;

class TOrvalis : public TForm {
    ORVALIS_TYPE_INFO(TOrvalis)

    explicit TOrvalis(TComponent* owner);
    ~TOrvalis() override;

    // Components of the form resource.
    TImage* Image1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    TTimer* Timer1 = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* Fichier1 = nullptr;
    TMenuItem* mOuvrir = nullptr;
    TMenuItem* Quitter1 = nullptr;
    TMenuItem* mOptions = nullptr;
    TMenuItem* TraitementPNG1 = nullptr;
    TMenuItem* Comptagedescouleurs1 = nullptr;
    TMenuItem* Modifcouleurs1 = nullptr;

    // Handlers bound by the form resource.
    void FormActivate(TObject* Sender);
    void FormClick(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormKeyPress(TObject* Sender, char32_t& Key);
    void FormShortCut(TWMKey& Msg, bool& Handled);
    void Timer1Timer(TObject* Sender);
    void mOuvrirClick(TObject* Sender);
    void Quitter1Click(TObject* Sender);
    void mOptionsClick(TObject* Sender);
    void Comptagedescouleurs1Click(TObject* Sender);

    // The window's state.
    // The log file "espion.log" of the working directory; none when it could not be
    // created or opened for writing, and none once "Quitter" has closed it.
    std::unique_ptr<LogFile> FichierLog;
    // The number of the view that the next advance shows.
    std::int32_t NumVue = 0;
    // The series' path without view number and extension (or a whole file name).
    String NomBase;
    // The image loaded last; none once the window has closed.
    std::unique_ptr<TBitmap> BitmapCourant;
    // "Arrêt sur image": timer ticks do not advance.
    bool ArretSurImage = false;

    // The file to open at first show in place of the first file dialog (the command
    // line's); a relative name is taken from the working directory.
    void OpenAtStart(const String& name);

    // The file of the next advance, read and decoded while this view is shown; or the
    // file selected in the open dialog, or given on the command line, while the user
    // chooses or the window is made.
    NextViewPreparation& NextView() { return nextView_; }

protected:
    // Truncates the log file; the series starts empty.
    void ConstructionBody() override;

private:
    // The advance, unless one is under way already (a tick while its box is up).
    void VueSuivante();
    // The advance itself: shows the next view when an entry of its name exists.
    void ShowNextView();
    // The file the next advance shows: the series' next name, its extension in any case;
    // empty when there is none.
    String NextViewName() const;
    // Has the file of the next advance prepared (once the window holds a bitmap), unless
    // the preparation serves the dialog's selection.
    void PrepareNextView();
    // Has `name` prepared with the settings the loader decodes with.
    void PrepareFile(const String& name);
    // The dialog's selection moved: a view is prepared for "Ouvrir", anything else ends
    // the preparation of the one selected before.
    void OpenDialog1SelectionChange(TObject* Sender);
    // The open command once a file was chosen: what was prepared for any other file goes.
    void OpenChoice();
    void OpenChosenFile();
    // The file given at start, opened as if chosen; one that is not there is told and the
    // first dialog follows, as when the dialog refuses a choice.
    void OpenFileGivenAtStart();

    // An advance (with any box it raised) is under way: ticks start no other.
    bool advancing_ = false;
    NextViewPreparation nextView_;
    // The preparation serves the open dialog's selection: the advances that the dialog's
    // ticks run leave it alone.
    bool selectionPrepared_ = false;
    // Why FichierLog is none, when the start-up could not open it.
    LogFile::OpenFailure logOpenFailure_ = LogFile::OpenFailure::None;

    // OpenAtStart's file, until the first show opens it.
    String fileAtStart_;

    // The spelling of ".jpg" that the views are looked for with first: the chosen file's.
    String viewExtension_;
};

// The main window, set by the start-up.
extern TOrvalis* Orvalis;

}  // namespace orvalis

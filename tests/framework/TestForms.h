#pragma once
// Two forms built from their resources, as a program has them (forms/MainTestForm.form
// and forms/DialogTestForm.form, embedded at build time): a main window with a
// windowless picture, a timer and a main menu, and a dialog with two focusable boxes
// that ends its modal loop. The handlers record what they saw.

#include <string>
#include <vector>

#include "framework/Form.h"
#include "framework/Menu.h"
#include "framework/Timer.h"
#include "tests/framework/FrameworkTest.h"

namespace orvalis::test {

// The destructions of test forms, in order (their names).
std::vector<std::string>& DestructionLog();

class TMainTestForm : public TForm {
    ORVALIS_TYPE_INFO(TMainTestForm)

    explicit TMainTestForm(TComponent* owner) : TForm(owner) {}
    ~TMainTestForm() override;

    TTestPicture* Picture1 = nullptr;
    TTimer* Timer1 = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* Fichier1 = nullptr;
    TMenuItem* mOuvrir = nullptr;
    TMenuItem* mAbandon = nullptr;
    TMenuItem* Quitter1 = nullptr;
    TMenuItem* mOptions = nullptr;
    TMenuItem* Modif1 = nullptr;

    void FormActivate(TObject* Sender);
    void FormClick(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormKeyPress(TObject* Sender, char32_t& Key);
    void FormShortCut(TWMKey& Msg, bool& Handled);
    void Timer1Timer(TObject* Sender);
    void mOuvrirClick(TObject* Sender);
    void mAbandonClick(TObject* Sender);
    void Quitter1Click(TObject* Sender);
    void mOptionsClick(TObject* Sender);

    // What the handlers saw.
    int activations = 0;
    int clicks = 0;
    int ticks = 0;
    int closes = 0;
    std::vector<std::uint16_t> shortCuts;  // the key codes
    std::u32string keys;                   // the characters of OnKeyPress
    TObject* menuSender = nullptr;
    TModalResult dialogResult = -1;
    int activationsAfterDialog = -1;
    bool childrenInBody = false;
    // What the handlers do.
    TCloseAction closeAction = closeFree;
    bool openRunsOutOfMemory = false;  // "Ouvrir" fails to allocate rather than raising its error
    bool escapeCloses = true;

protected:
    void ConstructionBody() override;
};

class TDialogTestForm : public TForm {
    ORVALIS_TYPE_INFO(TDialogTestForm)

    explicit TDialogTestForm(TComponent* owner) : TForm(owner) {}
    ~TDialogTestForm() override;

    TTestBox* OK = nullptr;
    TTestBox* Annuler = nullptr;

    void FormActivate(TObject* Sender);
    void OKClick(TObject* Sender);
    void AnnulerClick(TObject* Sender);
    void BoxKeyPress(TObject* Sender, char32_t& Key);

    int activations = 0;
    std::u32string keys;  // the characters the boxes got
};

// The program's references to its forms.
extern TMainTestForm* MainForm;
extern TDialogTestForm* DialogForm;

}  // namespace orvalis::test

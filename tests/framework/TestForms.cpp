#include "tests/framework/TestForms.h"

#include <new>

#include "classes/ClassBuilder.h"
#include "platform/VirtualKeys.h"
#include "runtime/Exceptions.h"

namespace orvalis::test {

TMainTestForm* MainForm = nullptr;
TDialogTestForm* DialogForm = nullptr;

std::vector<std::string>& DestructionLog() {
    static std::vector<std::string> log;
    return log;
}

const TClassInfo& TMainTestForm::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TMainTestForm, TForm>("TMainTestForm")
                                       .Field("Picture1", &TMainTestForm::Picture1)
                                       .Field("Timer1", &TMainTestForm::Timer1)
                                       .Field("MainMenu1", &TMainTestForm::MainMenu1)
                                       .Field("Fichier1", &TMainTestForm::Fichier1)
                                       .Field("mOuvrir", &TMainTestForm::mOuvrir)
                                       .Field("mAbandon", &TMainTestForm::mAbandon)
                                       .Field("Quitter1", &TMainTestForm::Quitter1)
                                       .Field("mOptions", &TMainTestForm::mOptions)
                                       .Field("Modif1", &TMainTestForm::Modif1)
                                       .Method("FormActivate", &TMainTestForm::FormActivate)
                                       .Method("FormClick", &TMainTestForm::FormClick)
                                       .Method("FormClose", &TMainTestForm::FormClose)
                                       .Method("FormKeyPress", &TMainTestForm::FormKeyPress)
                                       .Method("FormShortCut", &TMainTestForm::FormShortCut)
                                       .Method("Timer1Timer", &TMainTestForm::Timer1Timer)
                                       .Method("mOuvrirClick", &TMainTestForm::mOuvrirClick)
                                       .Method("mAbandonClick", &TMainTestForm::mAbandonClick)
                                       .Method("Quitter1Click", &TMainTestForm::Quitter1Click)
                                       .Method("mOptionsClick", &TMainTestForm::mOptionsClick);
    return info;
}

TMainTestForm::~TMainTestForm() { DestructionLog().push_back(Name().ToStdString()); }

void TMainTestForm::ConstructionBody() { childrenInBody = Picture1 && Timer1 && MainMenu1; }

void TMainTestForm::FormActivate(TObject*) { ++activations; }
void TMainTestForm::FormClick(TObject*) { ++clicks; }

void TMainTestForm::FormClose(TObject*, TCloseAction& Action) {
    ++closes;
    Action = closeAction;
}

void TMainTestForm::FormKeyPress(TObject*, char32_t& Key) { keys += Key; }

void TMainTestForm::FormShortCut(TWMKey& Msg, bool&) {
    shortCuts.push_back(Msg.CharCode);
    if (escapeCloses && Msg.CharCode == platform::VK_ESCAPE) RequestClose();
}

void TMainTestForm::Timer1Timer(TObject*) { ++ticks; }

void TMainTestForm::mOuvrirClick(TObject* Sender) {
    menuSender = Sender;
    if (openRunsOutOfMemory) throw std::bad_alloc();
    throw Exception(String("Fichier introuvable"));
}

void TMainTestForm::mAbandonClick(TObject* Sender) {
    menuSender = Sender;
    Abort();
}

void TMainTestForm::Quitter1Click(TObject* Sender) {
    menuSender = Sender;
    RequestClose();
}

void TMainTestForm::mOptionsClick(TObject* Sender) {
    menuSender = Sender;
    dialogResult = DialogForm->ShowAsModal();
    activationsAfterDialog = activations;
}

const TClassInfo& TDialogTestForm::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TDialogTestForm, TForm>("TDialogTestForm")
                                       .Field("OK", &TDialogTestForm::OK)
                                       .Field("Annuler", &TDialogTestForm::Annuler)
                                       .Method("FormActivate", &TDialogTestForm::FormActivate)
                                       .Method("OKClick", &TDialogTestForm::OKClick)
                                       .Method("AnnulerClick", &TDialogTestForm::AnnulerClick)
                                       .Method("BoxKeyPress", &TDialogTestForm::BoxKeyPress);
    return info;
}

TDialogTestForm::~TDialogTestForm() { DestructionLog().push_back(Name().ToStdString()); }

void TDialogTestForm::FormActivate(TObject*) { ++activations; }
void TDialogTestForm::OKClick(TObject*) { SetModalResult(mrYes); }
void TDialogTestForm::AnnulerClick(TObject*) { SetModalResult(mrCancel); }
void TDialogTestForm::BoxKeyPress(TObject*, char32_t& Key) { keys += Key; }

}  // namespace orvalis::test

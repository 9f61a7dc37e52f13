#include "tests/framework/TestForms.h"

#include <new>

#include "framework/classes/ClassBuilder.h"
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

void RegisterTestFormResources() {
    FormResource main;
    main.Component("TMainTestForm", "MainForm")
        .Int("Left", 237)
        .Int("Top", 205)
        .Int("Width", 696)
        .Int("Height", 480)
        .Text("Caption", "Orvalis")
        .Ident("Color", "clBtnFace")
        .Ident("Font.Charset", "DEFAULT_CHARSET")
        .Ident("Font.Color", "clWindowText")
        .Int("Font.Height", -11)
        .Text("Font.Name", "MS Sans Serif")
        .Set("Font.Style", {})
        .Ident("Menu", "MainMenu1")
        .Bool("OldCreateOrder", false)
        .Ident("OnActivate", "FormActivate")
        .Ident("OnClick", "FormClick")
        .Ident("OnClose", "FormClose")
        .Ident("OnKeyPress", "FormKeyPress")
        .Ident("OnShortCut", "FormShortCut")
        .Int("PixelsPerInch", 96)
        .Int("TextHeight", 13)
        .Children()
        .Component("TTestPicture", "Picture1")
        .Int("Left", 0)
        .Int("Top", 0)
        .Int("Width", 200)
        .Int("Height", 100)
        .Ident("Color", "clRed")
        .Leaf()
        .Component("TTimer", "Timer1")
        .Int("Interval", 3000)
        .Ident("OnTimer", "Timer1Timer")
        .Int("Left", 280)
        .Int("Top", 112)
        .Leaf()
        .Component("TMainMenu", "MainMenu1")
        .Children()
        .Component("TMenuItem", "Fichier1")
        .Text("Caption", "&Fichier")
        .Children()
        .Component("TMenuItem", "mOuvrir")
        .Text("Caption", "Ouvrir")
        .Ident("OnClick", "mOuvrirClick")
        .Leaf()
        .Component("TMenuItem", "mAbandon")
        .Text("Caption", "Abandon")
        .Ident("OnClick", "mAbandonClick")
        .Leaf()
        .Component("TMenuItem", "Quitter1")
        .Text("Caption", "Quitter")
        .Ident("OnClick", "Quitter1Click")
        .Leaf()
        .End()
        .Component("TMenuItem", "mOptions")
        .Text("Caption", "Options")
        .Ident("OnClick", "mOptionsClick")
        .Leaf()
        .Component("TMenuItem", "Modif1")
        .Text("Caption", "Modif. couleurs")
        .Leaf()
        .End()
        .End();
    main.Register("TMAINTESTFORM");

    FormResource dialog;
    dialog.Component("TDialogTestForm", "DialogForm")
        .Int("Left", 529)
        .Int("Top", 197)
        .Int("Width", 186)
        .Int("Height", 165)
        .Ident("BorderStyle", "bsDialog")
        .Text("Caption", "Options de visualisation")
        .Ident("OnActivate", "FormActivate")
        .Int("PixelsPerInch", 96)
        .Int("TextHeight", 13)
        .Children()
        .Component("TTestBox", "OK")
        .Int("Left", 8)
        .Int("Top", 104)
        .Int("Width", 75)
        .Int("Height", 25)
        .Text("Caption", "OK")
        .Int("TabOrder", 1)
        .Ident("OnClick", "OKClick")
        .Ident("OnKeyPress", "BoxKeyPress")
        .Leaf()
        .Component("TTestBox", "Annuler")
        .Int("Left", 96)
        .Int("Top", 104)
        .Int("Width", 75)
        .Int("Height", 25)
        .Text("Caption", "Annuler")
        .Int("TabOrder", 0)
        .Ident("OnClick", "AnnulerClick")
        .Ident("OnKeyPress", "BoxKeyPress")
        .Leaf()
        .End();
    dialog.Register("TDIALOGTESTFORM");
}

}  // namespace orvalis::test

#pragma once
// TOptions, the options dialog "Options de visualisation" (unit UOptions): the delay
// between two views, typed in eTimer or stepped from 1 to 20 with UpDownT, and the
// scrolling mode, "Continu" or "Arrêt sur image" (RadioGroup1). OK applies the choice to
// the main window's Timer1 and ArretSurImage; Annuler applies nothing. The dialog is
// built once at start-up and hidden between uses, so its controls keep what the user
// left in them, Annuler included.

#include "framework/Form.h"

namespace orvalis {

class TButton;
class TEdit;
class TLabel;
class TRadioGroup;
class TUpDown;

class TOptions : public TForm {
    ORVALIS_TYPE_INFO(TOptions)

    explicit TOptions(TComponent* owner) : TForm(owner) {}

    // Components of the form resource.
    TLabel* Label1 = nullptr;
    TEdit* eTimer = nullptr;
    TUpDown* UpDownT = nullptr;
    TRadioGroup* RadioGroup1 = nullptr;
    TButton* OK = nullptr;
    TButton* Annuler = nullptr;

    // "Continu": the typed delay read leniently (blanks, a sign, digits up to the first
    // other character; none gives 0) times 1000 ms, in 32 bits; "Arrêt sur image": the
    // longest interval and the stop flag. Then ModalResult 6.
    void OKClick(TObject* Sender);
    // ModalResult 2: nothing applied.
    void AnnulerClick(TObject* Sender);
};

// The options dialog, set by the start-up.
extern TOptions* Options;

}  // namespace orvalis

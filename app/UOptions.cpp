#include "app/UOptions.h"

#include <cstdint>

#include "app/MainOrvalis.h"
#include "classes/ClassBuilder.h"
#include "framework/Button.h"
#include "framework/Edit.h"
#include "framework/Label.h"
#include "framework/RadioGroup.h"
#include "framework/Timer.h"
#include "framework/UpDown.h"
#include "runtime/TextConversions.h"

namespace orvalis {

TOptions* Options = nullptr;

namespace {

// "Arrêt sur image": the largest 32-bit signed interval, about 24.8 days.
constexpr std::uint32_t kStoppedInterval = 2147483647;
constexpr TModalResult kOptionsApplied = mrYes;

}  // namespace

const TClassInfo& TOptions::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TOptions, TForm>("TOptions")
                                       .Field("Label1", &TOptions::Label1)
                                       .Field("eTimer", &TOptions::eTimer)
                                       .Field("UpDownT", &TOptions::UpDownT)
                                       .Field("RadioGroup1", &TOptions::RadioGroup1)
                                       .Field("OK", &TOptions::OK)
                                       .Field("Annuler", &TOptions::Annuler)
                                       .Method("OKClick", &TOptions::OKClick)
                                       .Method("AnnulerClick", &TOptions::AnnulerClick);
    return info;
}

void TOptions::OKClick(TObject*) {
    if (RadioGroup1->ItemIndex() == 0) {
        const std::int32_t seconds = LeadingInteger(eTimer->Text().View());
        // Wraps around in 32 bits; the timer takes the result as unsigned milliseconds.
        Orvalis->Timer1->SetInterval(static_cast<std::uint32_t>(seconds) * 1000u);
        Orvalis->ArretSurImage = false;
    } else {
        Orvalis->Timer1->SetInterval(kStoppedInterval);
        Orvalis->ArretSurImage = true;
    }
    SetModalResult(kOptionsApplied);
}

void TOptions::AnnulerClick(TObject*) { SetModalResult(mrCancel); }

}  // namespace orvalis

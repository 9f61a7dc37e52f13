// TLabel: the size it takes from its text (one line, or broken within its width), what
// it paints on its colour or on the form's, and the accelerator that focuses its
// FocusControl.

#include <cairo.h>

#include "framework/Button.h"
#include "framework/Edit.h"
#include "framework/Label.h"
#include "platform/Focus.h"
#include "platform/Painting.h"
#include "platform/VirtualKeys.h"
#include "platform/headless/Inspection.h"
#include "tests/framework/DialogControlsFixture.h"

namespace orvalis::test {
namespace {

TSize Extent(std::string_view text) {
    cairo_t* context = platform::GetDC(0);
    TCanvas canvas;
    canvas.SetHandle(context);
    TFont font;
    canvas.SetFont(font);
    const TSize extent = canvas.TextExtent(text);
    canvas.SetHandle(nullptr);
    platform::ReleaseDC(0, context);
    return extent;
}

using Labels = DialogControls;

TEST_F(Labels, AnAutoSizedLabelTakesTheSizeOfItsText) {
    Run([&](TApplication& application) {
        TForm* form = MakeForm(application);
        auto* label = Add<TLabel>(*form, "Texte", {10, 10, 75, 27});
        label->SetCaption("Délai entre chaque vue");
        EXPECT_EQ(label->Width(), Extent("Délai entre chaque vue").cx);
        EXPECT_EQ(label->Height(), 13) << "one line of the forms' font";
        label->SetCaption("&Fichier");
        EXPECT_EQ(label->Width(), Extent("Fichier").cx) << "the \"&\" marks the accelerator";
        label->SetShowAccelChar(false);
        EXPECT_EQ(label->Width(), Extent("&Fichier").cx);
        label->SetCaption("");
        EXPECT_EQ(label->Height(), 13) << "an empty label keeps a line";

        label->SetWordWrap(true);
        label->SetWidth(60);
        label->SetCaption("une vue de perspective après l'autre");
        EXPECT_EQ(label->Width(), 60) << "broken within its width";
        EXPECT_GE(label->Height(), 3 * 13);

        label->SetAutoSize(false);
        label->SetCaption("court");
        EXPECT_GE(label->Height(), 3 * 13) << "without AutoSize the size stays";
    });
}

TEST_F(Labels, ALabelPaintsItsColourUnlessTransparent) {
    TLabel* opaque = nullptr;
    TLabel* transparent = nullptr;
    TForm* form = nullptr;
    script.Check([&] {
        EXPECT_EQ(platform::headless::PixelAt(form->Handle(), At(*opaque, opaque->Width() - 1, 0)), 0x00FFFFu);
        EXPECT_EQ(platform::headless::PixelAt(form->Handle(), At(*transparent, transparent->Width() - 1, 0)),
                  0xF0F0F0u);
        bool dark = false;
        for (std::int32_t x = 0; x < opaque->Width(); ++x)
            for (std::int32_t y = 0; y < opaque->Height(); ++y)
                if ((platform::headless::PixelAt(form->Handle(), At(*opaque, x, y)) & 0xC0C0C0u) == 0) dark = true;
        EXPECT_TRUE(dark) << "the text in the font's colour";
    });
    Run([&](TApplication& application) {
        form = MakeForm(application);
        opaque = Add<TLabel>(*form, "Opaque", {10, 10, 75, 27});
        opaque->SetCaption("Vue");
        opaque->SetColor(clAqua);
        transparent = Add<TLabel>(*form, "Transparente", {10, 40, 75, 57});
        transparent->SetCaption("Vue");
        transparent->SetColor(clAqua);
        transparent->SetTransparent(true);
        form->Show();
        PumpUntilScriptEnds();
    });
}

TEST_F(Labels, TheAcceleratorFocusesTheFocusControl) {
    TForm* form = nullptr;
    TEdit* edit = nullptr;
    TButton* button = nullptr;
    script.Type("d")
        .Check([&] { EXPECT_EQ(platform::GetFocus(), edit->Handle()); })
        .Press(platform::VK_TAB)
        .Check([&] { delete edit; })
        .Type("d")
        .Check([&] { EXPECT_EQ(platform::GetFocus(), button->Handle()) << "the control went: nothing to focus"; });
    Run([&](TApplication& application) {
        form = MakeForm(application);
        button = Add<TButton>(*form, "Bouton", {10, 100, 85, 125});
        auto* label = Add<TLabel>(*form, "Texte", {10, 10, 75, 27});
        label->SetCaption("&Délai");
        edit = Add<TEdit>(*form, "Delai", {80, 10, 120, 31});
        label->SetFocusControl(edit);
        form->SetActiveControl(button);
        form->Show();
        PumpUntilScriptEnds();
    });
}

}  // namespace
}  // namespace orvalis::test

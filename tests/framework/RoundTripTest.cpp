// Forms made in code, written, read back and written again: the second writing gives the
// same bytes as the first, and every control reads back following its parent's colour
// and font, or not, as it did.

#include <optional>
#include <string>

#include "classes/Loading.h"
#include "classes/Writer.h"
#include "framework/Edit.h"
#include "framework/FrameworkClasses.h"
#include "framework/Label.h"
#include "tests/framework/DialogControlsFixture.h"

namespace orvalis::test {
namespace {

using RoundTrips = DialogControls;

std::string Written(TComponent& root) {
    TMemoryStream stream;
    {
        TWriter writer(stream);
        writer.WriteRootComponent(root);
    }
    return {reinterpret_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.Size())};
}

// What a control follows of its parent, and its own colour.
struct Following {
    bool parentColor;
    bool parentFont;
    TColor color;
    bool operator==(const Following&) const = default;
};

Following FollowingOf(const TControl& control) {
    return {control.ParentColor(), control.ParentFont(), control.Color()};
}

TEST_F(RoundTrips, AControlKeepsFollowingItsParentOrNotThroughAWritingAndAReading) {
    RegisterFrameworkClasses();
    struct Case {
        const char* what;
        bool edit;  // an edit box, else a label
        std::optional<TColor> color;
        std::optional<bool> parentColor;  // set after the colour
        std::optional<std::int32_t> fontHeight;
    };
    const Case cases[] = {
        {"label following the form", false, {}, {}, {}},  {"label in its own colour", false, clAqua, {}, {}},
        {"label in its own font", false, {}, {}, -20},    {"label following again", false, clAqua, true, {}},
        {"edit box in its own colour", true, {}, {}, {}}, {"edit box following the form", true, {}, true, {}},
    };
    Run([&](TApplication& application) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            TForm* form = MakeForm(application);
            form->SetColor(clYellow);
            TControl* control = c.edit ? static_cast<TControl*>(Add<TEdit>(*form, "Saisie", {8, 8, 80, 21}))
                                       : Add<TLabel>(*form, "Texte", {8, 8, 80, 21});
            if (c.color) control->SetColor(*c.color);
            if (c.parentColor) control->SetParentColor(*c.parentColor);
            if (c.fontHeight) control->Font()->SetHeight(*c.fontHeight);
            const Following made = FollowingOf(*control);
            const std::string first = Written(*form);
            // The copy is read under the name of the first form, which gives its own up.
            form->SetName("Ecrite");

            TForm* copy = nullptr;
            application.CreateAppForm(copy);
            TMemoryStream stream;
            stream.WriteBuffer(first.data(), first.size());
            stream.SetPosition(0);
            ReadComponentFromStream(stream, copy);
            ASSERT_EQ(copy->ControlCount(), 1);
            EXPECT_EQ(FollowingOf(*copy->Controls(0)), made);
            EXPECT_EQ(Written(*copy), first);
            delete copy;
            delete form;
        }
    });
}

}  // namespace
}  // namespace orvalis::test

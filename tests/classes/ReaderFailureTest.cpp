// Failures while reading form resources: each message with its exact text, what is
// freed and dropped on the way out, and resources built to hurt (truncated, nested
// too deep, lengths beyond the end, random damage).

#include <gtest/gtest.h>

#include <functional>

#include "classes/ClassRegistry.h"
#include "classes/Loading.h"
#include "classes/Reader.h"
#include "runtime/Exceptions.h"
#include "runtime/Resources.h"
#include "tests/classes/TestClasses.h"

namespace orvalis::test {
namespace {

enum class Family { ReadError, ClassNotFound, ComponentError };

struct FailureCase {
    const char* label;
    std::function<std::vector<std::uint8_t>()> resource;
    Family family;
    const char* message;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.label; }

// A form with one child whose properties `fill` writes.
std::vector<std::uint8_t> ChildWith(const std::function<void(Resource&)>& fill) {
    Resource resource;
    resource.Component("TTestForm", "Form1").Children().Component("TTestChild", "Button1");
    fill(resource);
    return resource.Leaf().End().Bytes();
}

std::vector<std::uint8_t> FormWith(const std::function<void(Resource&)>& fill) {
    Resource resource;
    resource.Component("TTestForm", "Form1");
    fill(resource);
    return resource.Leaf().Bytes();
}

std::vector<std::uint8_t> Nested(int depth) {
    Resource resource;
    resource.Component("TTestForm", "Form1").Children();
    for (int i = 0; i < depth; ++i) resource.Component("TTestChild", "C" + std::to_string(i)).Children();
    for (int i = 0; i <= depth; ++i) resource.End();
    return resource.Bytes();
}

const FailureCase kFailures[] = {
    {"signature", [] { return std::vector<std::uint8_t>{'T', 'P', 'F', '1', 0, 0}; }, Family::ReadError,
     "Format de flux incorrect"},
    {"stream ends", [] { return std::vector<std::uint8_t>{'T', 'P', 'F', '0', 9, 'T', 'T'}; }, Family::ReadError,
     "Erreur de lecture du flux"},
    {"unknown child class",
     [] {
         Resource r;
         return r.Component("TTestForm", "Form1").Children().Component("TUnknown", "X").Leaf().End().Bytes();
     },
     Family::ClassNotFound, "Classe TUnknown non trouvée"},
    {"child class not a component",
     [] {
         RegisterStreamClass(TStringList::StaticClassInfo());
         Resource r;
         return r.Component("TTestForm", "Form1").Children().Component("TStringList", "X").Leaf().End().Bytes();
     },
     Family::ClassNotFound, "Classe TStringList non trouvée"},
    {"unknown property", [] { return FormWith([](Resource& r) { r.Int("Foo", 1); }); }, Family::ReadError,
     "Erreur lors de la lecture de Form1.Foo: La propriété Foo n'existe pas"},
    {"unknown property of a child", [] { return ChildWith([](Resource& r) { r.Text("Titre", "x"); }); },
     Family::ReadError, "Erreur lors de la lecture de Button1.Titre: La propriété Titre n'existe pas"},
    {"unknown path segment", [] { return FormWith([](Resource& r) { r.Int("Police.Height", 1); }); }, Family::ReadError,
     "Erreur lors de la lecture de Form1.Police: La propriété Police n'existe pas"},
    {"path through a text", [] { return FormWith([](Resource& r) { r.Int("Caption.Height", 1); }); }, Family::ReadError,
     "Erreur lors de la lecture de Form1.Caption: Chemin de propriété incorrect"},
    {"path through an empty object", [] { return FormWith([](Resource& r) { r.Int("Menu.Tag", 1); }); },
     Family::ReadError, "Erreur lors de la lecture de Form1.Menu: Chemin de propriété incorrect"},
    {"integer for a text", [] { return FormWith([](Resource& r) { r.Int("Caption", 5); }); }, Family::ReadError,
     "Erreur lors de la lecture de Form1.Caption: Valeur de propriété incorrecte"},
    {"text for an integer", [] { return ChildWith([](Resource& r) { r.Text("Width", "5"); }); }, Family::ReadError,
     "Erreur lors de la lecture de Button1.Width: Valeur de propriété incorrecte"},
    {"text too long for a character", [] { return ChildWith([](Resource& r) { r.Text("Accelerator", "ab"); }); },
     Family::ReadError, "Erreur lors de la lecture de Button1.Accelerator: Valeur de propriété incorrecte"},
    {"unknown colour name", [] { return FormWith([](Resource& r) { r.Ident("Color", "clNothing"); }); },
     Family::ReadError, "Erreur lors de la lecture de Form1.Color: Valeur de propriété incorrecte"},
    {"identifier for an integer without names", [] { return ChildWith([](Resource& r) { r.Ident("Width", "Wide"); }); },
     Family::ReadError, "Erreur lors de la lecture de Button1.Width: Valeur de propriété incorrecte"},
    {"unknown enumeration name", [] { return ChildWith([](Resource& r) { r.Ident("Align", "alMiddle"); }); },
     Family::ReadError, "Erreur lors de la lecture de Button1.Align: Valeur de propriété incorrecte"},
    {"single float for a float",
     [] { return ChildWith([](Resource& r) {
              r.Raw("Ratio", {tagSingle, 0, 0, 0x80, 0x3F});
          }); }, Family::ReadError,
     "Erreur lors de la lecture de Button1.Ratio: Valeur de propriété incorrecte"},
    {"unknown handler", [] { return ChildWith([](Resource& r) { r.Ident("OnClick", "Button9Click"); }); },
     Family::ReadError, "Erreur lors de la lecture de Button1.OnClick: Valeur de propriété incorrecte"},
    {"handler of another signature", [] { return ChildWith([](Resource& r) { r.Ident("OnClick", "FormClose"); }); },
     Family::ReadError, "Erreur lors de la lecture de Button1.OnClick: Valeur de propriété incorrecte"},
    {"text for a binary property", [] { return ChildWith([](Resource& r) { r.Text("Data", "x"); }); },
     Family::ReadError, "Erreur lors de la lecture de Button1.Data: Valeur de propriété incorrecte"},
    {"integer for a list", [] { return FormWith([](Resource& r) { r.Int("Items.Strings", 5); }); }, Family::ReadError,
     "Erreur lors de la lecture de Form1.Strings: Valeur de propriété incorrecte"},
    {"read-only property", [] { return FormWith([](Resource& r) { r.Int("Counter", 1); }); }, Family::ReadError,
     "Erreur lors de la lecture de Form1.Counter: Propriété en lecture seule"},
    {"reference to a component of another class",
     [] {
         Resource r;
         r.Component("TTestForm", "Form1").Ident("Default", "Timer1").Children();
         return r.Component("TTestTimer", "Timer1").Leaf().End().Bytes();
     },
     Family::ReadError, "Erreur lors de la lecture de Form1.Default: Valeur de propriété incorrecte"},
    {"invalid child name",
     [] {
         Resource r;
         return r.Component("TTestForm", "Form1").Children().Component("TTestChild", "2x").Leaf().End().Bytes();
     },
     Family::ComponentError, "''2x'' n'est pas un nom de composant correct"},
    {"inherited child missing",
     [] {
         Resource r;
         r.Component("TTestForm", "Form1").Children();
         return r.Component("TTestChild", "Ghost", prefixInherited).Leaf().End().Bytes();
     },
     Family::ReadError, "Ancêtre de 'Ghost' non trouvé"},
    {"unknown tag", [] { return FormWith([](Resource& r) { r.Raw("Caption", {0x55}); }); }, Family::ReadError,
     "Erreur lors de la lecture de Form1.Caption: Format de flux incorrect"},
    {"children nested too deep", [] { return Nested(TReader::kMaxNesting + 1); }, Family::ReadError,
     "Format de flux incorrect"},
    {"lists nested too deep",
     [] {
         return FormWith([](Resource& r) {
             r.Name("Unknown");
             for (int i = 0; i < 10000; ++i) r.Writer().WriteListBegin();
             for (int i = 0; i < 10000; ++i) r.Writer().WriteListEnd();
         });
     },
     Family::ReadError, "Erreur lors de la lecture de Form1.Unknown: Format de flux incorrect"},
    {"binary of 4 GB in a short stream",
     [] { return ChildWith([](Resource& r) {
              r.Raw("Data", {tagBinary, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3});
          }); },
     Family::ReadError, "Erreur lors de la lecture de Button1.Data: Erreur de lecture du flux"},
    {"long text of 4 GB in a short stream",
     [] { return FormWith([](Resource& r) {
              r.Raw("Caption", {tagLString, 0xFF, 0xFF, 0xFF, 0xFF, 'a'});
          }); },
     Family::ReadError, "Erreur lors de la lecture de Form1.Caption: Erreur de lecture du flux"},
    {"wide text of 4 G units in a short stream",
     [] { return FormWith([](Resource& r) {
              r.Raw("Caption", {tagWString, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0});
          }); },
     Family::ReadError, "Erreur lors de la lecture de Form1.Caption: Erreur de lecture du flux"},
    {"skipped binary of 4 GB",
     [] { return FormWith([](Resource& r) {
              r.Raw("Unknown", {tagBinary, 0xFF, 0xFF, 0xFF, 0x7F, 1});
          }); },
     Family::ReadError, "Erreur lors de la lecture de Form1.Unknown: Erreur de lecture du flux"},
};

class ReadFailure : public testing::TestWithParam<FailureCase> {
protected:
    TestForms forms;
};

TEST_P(ReadFailure, RaisesItsMessageAndLeavesNothingBehind) {
    const FailureCase& c = GetParam();
    const std::vector<std::uint8_t> bytes = c.resource();
    TTestForm form(nullptr);
    const auto stream = StreamOf(bytes);
    try {
        ReadComponentFromStream(*stream, &form);
        FAIL() << "accepted";
    } catch (const Exception& error) {
        const bool ofFamily = c.family == Family::ReadError ? dynamic_cast<const EReadError*>(&error) != nullptr
                              : c.family == Family::ClassNotFound
                                  ? dynamic_cast<const EClassNotFound*>(&error) != nullptr
                                  : dynamic_cast<const EComponentError*>(&error) != nullptr;
        EXPECT_TRUE(ofFamily) << error.Message().View();
        EXPECT_EQ(error.Message(), c.message);
    }
    EXPECT_EQ(form.Button1, nullptr) << "the child that failed is freed";
    EXPECT_EQ(form.FindComponent("Button1"), nullptr);
    EXPECT_FALSE(TNameSpaceLock::Instance().IsWriteLocked());
    EXPECT_EQ(PendingCrossFormReferenceCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Messages, ReadFailure, testing::ValuesIn(kFailures));

TEST(ReadFailures, AnUnknownRootClassIsNamed) {
    Resource resource;
    const auto stream = StreamOf(resource.Component("TNoSuchForm", "F").Leaf().Bytes());
    try {
        ReadComponentFromStream(*stream, nullptr);
        FAIL() << "accepted";
    } catch (const EClassNotFound& error) {
        EXPECT_EQ(error.Message(), "Classe TNoSuchForm non trouvée");
    }
}

TEST(ReadFailures, ARootMadeByTheReaderGoesWithItsReferencesIntoOtherForms) {
    RegisterStreamClass(TTestForm::StaticClassInfo());
    Resource resource;
    resource.Component("TTestForm", "Made").Ident("Menu", "Elsewhere.Menu1").Children();
    resource.Component("TTestChild", "Button1").Ident("Associate", "Other.X").Leaf();
    resource.Component("TTestChild", "Button2").Int("Width", 1).Int("Oops", 1).Leaf().End();
    const auto stream = StreamOf(resource.Bytes());
    EXPECT_THROW(ReadComponentFromStream(*stream, nullptr), EReadError);
    EXPECT_EQ(PendingCrossFormReferenceCount(), 0);
}

TEST(ReadFailures, ResourcesAreReadOnlyAndFoundByName) {
    try {
        TResourceStream missing("TNOTHING");
        FAIL() << "found";
    } catch (const EResNotFound& error) {
        EXPECT_EQ(error.Message(), "Ressource TNOTHING non trouvée");
    }
    static const std::uint8_t bytes[] = {'T', 'P', 'F', '0'};
    RegisterResource(ResourceType::RawData, "TREADONLY", bytes);
    TResourceStream stream("treadonly");
    try {
        stream.WriteBuffer("x", 1);
        FAIL() << "written";
    } catch (const EStreamError& error) {
        EXPECT_EQ(error.Message(), "Impossible d'écrire dans un flux en lecture seule");
    }
}

// A resource with something of every kind, for the damage tests below.
std::vector<std::uint8_t> RichResource() {
    Resource resource;
    resource.Component("TTestForm", "Form1")
        .Text("Caption", "Arrêt sur image")
        .Ident("Color", "clBtnFace")
        .Int("Font.Height", -11)
        .Set("Font.Style", {"tsBold"})
        .Ident("Menu", "Timer1")
        .Ident("OnClose", "FormClose");
    resource.Name("Items.Strings");
    resource.Writer().WriteListBegin();
    resource.Writer().WriteText("un");
    resource.Writer().WriteText("deux");
    resource.Writer().WriteListEnd();
    resource.Name("Columns");
    resource.Writer().WriteTag(tagCollection);
    resource.Writer().WriteListBegin();
    resource.Writer().WriteShortString("Width");
    resource.Writer().WriteInteger(300);
    resource.Writer().WriteListEnd();
    resource.Writer().WriteListEnd();
    resource.Children()
        .Component("TTestChild", "Button1")
        .Int("Width", 197)
        .Ident("OnClick", "Button1Click")
        .Ident("Align", "alTop")
        .Name("Data");
    const std::uint8_t data[] = {1, 2, 3};
    resource.Writer().WriteBinary(data);
    resource.Children().Component("TTestChild", "Inner", prefixChildPos, 1).Leaf().End();
    resource.Component("TTestTimer", "Timer1").Int("Left", 280).Int("Interval", 3000).Leaf().End();
    return resource.Bytes();
}

TEST(ReadFailures, EveryTruncationFailsAsAShortRead) {
    const std::vector<std::uint8_t> full = RichResource();
    {
        TTestForm form(nullptr);
        const auto stream = StreamOf(full);
        ReadComponentFromStream(*stream, &form);  // the whole resource reads
        ASSERT_EQ(form.Button1->Width(), 197);
    }
    for (std::size_t length = 0; length < full.size(); ++length) {
        const std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
        TTestForm form(nullptr);
        const auto stream = StreamOf(cut);
        try {
            ReadComponentFromStream(*stream, &form);
            ADD_FAILURE() << "a resource cut to " << length << " bytes was accepted";
        } catch (const EReadError& error) {
            EXPECT_NE(error.Message().View().find("Erreur de lecture du flux"), std::string_view::npos)
                << length << ": " << error.Message().View();
        }
    }
    EXPECT_EQ(PendingCrossFormReferenceCount(), 0);
}

TEST(ReadFailures, RandomDamageEndsInAFrameworkErrorOrAForm) {
    const std::vector<std::uint8_t> full = RichResource();
    std::uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    int failures = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> damaged = full;
        const int changes = 1 + static_cast<int>(next() % 4);
        for (int i = 0; i < changes; ++i) {
            const std::size_t at = 4 + next() % (damaged.size() - 4);
            damaged[at] = (next() % 3 == 0) ? 0xFF : static_cast<std::uint8_t>(next() >> 24);
        }
        TTestForm form(nullptr);
        const auto stream = StreamOf(damaged);
        try {
            ReadComponentFromStream(*stream, &form);
        } catch (const Exception&) {
            ++failures;
        }
    }
    EXPECT_GT(failures, 0);
    EXPECT_FALSE(TNameSpaceLock::Instance().IsWriteLocked());
}

}  // namespace
}  // namespace orvalis::test

// The viewer's two forms as the build embeds them: found by name, stored with
// the documented bytes, complete, and printable back to the same bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "runtime/Exceptions.h"
#include "runtime/FileStream.h"
#include "runtime/Resources.h"
#include "tests/tools/FormTestSupport.h"
#include "tools/FormDecoder.h"
#include "tools/FormErrors.h"
#include "tools/FormPrinter.h"

namespace orvalis::formc::test {
namespace {

Bytes Resource(std::string_view name) {
    TResourceStream stream(name);
    Bytes bytes(static_cast<std::size_t>(stream.Size()));
    stream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

bool Contains(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

Bytes ShortString(std::string_view text) {
    return Concat({Bytes{static_cast<std::uint8_t>(text.size())}, TextBytes(text)});
}

Bytes Utf8Text(std::string_view text) {
    return Concat({Bytes{tagUtf8String, static_cast<std::uint8_t>(text.size()), 0, 0, 0}, TextBytes(text)});
}

TEST(ViewerForms, OptionsResourceBeginsWithTheDocumentedBytes) {
    const Bytes expected = Concat({HexBytes("54 50 46 30"), ShortString("TOptions"), ShortString("Options"),
                                   ShortString("Left"), HexBytes("03 11 02"), ShortString("Top"), HexBytes("03 C5 00"),
                                   ShortString("Width"), HexBytes("03 BA 00")});
    const Bytes options = Resource("TOPTIONS");
    ASSERT_GE(options.size(), expected.size());
    EXPECT_EQ(Bytes(options.begin(), options.begin() + static_cast<std::ptrdiff_t>(expected.size())), expected);
}

TEST(ViewerForms, StylesAreEmptySetsAndFontHeightsInt8) {
    for (const char* name : {"TOPTIONS", "TORVALIS"}) {
        const Bytes form = Resource(name);
        EXPECT_TRUE(Contains(form, Concat({ShortString("Font.Style"), HexBytes("0B 00")}))) << name;
        EXPECT_TRUE(Contains(form, Concat({ShortString("Font.Height"), HexBytes("02 F5")}))) << name;
    }
}

TEST(ViewerForms, AccentedTextsAreUtf8Texts) {
    const Bytes options = Resource("TOPTIONS");
    EXPECT_TRUE(Contains(options, Concat({ShortString("Caption"), Utf8Text("Délai entre chaque vue")})));
    EXPECT_TRUE(Contains(options, Concat({ShortString("Caption"), Utf8Text("Mode de défilement")})));
    EXPECT_TRUE(Contains(options, Concat({ShortString("Items.Strings"), HexBytes("01"), HexBytes("06"),
                                          ShortString("Continu"), Utf8Text("Arrêt sur image"), HexBytes("00")})));
    // The ASCII captions stay short texts.
    EXPECT_TRUE(Contains(options, Concat({ShortString("Caption"), HexBytes("06"), ShortString("Annuler")})));
}

TEST(ViewerForms, ResourcesAreFoundWithoutRegardToCase) {
    EXPECT_EQ(Resource("toptions"), Resource("TOPTIONS"));
    EXPECT_EQ(Resource("TOrvalis"), Resource("TORVALIS"));
    EXPECT_NE(Resource("TOrvalis"), Resource("TOptions"));
    EXPECT_THROW(Resource("TNothing"), EResNotFound);
}

TEST(ViewerForms, EmbeddedBytesAreTheCompiledSources) {
    for (const auto& [file, resource] :
         {std::pair{"Options.form", "TOPTIONS"}, std::pair{"Orvalis.form", "TORVALIS"}}) {
        TFileStream stream(String(ORVALIS_FORMS_DIR "/") + file, fmOpenRead);
        std::string source(static_cast<std::size_t>(stream.Size()), '\0');
        stream.ReadBuffer(source.data(), source.size());
        EXPECT_EQ(CompileForm(ParseFormSource(source, file)), Resource(resource)) << file;
    }
}

TEST(ViewerForms, PrintedResourcesCompileToTheSameBytes) {
    for (const char* name : {"TOPTIONS", "TORVALIS"}) {
        const Bytes form = Resource(name);
        EXPECT_EQ(Compile(PrintFormData(form)), form) << name;
    }
}

// "class name[children]" for the whole tree, in resource order.
std::string Outline(const FormComponent& component) {
    std::string text = component.className + " " + component.name;
    if (component.children.empty()) return text;
    text += "[";
    for (std::size_t i = 0; i < component.children.size(); ++i)
        text += (i ? ", " : "") + Outline(component.children[i]);
    return text + "]";
}

std::string PropertyNames(const FormComponent& component) {
    std::string names;
    for (const FormProperty& property : component.properties) names += (names.empty() ? "" : " ") + property.name;
    return names;
}

const FormComponent* Find(const FormComponent& root, std::string_view name) {
    if (root.name == name) return &root;
    for (const FormComponent& child : root.children)
        if (const FormComponent* found = Find(child, name)) return found;
    return nullptr;
}

// "Name.Property = printed value" lines for the named component's properties.
std::string Properties(const FormComponent& root, std::string_view name) {
    const FormComponent* component = Find(root, name);
    if (!component) return "missing";
    FormComponent alone = *component;
    alone.children.clear();
    return PrintForm(alone);
}

TEST(ViewerForms, MainWindowHasItsComponentsAndMenuInOrder) {
    const FormComponent root = DecodeForm(Resource("TORVALIS"));
    EXPECT_EQ(Outline(root),
              "TOrvalis Orvalis[TImage Image1, TOpenDialog OpenDialog1, TTimer Timer1, TMainMenu MainMenu1["
              "TMenuItem Fichier1[TMenuItem mOuvrir, TMenuItem Quitter1], TMenuItem mOptions, "
              "TMenuItem TraitementPNG1[TMenuItem Comptagedescouleurs1, TMenuItem Modifcouleurs1]]]");
    EXPECT_EQ(PropertyNames(root),
              "Left Top Width Height Caption Color Font.Charset Font.Color Font.Height Font.Name Font.Style Menu "
              "OldCreateOrder OnActivate OnClick OnClose OnKeyPress OnShortCut PixelsPerInch TextHeight");
    EXPECT_EQ(Properties(root, "Orvalis"),
              "TOrvalis Orvalis {\n  Left = 237\n  Top = 205\n  Width = 696\n  Height = 480\n  Caption = \"Orvalis\"\n"
              "  Color = clBtnFace\n  Font.Charset = DEFAULT_CHARSET\n  Font.Color = clWindowText\n"
              "  Font.Height = -11\n  Font.Name = \"MS Sans Serif\"\n  Font.Style = {}\n  Menu = MainMenu1\n"
              "  OldCreateOrder = False\n  OnActivate = FormActivate\n  OnClick = FormClick\n  OnClose = FormClose\n"
              "  OnKeyPress = FormKeyPress\n  OnShortCut = FormShortCut\n  PixelsPerInch = 96\n  TextHeight = 13\n}\n");
    EXPECT_EQ(Properties(root, "Image1"),
              "TImage Image1 {\n  Left = 0\n  Top = 0\n  Width = 688\n  Height = 434\n  Align = alClient\n}\n");
    EXPECT_EQ(Properties(root, "Timer1"),
              "TTimer Timer1 {\n  Interval = 3000\n  OnTimer = Timer1Timer\n  Left = 280\n  Top = 112\n}\n");
    EXPECT_EQ(PropertyNames(*Find(root, "OpenDialog1")), "Left Top");
    EXPECT_EQ(PropertyNames(*Find(root, "MainMenu1")), "Left Top");
}

struct MenuItem {
    const char* name;
    const char* properties;
};

TEST(ViewerForms, MenuItemsCarryTheirCaptionsAndHandlers) {
    const FormComponent root = DecodeForm(Resource("TORVALIS"));
    const MenuItem items[] = {
        {"Fichier1", "  Caption = \"Fichier\"\n"},
        {"mOuvrir", "  Caption = \"Ouvrir\"\n  OnClick = mOuvrirClick\n"},
        {"Quitter1", "  Caption = \"Quitter\"\n  OnClick = Quitter1Click\n"},
        {"mOptions", "  Caption = \"Options\"\n  OnClick = mOptionsClick\n"},
        {"TraitementPNG1", "  Caption = \"Traitement PNG\"\n"},
        // The caption ends with a blank.
        {"Comptagedescouleurs1", "  Caption = \"Comptage couleurs \"\n  OnClick = Comptagedescouleurs1Click\n"},
        {"Modifcouleurs1", "  Caption = \"Modif. couleurs\"\n"},
    };
    for (const MenuItem& item : items)
        EXPECT_EQ(Properties(root, item.name),
                  "TMenuItem " + std::string(item.name) + " {\n" + item.properties + "}\n");
}

TEST(ViewerForms, OptionsDialogHasItsControlsInOrder) {
    const FormComponent root = DecodeForm(Resource("TOPTIONS"));
    EXPECT_EQ(Outline(root),
              "TOptions Options[TLabel Label1, TEdit eTimer, TUpDown UpDownT, TRadioGroup RadioGroup1, TButton OK, "
              "TButton Annuler]");
    EXPECT_EQ(PropertyNames(root),
              "Left Top Width Height Caption Color Font.Charset Font.Color Font.Height Font.Name Font.Style "
              "OldCreateOrder PixelsPerInch TextHeight");
    const MenuItem controls[] = {
        {"Label1",
         "TLabel Label1 {\n  Left = 8\n  Top = 8\n  Width = 111\n  Height = 13\n"
         "  Caption = \"Délai entre chaque vue\"\n}\n"},
        {"eTimer",
         "TEdit eTimer {\n  Left = 128\n  Top = 8\n  Width = 25\n  Height = 21\n  TabOrder = 0\n"
         "  Text = \"3\"\n}\n"},
        // Associate names the edit box: an identifier, resolved when the form is read.
        {"UpDownT",
         "TUpDown UpDownT {\n  Left = 153\n  Top = 8\n  Width = 15\n  Height = 21\n  Associate = eTimer\n"
         "  Min = 1\n  Max = 20\n  Position = 3\n  TabOrder = 1\n  Wrap = False\n}\n"},
        {"RadioGroup1",
         "TRadioGroup RadioGroup1 {\n  Left = 24\n  Top = 40\n  Width = 129\n  Height = 57\n"
         "  Caption = \"Mode de défilement\"\n  ItemIndex = 0\n"
         "  Items.Strings = [\"Continu\", \"Arrêt sur image\"]\n  TabOrder = 2\n}\n"},
        {"OK",
         "TButton OK {\n  Left = 8\n  Top = 104\n  Width = 75\n  Height = 25\n  Caption = \"OK\"\n"
         "  TabOrder = 3\n  OnClick = OKClick\n}\n"},
        {"Annuler",
         "TButton Annuler {\n  Left = 96\n  Top = 104\n  Width = 75\n  Height = 25\n"
         "  Caption = \"Annuler\"\n  TabOrder = 4\n  OnClick = AnnulerClick\n}\n"},
    };
    for (const MenuItem& control : controls) EXPECT_EQ(Properties(root, control.name), control.properties);
}

// Any cut of a real form is malformed: refused cleanly, never printed.
TEST(ViewerForms, EveryTruncationIsRefused) {
    for (const char* name : {"TOPTIONS", "TORVALIS"}) {
        const Bytes form = Resource(name);
        for (std::size_t length = 0; length < form.size(); ++length) {
            const Bytes cut(form.begin(), form.begin() + static_cast<std::ptrdiff_t>(length));
            EXPECT_THROW(PrintFormData(cut), FormDataError) << name << " cut at " << length;
        }
    }
}

// A damaged form either is refused cleanly or prints as text that compiles
// back to exactly the damaged bytes.
TEST(ViewerForms, DamagedBytesAreRefusedOrRoundTrip) {
    const Bytes form = Resource("TOPTIONS");
    int printed = 0;
    for (std::size_t at = 0; at < form.size(); ++at) {
        for (const int damage : {0x00, 0x01, 0xF0, 0xFF, form[at] ^ 0x01, form[at] ^ 0x80}) {
            Bytes damaged = form;
            damaged[at] = static_cast<std::uint8_t>(damage);
            std::string text;
            try {
                text = PrintFormData(damaged);
            } catch (const FormDataError&) {
                continue;
            }
            ++printed;
            EXPECT_EQ(Compile(text), damaged) << "byte " << at << " set to " << damage << ":\n" << text;
        }
    }
    // Most single-byte damages inside texts and numbers still decode.
    EXPECT_GT(printed, 100);
}

}  // namespace
}  // namespace orvalis::formc::test

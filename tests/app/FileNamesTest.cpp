#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "app/FileNames.h"
#include "tests/app/ViewerFiles.h"
#include "tests/app/ViewerTest.h"

using namespace orvalis;

TEST(ExtensionFichier, UpperCaseExtensionOfTheLastDot) {
    struct Case {
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"vue3.jpeg", "JPEG"}, {"photo.JPG", "JPG"}, {"photo.Jpeg", "JPEG"}, {"photo.jpeg2", "."},
        {"a.b/c", "B/C"},      {"sans_point", ""},   {"x.png", "PNG"},       {"fin.", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ExtensionFichier(c.name), c.expected) << c.name;
}

TEST(SeriesBaseName, CutsTheViewNumberOrRefuses) {
    struct Case {
        const char* name;
        bool accepted;
        const char* base;
    };
    const Case cases[] = {
        {"/plans/vue3.jpg", true, "/plans/vue"},
        {"/plans/vue12.jpeg", true, "/plans/vue"},
        {"/plans/plan.jpg", true, "/plans/plan.jpg"},
        {"/plans/12.jpg", true, "/plans/"},
        {"/plans/.jpeg", true, "/plans/.jpeg"},
        {"7.jpg", false, ""},
        {"a12.jpg", false, ""},
        {"ab12.jpg", true, "ab"},
        {"/12.jpg", false, ""},
    };
    for (const Case& c : cases) {
        String base("unchanged");
        EXPECT_EQ(SeriesBaseName(c.name, base), c.accepted) << c.name;
        if (c.accepted) {
            EXPECT_EQ(base, c.base) << c.name;
        }
    }
}

TEST(SeriesBaseName, KeepsTheChosenNameUntouched) {
    const String chosen("/plans/vue12.jpg");
    String base;
    ASSERT_TRUE(SeriesBaseName(chosen, base));
    EXPECT_EQ(chosen, "/plans/vue12.jpg");
    EXPECT_EQ(base, "/plans/vue");
}

TEST(ViewExtensionOf, TheChosenSpellingOfJpgOrJpg) {
    const std::pair<const char*, const char*> cases[] = {
        {"/p/UP1.JPG", ".JPG"},
        {"/p/vue1.jpg", ".jpg"},
        {"/p/vue1.Jpg", ".Jpg"},
        {"/p/vue1.JPEG", ".jpg"},
        {"/p/image.png", ".jpg"},
        {"/p.JPG/sans_point", ".jpg"},
        {"", ".jpg"},
    };
    for (const auto& [chosen, expected] : cases) EXPECT_EQ(ViewExtensionOf(chosen), expected) << chosen;
}

TEST(FindViewFile, FindsTheViewInAnyLetterCaseOfItsExtensionWithTheStemExact) {
    const test::WorkFolder folder;
    for (const char* name : {"a1.JPG", "b1.jpg", "b1.JPG", "b1.jPg", "c1.Jpg", "c1.jPG", "d1.jpeg", "E1.jpg"})
        test::WriteFileBytes(folder / name, "x");
    std::filesystem::create_directory(folder / "f1.JpG");
    std::filesystem::create_symlink(folder / "missing", folder / "g1.JPG");
    const String dir = folder.Path().string() + "/";
    struct Case {
        const char* stem;
        const char* preferred;
        const char* found;  // "" for none
    };
    const Case cases[] = {
        {"a1", ".jpg", "a1.JPG"}, {"b1", ".JPG", "b1.JPG"}, {"b1", ".Jpg", "b1.jpg"},
        {"b1", ".jpg", "b1.jpg"}, {"c1", ".jpg", "c1.Jpg"},                            // byte order: "J" before "j"
        {"d1", ".jpg", ""},       {"e1", ".jpg", ""},       {"f1", ".jpg", "f1.JpG"},  // a folder counts
        {"g1", ".jpg", ""},                                                            // a broken link does not
    };
    for (const Case& c : cases) {
        const String expected = *c.found ? dir + c.found : String();
        EXPECT_EQ(FindViewFile(dir + c.stem, c.preferred), expected) << c.stem << " " << c.preferred;
    }
    // A stem without a folder is looked for in the working directory, and found as written.
    EXPECT_EQ(FindViewFile("a1", ".jpg"), "a1.JPG");
}

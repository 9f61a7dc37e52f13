#include <gtest/gtest.h>

#include "app/FileNames.h"

using namespace orvalis;

TEST(ExtensionFichier, UpperCaseExtensionOfTheLastDot) {
    struct Case {
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"vue3.jpeg", "JPEG"}, {"photo.JPG", "JPG"},  {"photo.Jpeg", "JPEG"}, {"photo.jpeg2", "."},
        {"a.b/c", "B/C"},      {"sans_point", ""},    {"x.png", "PNG"},       {"fin.", ""},
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

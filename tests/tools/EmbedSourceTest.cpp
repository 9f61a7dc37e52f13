// The generated C++ source that embeds forms.

#include <gtest/gtest.h>

#include "runtime/Exceptions.h"
#include "tools/EmbedSource.h"

namespace orvalis::formc {
namespace {

TEST(EmbedSource, RegistersEachFormUnderItsUpperCaseClassName) {
    const EmbeddedForm forms[] = {{"a/Options.form", "TOptions", {0x54, 0x50, 0x46, 0x30, 0x00}},
                                  {"a/Odd.form", "T\"odd\\", {0x54}}};
    const std::string source = GenerateEmbedSource(forms);
    EXPECT_NE(source.find("const std::uint8_t kForm0[] = {\n    0x54, 0x50, 0x46, 0x30, 0x00,\n};"), std::string::npos)
        << source;
    EXPECT_NE(source.find("RegisterResource(orvalis::ResourceType::RawData, \"TOPTIONS\", kForm0);"), std::string::npos)
        << source;
    // Quotes and backslashes in a name become octal escapes.
    EXPECT_NE(source.find("\"T\\042ODD\\134\", kForm1);"), std::string::npos) << source;
    EXPECT_NE(source.find("a/Options.form -> resource TOPTIONS"), std::string::npos) << source;
}

TEST(EmbedSource, RefusesTwoFormsOfOneResourceName) {
    const EmbeddedForm forms[] = {{"one.form", "TOptions", {0x54}}, {"two.form", "toptions", {0x54}}};
    try {
        GenerateEmbedSource(forms);
        FAIL();
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "two forms would be the resource TOPTIONS: one.form and two.form");
    }
}

}  // namespace
}  // namespace orvalis::formc

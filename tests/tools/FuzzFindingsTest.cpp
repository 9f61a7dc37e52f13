// Inputs with which the fuzz target fuzz_form_source found faults, kept as files in
// tests/data/forms/ (docs/fuzzing.md).

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "runtime/FileStream.h"
#include "runtime/Stream.h"
#include "tests/tools/FormTestSupport.h"
#include "tools/FormPrinter.h"

namespace orvalis::formc::test {
namespace {

Bytes DataFile(const std::string& name) {
    TFileStream file(String(std::string(ORVALIS_TEST_DATA) + "/forms/" + name), fmOpenRead);
    TMemoryStream memory;
    memory.LoadFromStream(file);
    return {memory.Memory(), memory.Memory() + memory.Size()};
}

// Nested lists: the printer printed every nested list twice, once to try the one-line
// form, so the work doubled at each level. The input found (lists 22 deep) took seconds;
// lists nested to the limit would never have printed.
TEST(FuzzFindings, NestedListsPrintOnceEach) {
    const Bytes found = DataFile("nested-lists.tpf0");
    const std::string printed = PrintFormData(found);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '['), 22);
    EXPECT_EQ(Compile(printed), found);

    // The root is level 0, the property's outer list the first level.
    const int depth = kMaxFormNesting;
    const Bytes deepest = Compile("TA a { P = " + std::string(depth, '[') + std::string(depth, ']') + " }");
    EXPECT_EQ(Compile(PrintFormData(deepest)), deepest);
}

}  // namespace
}  // namespace orvalis::formc::test

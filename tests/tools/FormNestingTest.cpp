// The form compiler and the framework's reader take the same nesting: a form nested as
// deep as the reader reads compiles and prints, one level deeper is refused by all
// three, so no compiled form fails at start-up for its depth.

#include <gtest/gtest.h>

#include <string>

#include "classes/ClassRegistry.h"
#include "classes/Reader.h"
#include "runtime/Exceptions.h"
#include "tests/classes/TestClasses.h"
#include "tests/tools/FormTestSupport.h"
#include "tools/FormErrors.h"
#include "tools/FormPrinter.h"

namespace orvalis::formc::test {
namespace {

// A test form holding `children` components nested one in the other, the innermost
// holding `innermost` (properties).
std::string NestedSource(int children, const std::string& innermost) {
    std::string source = "TTestForm Form1 {\n";
    for (int i = 1; i <= children; ++i) source += "TTestForm C" + std::to_string(i) + " {\n";
    source += innermost + "\n";
    for (int i = 0; i <= children; ++i) source += "}\n";
    return source;
}

TEST(FormNesting, TheCompilerThePrinterAndTheReaderTakeTheSameDepth) {
    ASSERT_EQ(kMaxFormNesting, TReader::kMaxNesting);
    RegisterStreamClass(orvalis::test::TTestForm::StaticClassInfo());  // as a child class
    struct Case {
        const char* what;
        int children;  // the deepest nesting the reader takes, with `innermost`
        std::string innermost;
    };
    const Case cases[] = {
        {"components", TReader::kMaxNesting, ""},
        {"a string list in the innermost component", TReader::kMaxNesting - 1, R"(Items.Strings = ["a", "b"])"},
        {"a collection in the innermost component", TReader::kMaxNesting - 1,
         R"(Columns = collection { item { Caption = "x" } })"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes deepest = Compile(NestedSource(c.children, c.innermost));
        EXPECT_EQ(Compile(PrintFormData(deepest)), deepest);
        EXPECT_NO_THROW(orvalis::test::ReadTestForm(deepest));

        try {
            Compile(NestedSource(c.children + 1, c.innermost));
            ADD_FAILURE() << "one level deeper compiled";
        } catch (const FormSourceError& error) {
            EXPECT_NE(std::string(error.what()).find("nesting deeper than 64 levels"), std::string::npos)
                << error.what();
        }
        // The same form one level deeper, as data: the deepest one inside another root.
        FormComponent outer;
        outer.className = "TTestForm";
        outer.name = "Outer";
        outer.children.push_back(ParseFormSource(NestedSource(c.children, c.innermost), "test.form"));
        const Bytes deeper = CompileForm(outer);
        try {
            PrintFormData(deeper);
            ADD_FAILURE() << "one level deeper printed";
        } catch (const FormDataError& error) {
            EXPECT_NE(std::string(error.what()).find("nesting deeper than 64 levels"), std::string::npos)
                << error.what();
        }
        try {
            orvalis::test::ReadTestForm(deeper);
            ADD_FAILURE() << "one level deeper read";
        } catch (const EReadError& error) {
            // Inside a property the refusal comes wrapped with the property's name.
            EXPECT_NE(std::string(error.what()).find("Format de flux incorrect"), std::string::npos) << error.what();
        }
    }
}

}  // namespace
}  // namespace orvalis::formc::test

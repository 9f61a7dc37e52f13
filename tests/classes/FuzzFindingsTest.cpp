// Form resources with which the fuzz target fuzz_form_reader found faults, kept as
// files in tests/data/forms/ (docs/fuzzing.md): each reads, and what the writer writes
// of the form reads back into the same values and is written the same way again.

#include <gtest/gtest.h>

#include <string>

#include "classes/Loading.h"
#include "classes/Writer.h"
#include "runtime/FileStream.h"
#include "tests/classes/TestClasses.h"

namespace orvalis::test {
namespace {

std::unique_ptr<TMemoryStream> DataFile(const std::string& name) {
    TFileStream file(String(std::string(ORVALIS_TEST_DATA) + "/forms/" + name), fmOpenRead);
    auto stream = std::make_unique<TMemoryStream>();
    stream->LoadFromStream(file);
    stream->SetPosition(0);
    return stream;
}

std::unique_ptr<TTestForm> ReadDataFile(const std::string& name) {
    auto form = std::make_unique<TTestForm>(nullptr);
    ReadComponentFromStream(*DataFile(name), form.get());
    return form;
}

std::vector<std::uint8_t> Written(TComponent& root, TComponent* ancestor = nullptr) {
    TMemoryStream stream;
    TWriter writer(stream);
    writer.WriteRootComponent(root, ancestor);
    return {stream.Memory(), stream.Memory() + stream.Size()};
}

// A reference to the form itself ("Owner") was written as the form's name, which the
// reader resolves among the form's components: it came back null.
TEST(FuzzFindings, AReferenceToTheFormItselfReadsBack) {
    TestForms forms;
    const auto form = ReadDataFile("reference-to-own-form.tpf0");
    ASSERT_EQ(form->Button1->Associate(), form.get());

    const std::vector<std::uint8_t> bytes = Written(*form);
    const auto copy = ReadTestForm(bytes);
    EXPECT_EQ(copy->Button1->Associate(), copy.get());
    EXPECT_EQ(Written(*copy), bytes);

    // The ancestor's reference to its own form is the same reference: not written again.
    const auto descendant = ReadDataFile("reference-to-own-form.tpf0");
    const std::vector<std::uint8_t> differences = Written(*descendant, form.get());
    EXPECT_EQ(std::string(differences.begin(), differences.end()).find("Associate"), std::string::npos);

    // With a component named "Owner", only the empty path still names the form.
    (new TTestChild(form.get()))->SetName("Owner");
    const auto withOwnerChild = ReadTestForm(Written(*form));
    EXPECT_EQ(withOwnerChild->Button1->Associate(), withOwnerChild.get());
}

// A reference to another form itself was written as that form's bare name, which the
// reader looks for among the form's own components: it came back null.
TEST(FuzzFindings, AReferenceToAnotherFormReadsBack) {
    TestForms forms;
    TTestForm other(nullptr);
    other.SetName("Other");
    forms.Add(other);
    const auto form = ReadDataFile("reference-to-other-form.tpf0");
    ASSERT_EQ(form->Menu(), &other);

    const std::vector<std::uint8_t> bytes = Written(*form);
    const auto copy = ReadTestForm(bytes);
    EXPECT_EQ(copy->Menu(), &other);
    EXPECT_EQ(Written(*copy), bytes);
}

}  // namespace
}  // namespace orvalis::test

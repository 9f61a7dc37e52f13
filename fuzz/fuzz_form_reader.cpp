// Arbitrary bytes read as a form resource, twice: into an existing form (the way a
// form reads its own resource) and with no root, so that the root's class is looked
// up in the registry. A resource that reads is then written back and read again:
// what the writer writes must read back and be written the same way.
//
// The classes are those of the classes layer's tests (tests/classes/TestClasses.h): a
// form with an object of its own reached by paths (a font with a set), a string list,
// a collection, references, handlers, published fields and methods; a child with a
// property of every kind the reader stores and a binary custom property; a timer-like
// component. So an input that finds a fault reads the same way in a regression test
// of tests/classes.
//
// Any framework exception is a refusal, not a finding. Anything else escaping, a
// sanitizer report, a lock left held or a reference left waiting after the reading
// is over is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "classes/ClassRegistry.h"
#include "classes/Loading.h"
#include "classes/Strings.h"
#include "classes/Writer.h"
#include "runtime/Exceptions.h"
#include "runtime/Stream.h"
#include "tests/classes/TestClasses.h"

namespace orvalis::test {
namespace {

// The classes a resource may name, and another form that exists while the resources
// are read, so that references of the form "Other.Button1" resolve (any other form
// name leaves them waiting).
void SetUp() {
    RegisterStreamClasses({&TTestForm::StaticClassInfo(), &TTestDerivedForm::StaticClassInfo(),
                           &TTestChild::StaticClassInfo(), &TTestTimer::StaticClassInfo(),
                           &TStringList::StaticClassInfo()});
    static TestForms forms;
    static TTestForm other(nullptr);
    other.SetName("Other");
    (new TTestChild(&other))->SetName("Button1");
    forms.Add(other);
}

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "fuzz_form_reader: %s\n", what);
    std::abort();
}

// After any reading, successful or not, nothing of it may be left behind.
void CheckNothingLeft() {
    if (TNameSpaceLock::Instance().IsWriteLocked()) Finding("the name-space lock is still held");
    if (PendingCrossFormReferenceCount() != 0) Finding("a reference of a freed form still waits");
}

void SaveBytes(const char* fileName, const std::vector<std::uint8_t>& bytes) {
    if (std::FILE* file = std::fopen(fileName, "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

std::vector<std::uint8_t> Written(TComponent& root) {
    TMemoryStream stream;
    {
        TWriter writer(stream);
        writer.WriteRootComponent(root);
    }
    return {stream.Memory(), stream.Memory() + stream.Size()};
}

// Read into a new form, as a form reads its resource. A form made by an ancestor's
// resource already holds a child, which an inherited child of the stream can name.
std::unique_ptr<TTestForm> ReadIntoForm(const std::uint8_t* data, std::size_t size, bool withAncestorChild) {
    auto form = std::make_unique<TTestForm>(nullptr);
    if (withAncestorChild) (new TTestChild(form.get()))->SetName("Inherited1");
    const auto stream = StreamOf({data, data + size});
    ReadComponentFromStream(*stream, form.get());
    return form;
}

// Texts have no declared default: the writer leaves an empty one out. So a text that
// its class starts non-empty, as the test font's name, cannot be emptied by a resource
// that the writer wrote; that is the format's rule, not a finding. The form read may
// own forms of its own, each with its font.
bool EveryFontIsNamed(const TComponent& component) {
    if (const auto* form = dynamic_cast<const TTestForm*>(&component); form && form->Font()->Name().IsEmpty())
        return false;
    for (int index = 0; index < component.ComponentCount(); ++index)
        if (!EveryFontIsNamed(*component.Components(index))) return false;
    return true;
}

void WrittenReadsBack(TComponent& root) {
    const std::vector<std::uint8_t> first = Written(root);
    std::unique_ptr<TTestForm> again;
    try {
        again = ReadIntoForm(first.data(), first.size(), false);
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s\n", error.Message().CStr());
        Finding("what the writer wrote does not read back");
    }
    const std::vector<std::uint8_t> second = Written(*again);
    if (second != first) {
        // Both writings, for orvalis-formc print and a diff.
        SaveBytes("written-1.tpf0", first);
        SaveBytes("written-2.tpf0", second);
        Finding("what the writer wrote reads back into other values (written-1.tpf0, written-2.tpf0)");
    }
}

}  // namespace
}  // namespace orvalis::test

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orvalis::test::SetUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvalis;
    using namespace orvalis::test;

    LoadingLog().clear();
    std::unique_ptr<TTestForm> form;
    try {
        form = ReadIntoForm(data, size, true);
    } catch (const Exception&) {
    }
    if (TNameSpaceLock::Instance().IsWriteLocked()) Finding("the name-space lock is still held");
    if (form && EveryFontIsNamed(*form)) WrittenReadsBack(*form);
    form.reset();
    CheckNothingLeft();

    try {
        const auto stream = StreamOf({data, data + size});
        const std::unique_ptr<TComponent> made(ReadComponentFromStream(*stream, nullptr));
    } catch (const Exception&) {
    }
    CheckNothingLeft();
    return 0;
}

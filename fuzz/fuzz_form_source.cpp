// The form compiler both ways. The bytes as form source: when they compile, the data
// must print, and the printed source must compile to the very same data. The bytes as
// form data: when they print, the printed source must compile back to them.
//
// A refusal (FormSourceError, FormDataError, or another framework exception) of the
// input is not a finding; a refusal of the compiler's own output, a mismatch of the
// round trip, anything else escaping and any sanitizer report are.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Exceptions.h"
#include "tools/FormEmitter.h"
#include "tools/FormParser.h"
#include "tools/FormPrinter.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] void Finding(const char* what, const std::string& detail) {
    std::fprintf(stderr, "fuzz_form_source: %s\n%s\n", what, detail.c_str());
    std::abort();
}

Bytes Compile(std::string_view source, std::string_view fileName) {
    return orvalis::formc::CompileForm(orvalis::formc::ParseFormSource(source, fileName));
}

// The data compiled from the printed form of `data` must be `data` again.
void PrintsBackTo(const Bytes& data, const std::string& printed) {
    Bytes again;
    try {
        again = Compile(printed, "printed.form");
    } catch (const orvalis::Exception& error) {
        Finding("the printed source does not compile", std::string(error.Message().View()) + "\n" + printed);
    }
    if (again != data) Finding("the printed source compiles to other data", printed);
}

void SourceRoundTrip(std::string_view source) {
    Bytes data;
    try {
        data = Compile(source, "fuzz.form");
    } catch (const orvalis::Exception&) {
        return;
    }
    std::string printed;
    try {
        printed = orvalis::formc::PrintFormData(data);
    } catch (const orvalis::Exception& error) {
        Finding("the compiled data does not print", std::string(error.Message().View()));
    }
    PrintsBackTo(data, printed);
}

void DataRoundTrip(std::span<const std::uint8_t> bytes) {
    std::string printed;
    try {
        printed = orvalis::formc::PrintFormData(bytes);
    } catch (const orvalis::Exception&) {
        return;
    }
    PrintsBackTo(Bytes(bytes.begin(), bytes.end()), printed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SourceRoundTrip(std::string_view(reinterpret_cast<const char*>(data), size));
    DataRoundTrip(std::span<const std::uint8_t>(data, size));
    return 0;
}

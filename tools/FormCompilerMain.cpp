// orvalis-formc: compiles form sources to form data, embeds them in a C++
// source as resources, and prints any form data back as source.
//
//   orvalis-formc compile <source> -o <file.tpf0>
//   orvalis-formc embed <source>... -o <generated.cpp>
//   orvalis-formc print <file.tpf0>
//
// Exit status: 0 done, 1 refused input (the message says where), 2 bad usage.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "runtime/FileStream.h"
#include "runtime/Stream.h"
#include "tools/EmbedSource.h"
#include "tools/FormEmitter.h"
#include "tools/FormErrors.h"
#include "tools/FormParser.h"
#include "tools/FormPrinter.h"

namespace {

using namespace orvalis;
using namespace orvalis::formc;

constexpr char kUsage[] =
    "usage: orvalis-formc compile <source> -o <file.tpf0>\n"
    "       orvalis-formc embed <source>... -o <generated.cpp>\n"
    "       orvalis-formc print <file.tpf0>\n";

struct CommandLine {
    std::string verb;
    std::vector<std::string> inputs;
    std::string output;
};

// Nothing when the arguments do not make a command.
std::optional<CommandLine> ParseCommandLine(int argc, char** argv) {
    if (argc < 2) return std::nullopt;
    CommandLine command{argv[1], {}, {}};
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-o") {
            if (i + 1 == argc || !command.output.empty()) return std::nullopt;
            command.output = argv[++i];
        } else {
            command.inputs.push_back(argument);
        }
    }
    const bool writes = command.verb == "compile" || command.verb == "embed";
    if (writes && command.output.empty()) return std::nullopt;
    if (command.verb == "compile" || command.verb == "print") {
        if (command.inputs.size() != 1) return std::nullopt;
    } else if (command.verb != "embed" || command.inputs.empty()) {
        return std::nullopt;
    }
    if (command.verb == "print" && !command.output.empty()) return std::nullopt;
    return command;
}

std::string ReadFile(const std::string& fileName) {
    TFileStream file(String(fileName), fmOpenRead | fmShareDenyWrite);
    TMemoryStream memory;
    memory.LoadFromStream(file);
    return std::string(reinterpret_cast<const char*>(memory.Memory()), static_cast<std::size_t>(memory.Size()));
}

// Written beside the target and renamed over it, so that a build never sees a
// half-written output as up to date.
void WriteFile(const std::string& fileName, const void* bytes, std::size_t size) {
    const std::string partial = fileName + ".partial";
    try {
        TFileStream file(String(partial), fmCreate);
        file.WriteBuffer(bytes, size);
    } catch (const Exception&) {
        std::remove(partial.c_str());
        throw;
    }
    if (std::rename(partial.c_str(), fileName.c_str()) != 0) {
        std::remove(partial.c_str());
        throw Exception(String("cannot replace " + fileName));
    }
}

std::vector<std::uint8_t> CompileFile(const std::string& fileName, std::string* className = nullptr) {
    const FormComponent root = ParseFormSource(ReadFile(fileName), fileName);
    if (className) *className = root.className;
    return CompileForm(root);
}

int Run(const CommandLine& command) {
    if (command.verb == "compile") {
        const std::vector<std::uint8_t> bytes = CompileFile(command.inputs[0]);
        WriteFile(command.output, bytes.data(), bytes.size());
    } else if (command.verb == "embed") {
        std::vector<EmbeddedForm> forms;
        for (const std::string& input : command.inputs) {
            EmbeddedForm form{input, {}, {}};
            form.bytes = CompileFile(input, &form.className);
            forms.push_back(std::move(form));
        }
        const std::string source = GenerateEmbedSource(forms);
        WriteFile(command.output, source.data(), source.size());
    } else {
        const std::string data = ReadFile(command.inputs[0]);
        std::string text;
        try {
            text = PrintFormData({reinterpret_cast<const std::uint8_t*>(data.data()), data.size()});
        } catch (const FormDataError& error) {
            std::fprintf(stderr, "%s: %s\n", command.inputs[0].c_str(), error.what());
            return 1;
        }
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (std::fflush(stdout) != 0) {
            std::fprintf(stderr, "orvalis-formc: cannot write the printed form\n");
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const auto command = ParseCommandLine(argc, argv);
    if (!command) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        return Run(*command);
    } catch (const FormSourceError& error) {
        // Already "file:line:column: error: ...", the shape editors jump to.
        std::fprintf(stderr, "%s\n", error.what());
    } catch (const Exception& error) {
        std::fprintf(stderr, "orvalis-formc: %s\n", error.what());
    }
    return 1;
}

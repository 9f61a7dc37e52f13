#pragma once
// The C++ source that links compiled forms into a program: each form's bytes as
// an array, registered at static initialisation as a raw-data resource named
// by the upper-case class name, where TResourceStream finds it.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvalis::formc {

struct EmbeddedForm {
    std::string sourceFile;  // named in the generated source's header
    std::string className;
    std::vector<std::uint8_t> bytes;
};

// Two forms whose resource names would be the same raise an Exception.
std::string GenerateEmbedSource(std::span<const EmbeddedForm> forms);

}  // namespace orvalis::formc

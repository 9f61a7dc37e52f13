#pragma once
// Prints a form tree as form source. A value stored the way the writer would
// store it prints plainly; any other encoding carries its marker (int16(5),
// short"...", wide"...", ident"True", ...), so that compiling the printed text
// gives back the very bytes it was decoded from.

#include <cstdint>
#include <span>
#include <string>

#include "tools/FormTree.h"

namespace orvalis::formc {

std::string PrintForm(const FormComponent& root);

// DecodeForm, then PrintForm: any form data as source (FormDataError when malformed).
std::string PrintFormData(std::span<const std::uint8_t> data);

}  // namespace orvalis::formc

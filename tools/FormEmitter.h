#pragma once
// Writes a form tree as form data through the framework's TWriter: a value with
// no encoding of its own takes the writer's rules, any other is written with
// exactly its tag, so that data printed and compiled again keeps its bytes.

#include <cstdint>
#include <vector>

#include "classes/Writer.h"
#include "tools/FormTree.h"

namespace orvalis::formc {

// The signature, then the root component.
std::vector<std::uint8_t> CompileForm(const FormComponent& root);

// One tagged value (the printer compares its encodings this way).
void EmitValue(TWriter& writer, const FormValue& value);

}  // namespace orvalis::formc

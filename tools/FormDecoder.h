#pragma once
// Reads form data into a form tree, every value with the tag it was stored in.
// Malformed data raises FormDataError naming the offset of the faulty byte;
// every length is checked against the bytes that remain before anything is
// allocated, and nesting is bounded, so no input can crash or exhaust it.

#include <cstdint>
#include <span>

#include "tools/FormTree.h"

namespace orvalis::formc {

// The signature, one root component, and nothing after it.
FormComponent DecodeForm(std::span<const std::uint8_t> data);

}  // namespace orvalis::formc

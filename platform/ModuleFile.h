#pragma once
// The running program's own file.

#include <string>

namespace orvalis::platform {

// The full path of the program's executable; empty when it cannot be read.
std::string GetModuleFileName();

}  // namespace orvalis::platform

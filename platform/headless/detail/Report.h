#pragma once
// Internal to the headless backend: the texts of its reports, formatted with the
// runtime's formatting routine.

#include <initializer_list>
#include <string>
#include <string_view>

#include "runtime/Format.h"

namespace orvalis::platform::headless {

inline std::string Report(std::string_view pattern, std::initializer_list<FormatArg> args) {
    return Format(pattern, args).ToStdString();
}

}  // namespace orvalis::platform::headless

#pragma once
// clang before 17 does not deduce the template arguments of an aggregate (C++20, P1816),
// which the platform layer's variant-visiting helper relies on. The fuzz build, on clang
// 14, includes this guide into the platform sources first (fuzz/CMakeLists.txt) for as
// long as platform/Desktop.h does not declare it itself.

#include "platform/Desktop.h"

namespace orvalis::platform::detail {

template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace orvalis::platform::detail

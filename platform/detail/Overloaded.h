#pragma once
// Internal: visiting a variant with one lambda per alternative.

namespace orvalis::platform::detail {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
// Spelled out for the compilers that do not deduce an aggregate's arguments (clang < 17).
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace orvalis::platform::detail

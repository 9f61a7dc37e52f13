#pragma once
// What a refusal says: the message of the exception an action raises, checked as the user
// reads it.

#include <optional>
#include <string>

namespace orvalis::test {

// The exception of class E that `action` raises; none when it raises nothing.
template <class E, class F>
std::optional<E> Raised(F&& action) {
    try {
        action();
    } catch (const E& error) {
        return error;
    }
    return std::nullopt;
}

// The message of the exception of class E that `action` raises; "(no error)" when it
// raises nothing.
template <class E, class F>
std::string MessageOf(F&& action) {
    try {
        action();
    } catch (const E& error) {
        return error.Message().ToStdString();
    }
    return "(no error)";
}

}  // namespace orvalis::test

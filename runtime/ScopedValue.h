#pragma once
// A value set for a scope: the slot gets its former value back when the scope ends,
// by return or by exception.

#include <utility>

namespace orvalis {

template <class T>
class ScopedValue {
public:
    // Keeps the slot's value, to put back at the end.
    explicit ScopedValue(T& slot) : slot_(slot), saved_(slot) {}
    // Sets the slot to `value` for the scope.
    ScopedValue(T& slot, T value) : slot_(slot), saved_(std::exchange(slot, std::move(value))) {}
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;
    ~ScopedValue() { slot_ = std::move(saved_); }

private:
    T& slot_;
    T saved_;
};

}  // namespace orvalis

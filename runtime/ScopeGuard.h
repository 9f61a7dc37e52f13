#pragma once
// A clean-up run when the scope ends, by return or by exception: the one idiom for paired
// calls (end of paint, hide, pop a list...). A value put back at the end goes through
// ScopedValue instead.

#include <exception>
#include <utility>

namespace orvalis {

template <class CleanUp>
class ScopeGuard {
public:
    explicit ScopeGuard(CleanUp cleanUp) : cleanUp_(std::move(cleanUp)) {}
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;

    // On a normal exit the clean-up's own failure goes to the caller, as a call written at
    // the end of the scope would; while an exception already leaves the scope, that one
    // goes on and the clean-up's is dropped, where a second exception would end the program.
    ~ScopeGuard() noexcept(false) {
        if (std::uncaught_exceptions() == exceptionsAtEntry_) {
            cleanUp_();
            return;
        }
        try {
            cleanUp_();
        } catch (...) {
        }
    }

private:
    CleanUp cleanUp_;
    int exceptionsAtEntry_ = std::uncaught_exceptions();
};

}  // namespace orvalis

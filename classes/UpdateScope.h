#pragma once
// A list or collection held in its update state for a scope: BeginUpdate on entry,
// EndUpdate when the scope ends, by return or by exception, so that the change is
// announced once, after the last item.

#include "runtime/ScopeGuard.h"

namespace orvalis {

template <class Updatable>
class TUpdateScope {
public:
    explicit TUpdateScope(Updatable& target) : endUpdate_((target.BeginUpdate(), EndUpdate{target})) {}

private:
    struct EndUpdate {
        Updatable& target;
        void operator()() const { target.EndUpdate(); }
    };
    ScopeGuard<EndUpdate> endUpdate_;
};

}  // namespace orvalis

#pragma once
// Internal: the running timers. A timer is due when the clock reached its expiry;
// taking its tick moves the expiry on by whole periods past the clock, so missed
// periods merge into one tick and the timer keeps its rhythm.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "platform/Messages.h"

namespace orvalis::platform::detail {

class TimerTable {
public:
    explicit TimerTable(std::size_t limit) : limit_(limit) {}

    // Starts or restarts a timer; false when a new one would pass the limit.
    bool Set(HWND window, std::uintptr_t id, std::uint64_t period, std::uint64_t now);
    bool Kill(HWND window, std::uintptr_t id);
    void KillAll(HWND window);
    std::optional<std::uint64_t> NextExpiry() const;
    // The due timer that expired first (the one started first among equals); with
    // `take` its tick is consumed.
    std::optional<std::pair<HWND, std::uintptr_t>> Due(std::uint64_t now, bool take);
    std::size_t Count() const { return timers_.size(); }

private:
    struct Timer {
        std::uint64_t period;
        std::uint64_t expiry;
        std::uint64_t sequence;
    };
    std::size_t limit_;
    std::uint64_t nextSequence_ = 0;
    std::map<std::pair<HWND, std::uintptr_t>, Timer> timers_;
};

}  // namespace orvalis::platform::detail

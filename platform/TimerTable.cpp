#include "platform/detail/TimerTable.h"

namespace orvalis::platform::detail {

bool TimerTable::Set(HWND window, std::uintptr_t id, std::uint64_t period, std::uint64_t now) {
    auto key = std::make_pair(window, id);
    auto found = timers_.find(key);
    if (found == timers_.end() && timers_.size() >= limit_) return false;
    timers_[key] = Timer{period, now + period, nextSequence_++};
    return true;
}

bool TimerTable::Kill(HWND window, std::uintptr_t id) { return timers_.erase(std::make_pair(window, id)) > 0; }

void TimerTable::KillAll(HWND window) {
    std::erase_if(timers_, [window](const auto& entry) { return entry.first.first == window; });
}

std::optional<std::uint64_t> TimerTable::NextExpiry() const {
    std::optional<std::uint64_t> next;
    for (const auto& [key, timer] : timers_)
        if (!next || timer.expiry < *next) next = timer.expiry;
    return next;
}

std::optional<std::pair<HWND, std::uintptr_t>> TimerTable::Due(std::uint64_t now, bool take) {
    decltype(timers_)::iterator first = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        const Timer& t = it->second;
        if (t.expiry > now) continue;
        if (first == timers_.end() || t.expiry < first->second.expiry ||
            (t.expiry == first->second.expiry && t.sequence < first->second.sequence))
            first = it;
    }
    if (first == timers_.end()) return std::nullopt;
    if (take) {
        Timer& t = first->second;
        std::uint64_t missed = (now - t.expiry) / t.period + 1;
        t.expiry += missed * t.period;
    }
    return first->first;
}

}  // namespace orvalis::platform::detail

#include "platform/detail/PostedQueue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstdint>

namespace orvalis::platform::detail {

namespace {
// Read by the signal handler, so a plain lock-free atomic set once.
std::atomic<int> wakeupFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);
}  // namespace

void PostedQueue::Post(const Message& message) {
    std::lock_guard lock(mutex_);
    messages_.push_back(message);
}

bool PostedQueue::Take(Message& message, bool remove) {
    std::lock_guard lock(mutex_);
    if (messages_.empty()) return false;
    message = messages_.front();
    if (remove) messages_.pop_front();
    return true;
}

bool PostedQueue::IsEmpty() const {
    std::lock_guard lock(mutex_);
    return messages_.empty();
}

void PostedQueue::Purge(HWND window) {
    std::lock_guard lock(mutex_);
    std::erase_if(messages_, [window](const Message& m) { return m.hwnd == window; });
}

void PostedQueue::Clear() {
    std::lock_guard lock(mutex_);
    messages_.clear();
}

int WakeupFd() {
    static const int fd = [] {
        int made = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        assert(made >= 0 && "no eventfd for the message queue");
        wakeupFd.store(made);
        return made;
    }();
    return fd;
}

void SignalWakeup() {
    int fd = wakeupFd.load();
    if (fd < 0) return;
    std::uint64_t one = 1;
    // A full counter only means that a wake-up is already pending.
    [[maybe_unused]] ssize_t written = write(fd, &one, sizeof one);
}

void DrainWakeup() {
    std::uint64_t count;
    [[maybe_unused]] ssize_t got = read(WakeupFd(), &count, sizeof count);
}

}  // namespace orvalis::platform::detail

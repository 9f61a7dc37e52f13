#pragma once
// Internal: the posted messages of the user-interface thread, first in first out.
// Any thread may post; posting from another thread wakes the waiting loop.

#include <deque>
#include <mutex>

#include "platform/Messages.h"

namespace orvalis::platform::detail {

class PostedQueue {
public:
    void Post(const Message& message);
    // The first message (removed with `remove`); false when empty.
    bool Take(Message& message, bool remove);
    bool IsEmpty() const;
    // Drops the messages of a window that is going away.
    void Purge(HWND window);
    void Clear();

private:
    mutable std::mutex mutex_;
    std::deque<Message> messages_;
};

// The process's wake-up descriptor (an eventfd, made once and kept): the backends wait
// on it; a post from another thread or a signal makes it readable.
int WakeupFd();
// Async-signal-safe once WakeupFd() has been called.
void SignalWakeup();
void DrainWakeup();

}  // namespace orvalis::platform::detail

#include "framework/SynchronisedCalls.h"

#include <deque>
#include <mutex>

namespace orvalis {
namespace {

struct CallQueue {
    std::mutex lock;
    std::deque<std::function<void()>> calls;
    std::function<void()> wakeUp;
};

CallQueue& Queue() {
    static CallQueue queue;
    return queue;
}

}  // namespace

void QueueSynchronisedCall(std::function<void()> call) {
    CallQueue& queue = Queue();
    std::function<void()> wakeUp;
    {
        std::lock_guard guard(queue.lock);
        queue.calls.push_back(std::move(call));
        wakeUp = queue.wakeUp;
    }
    if (wakeUp) wakeUp();
}

bool RunSynchronisedCalls() {
    CallQueue& queue = Queue();
    bool ran = false;
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard guard(queue.lock);
            if (queue.calls.empty()) return ran;
            call = std::move(queue.calls.front());
            queue.calls.pop_front();
        }
        ran = true;
        call();
    }
}

void SetSynchronisationWakeUp(std::function<void()> wakeUp) {
    CallQueue& queue = Queue();
    std::lock_guard guard(queue.lock);
    queue.wakeUp = std::move(wakeUp);
}

}  // namespace orvalis

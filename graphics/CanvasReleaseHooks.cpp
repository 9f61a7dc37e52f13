#include "graphics/CanvasReleaseHooks.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace orvalis {
namespace {

struct HookList {
    std::mutex lock;
    std::vector<TCanvasReleaseHook> hooks;
};

HookList& Hooks() {
    static HookList list;
    return list;
}

}  // namespace

void RegisterCanvasReleaseHook(TCanvasReleaseHook hook) {
    HookList& list = Hooks();
    std::lock_guard guard(list.lock);
    if (std::find(list.hooks.begin(), list.hooks.end(), hook) == list.hooks.end()) list.hooks.push_back(hook);
}

void UnregisterCanvasReleaseHook(TCanvasReleaseHook hook) {
    HookList& list = Hooks();
    std::lock_guard guard(list.lock);
    std::erase(list.hooks, hook);
}

void RunCanvasReleaseHooks() {
    HookList& list = Hooks();
    std::vector<TCanvasReleaseHook> hooks;
    {
        std::lock_guard guard(list.lock);
        hooks = list.hooks;
    }
    for (TCanvasReleaseHook hook : hooks) hook();
}

}  // namespace orvalis

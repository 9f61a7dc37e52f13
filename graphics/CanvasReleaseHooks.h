#pragma once
// After each window message that a windowed control handles, the framework releases the
// drawing contexts that canvases hold without being in use, so that no context outlives
// the message that needed it. The canvases that keep contexts of their own (the
// bitmap's) register a hook that releases those of their kind; the framework runs the
// hooks. A hook only releases the canvases it can lock without waiting (TryLock).

namespace orvalis {

using TCanvasReleaseHook = void (*)();

// Each hook once; registering it again does nothing.
void RegisterCanvasReleaseHook(TCanvasReleaseHook hook);
void UnregisterCanvasReleaseHook(TCanvasReleaseHook hook);
// Runs the hooks, in the order they were registered.
void RunCanvasReleaseHooks();

}  // namespace orvalis

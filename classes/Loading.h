#pragma once
// The process-wide side of reading forms from their resources: the name-space lock,
// the functions that find top-level components (forms) by name, references into
// forms not read yet, the unique naming of a second instance of a form, component
// paths, and the reading of a form's chain of resources.

#include <atomic>
#include <shared_mutex>
#include <string_view>
#include <thread>

#include "runtime/Stream.h"
#include "runtime/String.h"

namespace orvalis {

class TClassInfo;
class TComponent;

// A many-readers-one-writer lock that the writing thread may take again while it
// holds it. Held for writing around form construction, LoadInheritedResources,
// ReadTopComponent and ResolveCrossFormReferences.
class TNameSpaceLock {
public:
    static TNameSpaceLock& Instance();

    void BeginWrite();
    void EndWrite();
    // Reading within one's own write is allowed.
    void BeginRead();
    void EndRead();
    // Whether some thread holds it for writing.
    bool IsWriteLocked() const { return writer_.load() != std::thread::id(); }

private:
    TNameSpaceLock() = default;

    std::shared_mutex mutex_;
    std::atomic<std::thread::id> writer_{};
    int writeDepth_ = 0;
};

class TNameSpaceWriteGuard {
public:
    TNameSpaceWriteGuard() { TNameSpaceLock::Instance().BeginWrite(); }
    TNameSpaceWriteGuard(const TNameSpaceWriteGuard&) = delete;
    TNameSpaceWriteGuard& operator=(const TNameSpaceWriteGuard&) = delete;
    ~TNameSpaceWriteGuard() { TNameSpaceLock::Instance().EndWrite(); }
};

// Finds a top-level component (a form, a data module) by name, or answers null.
using TGlobalComponentLookup = TComponent* (*)(std::string_view name);
void RegisterGlobalComponentLookup(TGlobalComponentLookup lookup);
void UnregisterGlobalComponentLookup(TGlobalComponentLookup lookup);
// The first non-null answer of the lookup functions, the newest registered first.
TComponent* FindGlobalComponent(std::string_view name);

// `name` when no top-level component has it, else the first free "%s_%d" (1, 2, ...).
String UniqueRootName(std::string_view name);

// The component reached from `start` by a path of names separated by ".", "-" or
// "->": each name is an owned component (without regard to case), or "Owner" for
// the current component itself. Null when a name is missing; `start` for an empty path.
TComponent* FindByPath(TComponent* start, std::string_view path);

// Reads a form resource from `stream` into `root`, or into a new component of the
// class the resource names when `root` is null (the caller then owns it).
TComponent* ReadComponentFromStream(TStream& stream, TComponent* root);

// Reads the resources of the class chain of `instance` into it, base classes first:
// each class below `rootAncestor` (and below TComponent) that has a resource named
// by its upper-case class name. True when at least one was read. Components read
// get their LoadingFinished at the end, unless `instance` is itself being loaded.
bool LoadInheritedResources(TComponent& instance, const TClassInfo& rootAncestor);

// Resolves the references that wait for other forms, for each form that exists now.
void ResolveCrossFormReferences();
// How many references wait for forms that are not read yet.
int PendingCrossFormReferenceCount();

}  // namespace orvalis

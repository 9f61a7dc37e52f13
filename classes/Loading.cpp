#include "classes/Loading.h"

#include <algorithm>
#include <cassert>
#include <mutex>
#include <vector>

#include "classes/ClassInfo.h"
#include "classes/Component.h"
#include "classes/Reader.h"
#include "classes/detail/LoadingState.h"
#include "runtime/Exceptions.h"
#include "runtime/Format.h"
#include "runtime/Resources.h"
#include "runtime/ScopeGuard.h"
#include "runtime/TextConversions.h"

namespace orvalis {
namespace {

struct GlobalFixup {
    TPropFixup fixup;
    std::uint64_t id = 0;
    bool visited = false;
};

// Never destroyed: components destroyed while the program exits still report here.
struct State {
    // Used under the name-space lock.
    std::vector<std::vector<TComponent*>*> loadedLists;

    // The global pending references; recursive, because writing a reference runs a
    // setter that may destroy components, which report back here.
    std::recursive_mutex fixupLock;
    std::vector<GlobalFixup> fixups;
    std::uint64_t nextFixupId = 1;
    // The objects resolved by each ResolveCrossFormReferences at work.
    std::vector<std::vector<TPersistent*>*> resolvedLists;

    std::mutex lookupLock;
    std::vector<TGlobalComponentLookup> lookups;
};

State& TheState() {
    static State* state = new State;
    return *state;
}

thread_local std::vector<TReader*> activeReaders;

bool OwnedBy(const TComponent* component, const TComponent& owner) {
    for (; component; component = component->Owner())
        if (component == &owner) return true;
    return false;
}

bool ReadClassChain(const TClassInfo& cls, TComponent& instance, const TClassInfo& rootAncestor) {
    if (&cls == &TComponent::StaticClassInfo() || &cls == &rootAncestor || !cls.Parent()) return false;
    bool found = ReadClassChain(*cls.Parent(), instance, rootAncestor);
    const String resourceName = UpperCase(cls.Name());
    if (FindResource(ResourceType::RawData, resourceName.View())) {
        TResourceStream stream(resourceName.View());
        ReadComponentFromStream(stream, &instance);
        found = true;
    }
    return found;
}

}  // namespace

TNameSpaceLock& TNameSpaceLock::Instance() {
    static TNameSpaceLock* lock = new TNameSpaceLock;
    return *lock;
}

void TNameSpaceLock::BeginWrite() {
    const std::thread::id me = std::this_thread::get_id();
    if (writer_.load() == me) {
        ++writeDepth_;
        return;
    }
    mutex_.lock();
    writer_.store(me);
    writeDepth_ = 1;
}

void TNameSpaceLock::EndWrite() {
    assert(writer_.load() == std::this_thread::get_id() && "the lock is not held for writing here");
    if (--writeDepth_ > 0) return;
    writer_.store(std::thread::id());
    mutex_.unlock();
}

void TNameSpaceLock::BeginRead() {
    if (writer_.load() == std::this_thread::get_id()) {
        ++writeDepth_;
        return;
    }
    mutex_.lock_shared();
}

void TNameSpaceLock::EndRead() {
    if (writer_.load() == std::this_thread::get_id()) return EndWrite();
    mutex_.unlock_shared();
}

void RegisterGlobalComponentLookup(TGlobalComponentLookup lookup) {
    State& state = TheState();
    std::lock_guard guard(state.lookupLock);
    state.lookups.push_back(lookup);
}

void UnregisterGlobalComponentLookup(TGlobalComponentLookup lookup) {
    State& state = TheState();
    std::lock_guard guard(state.lookupLock);
    const auto found = std::find(state.lookups.rbegin(), state.lookups.rend(), lookup);
    if (found != state.lookups.rend()) state.lookups.erase(std::next(found).base());
}

TComponent* FindGlobalComponent(std::string_view name) {
    State& state = TheState();
    std::vector<TGlobalComponentLookup> lookups;
    {
        std::lock_guard guard(state.lookupLock);
        lookups = state.lookups;
    }
    for (auto lookup = lookups.rbegin(); lookup != lookups.rend(); ++lookup)
        if (TComponent* found = (*lookup)(name)) return found;
    return nullptr;
}

String UniqueRootName(std::string_view name) {
    if (!FindGlobalComponent(name)) return String(name);
    for (long long number = 1;; ++number) {
        String candidate = Format("%s_%d", {name, number});
        if (!FindGlobalComponent(candidate.View())) return candidate;
    }
}

TComponent* FindByPath(TComponent* start, std::string_view path) {
    if (!start || path.empty()) return start;
    TComponent* current = start;
    std::size_t begin = 0;
    for (;;) {
        std::size_t end = begin;
        while (end < path.size() && path[end] != '.' && path[end] != '-') ++end;
        const std::string_view segment = path.substr(begin, end - begin);
        TComponent* next = current->FindComponent(segment);
        if (!next && SameText(segment, "Owner")) next = current;
        if (!next) return nullptr;
        current = next;
        if (end == path.size()) return current;
        begin = end + 1;
        if (path[end] == '-' && begin < path.size() && path[begin] == '>') ++begin;  // "->" is one separator
    }
}

TComponent* ReadComponentFromStream(TStream& stream, TComponent* root) {
    TReader reader(stream, 4096);
    return reader.ReadTopComponent(root);
}

bool LoadInheritedResources(TComponent& instance, const TClassInfo& rootAncestor) {
    TNameSpaceWriteGuard nameSpace;
    const bool ownsList = !instance.HasState(stateLoading | stateInline);
    std::vector<TComponent*> loaded;
    if (ownsList) loading::PushLoadedList(loaded);
    const ScopeGuard popLoadedList([ownsList] {
        if (ownsList) loading::PopLoadedList();
    });
    const bool found = ReadClassChain(instance.ClassInfo(), instance, rootAncestor);
    if (ownsList)
        // By index: a component destroyed meanwhile leaves the list.
        for (std::size_t i = 0; i < loaded.size(); ++i) loaded[i]->LoadingFinished();
    return found;
}

void ResolveCrossFormReferences() {
    TNameSpaceWriteGuard nameSpace;
    State& state = TheState();
    std::lock_guard guard(state.fixupLock);
    std::vector<TPersistent*> resolved;
    state.resolvedLists.push_back(&resolved);
    const ScopeGuard unlist([&state] { state.resolvedLists.pop_back(); });

    for (GlobalFixup& entry : state.fixups) entry.visited = false;
    for (;;) {
        // Searched afresh each time: a setter may have destroyed objects meanwhile.
        const auto next = std::find_if(state.fixups.begin(), state.fixups.end(),
                                       [](const GlobalFixup& entry) { return !entry.visited; });
        if (next == state.fixups.end()) break;
        next->visited = true;
        const TPropFixup fixup = next->fixup;
        const std::uint64_t id = next->id;

        TComponent* form = FindGlobalComponent(fixup.rootName.View());
        if (!form && std::get<TObject*>(fixup.property->Get(*fixup.instance)) == nullptr) continue;
        std::erase_if(state.fixups, [id](const GlobalFixup& entry) { return entry.id == id; });
        resolved.push_back(fixup.instance);
        if (form) loading::WriteReference(fixup, FindByPath(form, fixup.name.View()));
    }

    for (TPersistent* object : resolved) {
        const bool waiting = std::any_of(state.fixups.begin(), state.fixups.end(),
                                         [object](const GlobalFixup& entry) { return entry.fixup.instance == object; });
        if (auto* component = dynamic_cast<TComponent*>(object); component && !waiting)
            component->ExcludeState(stateFixups);
    }
}

int PendingCrossFormReferenceCount() {
    State& state = TheState();
    std::lock_guard guard(state.fixupLock);
    return static_cast<int>(state.fixups.size());
}

namespace loading {

std::vector<TComponent*>* ActiveLoadedList() {
    State& state = TheState();
    return state.loadedLists.empty() ? nullptr : state.loadedLists.back();
}

void PushLoadedList(std::vector<TComponent*>& list) { TheState().loadedLists.push_back(&list); }

void PopLoadedList() {
    State& state = TheState();
    assert(!state.loadedLists.empty());
    state.loadedLists.pop_back();
}

void AddGlobalFixup(TPropFixup fixup) {
    State& state = TheState();
    std::lock_guard guard(state.fixupLock);
    state.fixups.push_back({std::move(fixup), state.nextFixupId++, false});
}

void DropGlobalFixups(const std::function<bool(const TPropFixup&)>& matches) {
    State& state = TheState();
    std::lock_guard guard(state.fixupLock);
    std::erase_if(state.fixups, [&](const GlobalFixup& entry) { return matches(entry.fixup); });
}

void DropGlobalFixupsOf(const TComponent& root) {
    DropGlobalFixups([&](const TPropFixup& fixup) { return OwnedBy(fixup.root, root) || OwnedBy(fixup.holder, root); });
}

void WriteReference(const TPropFixup& fixup, TComponent* component) {
    try {
        fixup.property->Set(*fixup.instance, component);
    } catch (const Exception& error) {
        throw EReadError(ResId::PropertyReadError,
                         {fixup.instance->NamePath(), ".", fixup.property->Name(), error.Message()});
    }
}

void ReaderStarted(TReader& reader) { activeReaders.push_back(&reader); }

void ReaderFinished(TReader& reader) { std::erase(activeReaders, &reader); }

void ForgetComponent(TComponent& component) {
    for (TReader* reader : activeReaders) reader->Forget(component);
    State& state = TheState();
    TPersistent* const object = &component;
    for (std::vector<TComponent*>* list : state.loadedLists) std::erase(*list, &component);
    std::lock_guard guard(state.fixupLock);
    std::erase_if(state.fixups, [&](const GlobalFixup& entry) {
        return entry.fixup.instance == object || entry.fixup.root == &component || entry.fixup.holder == &component;
    });
    for (std::vector<TPersistent*>* resolved : state.resolvedLists) std::erase(*resolved, object);
}

}  // namespace loading
}  // namespace orvalis

#include "classes/ClassRegistry.h"

#include <algorithm>
#include <cassert>

#include "classes/Persistent.h"
#include "runtime/Exceptions.h"

namespace orvalis {
namespace {

int Depth(const TClassInfo& cls) {
    int depth = 0;
    for (const TClassInfo* c = cls.Parent(); c; c = c->Parent()) ++depth;
    return depth;
}

}  // namespace

TRegGroup::TRegGroup(const TClassInfo& groupClass) { groupClasses_.push_back(&groupClass); }

bool TRegGroup::InGroup(const TClassInfo& cls) const { return MatchDepth(cls) >= 0; }

int TRegGroup::MatchDepth(const TClassInfo& cls) const {
    int best = -1;
    for (const TClassInfo* groupClass : groupClasses_)
        if (cls.InheritsFrom(*groupClass)) best = std::max(best, Depth(*groupClass));
    return best;
}

void TRegGroup::AddGroupClass(const TClassInfo& groupClass) {
    if (std::find(groupClasses_.begin(), groupClasses_.end(), &groupClass) == groupClasses_.end())
        groupClasses_.push_back(&groupClass);
}

void TRegGroup::AddClass(const TClassInfo& cls) {
    if (Holds(cls)) return;
    if (FindByName(classes_, cls.Name(), [](const TClassInfo* c) { return c->Name(); }))
        throw EFilerError(ResId::DuplicateClass, {cls.Name()});
    classes_.push_back(&cls);
}

void TRegGroup::RemoveClass(const TClassInfo& cls) { std::erase(classes_, &cls); }

bool TRegGroup::Holds(const TClassInfo& cls) const {
    return std::find(classes_.begin(), classes_.end(), &cls) != classes_.end();
}

void TRegGroup::AddAlias(std::string_view alias, const TClassInfo& cls) { aliases_.emplace_back(String(alias), &cls); }

const TClassInfo* TRegGroup::Lookup(std::string_view name) const {
    if (const auto* found = FindByName(classes_, name, [](const TClassInfo* c) { return c->Name(); })) return *found;
    if (const auto* alias = FindByName(aliases_, name, [](const auto& a) { return a.first.View(); }))
        return alias->second;
    return nullptr;
}

TRegGroups::TRegGroups() { groups_.push_back(std::make_unique<TRegGroup>(TPersistent::StaticClassInfo())); }

TRegGroups& TRegGroups::Instance() {
    // Never destroyed: lookups may still happen while the program exits.
    static TRegGroups* registry = new TRegGroups;
    return *registry;
}

TRegGroup* TRegGroups::BestGroupFor(const TClassInfo& cls) const {
    TRegGroup* best = nullptr;
    int bestDepth = -1;
    for (const auto& group : groups_) {
        const int depth = group->MatchDepth(cls);
        if (depth >= 0 && depth >= bestDepth) {  // on a tie the later group wins
            best = group.get();
            bestDepth = depth;
        }
    }
    return best;
}

bool TRegGroups::AnyGroupHolds(const TClassInfo& cls) const {
    return std::any_of(groups_.begin(), groups_.end(), [&](const auto& group) { return group->Holds(cls); });
}

void TRegGroups::RegisterStreamClass(const TClassInfo& cls) {
    assert(cls.InheritsFrom(TPersistent::StaticClassInfo()) && "only persistent classes stream");
    std::lock_guard guard(lock_);
    for (const TClassInfo* c = &cls; c && !AnyGroupHolds(*c); c = c->Parent()) {
        if (TRegGroup* group = BestGroupFor(*c)) group->AddClass(*c);
        if (c == &TPersistent::StaticClassInfo()) break;
    }
}

void TRegGroups::RegisterAlias(const TClassInfo& cls, std::string_view alias) {
    std::lock_guard guard(lock_);
    if (TRegGroup* group = BestGroupFor(cls)) group->AddAlias(alias, cls);
}

const TClassInfo* TRegGroups::LookupClass(std::string_view name) const {
    std::lock_guard guard(lock_);
    for (const auto& group : groups_)
        if (group->IsActive())
            if (const TClassInfo* found = group->Lookup(name)) return found;
    return nullptr;
}

const TClassInfo& TRegGroups::RequireClass(std::string_view name) const {
    const TClassInfo* found = LookupClass(name);
    if (!found) throw EClassNotFound(ResId::ClassNotFound, {name});
    return *found;
}

void TRegGroups::StartClassGroup(const TClassInfo& groupClass) {
    std::lock_guard guard(lock_);
    groups_.push_back(std::make_unique<TRegGroup>(groupClass));
}

void TRegGroups::GroupDescendentsWith(const TClassInfo& cls, const TClassInfo& anchor) {
    std::lock_guard guard(lock_);
    TRegGroup* target = BestGroupFor(anchor);
    if (!target) throw EFilerError(ResId::UnknownGroup, {anchor.Name()});
    target->AddGroupClass(cls);
    for (const auto& group : groups_) {
        if (group.get() == target) continue;
        const std::vector<const TClassInfo*> classes(group->Classes().begin(), group->Classes().end());
        for (const TClassInfo* registered : classes)
            if (registered->InheritsFrom(cls)) {
                target->AddClass(*registered);
                group->RemoveClass(*registered);
            }
    }
}

const TClassInfo* TRegGroups::ActivateClassGroup(const TClassInfo& cls) {
    std::lock_guard guard(lock_);
    const TClassInfo* previous = activeClass_;
    activeClass_ = &cls;
    for (std::size_t i = 1; i < groups_.size(); ++i) groups_[i]->SetActive(groups_[i]->InGroup(cls));
    return previous;
}

const TRegGroup* TRegGroups::GroupHolding(const TClassInfo& cls) const {
    std::lock_guard guard(lock_);
    for (const auto& group : groups_)
        if (group->Holds(cls)) return group.get();
    return nullptr;
}

void RegisterStreamClass(const TClassInfo& cls) { TRegGroups::Instance().RegisterStreamClass(cls); }

void RegisterStreamClasses(std::initializer_list<const TClassInfo*> classes) {
    for (const TClassInfo* cls : classes) RegisterStreamClass(*cls);
}

const TClassInfo* LookupClass(std::string_view name) { return TRegGroups::Instance().LookupClass(name); }

const TClassInfo& RequireClass(std::string_view name) { return TRegGroups::Instance().RequireClass(name); }

TClassFinder::TClassFinder(const TClassInfo& rootClass, const TRegGroups& registry) : registry_(registry) {
    std::lock_guard guard(registry.lock_);
    for (const auto& group : registry.groups_)
        if (group->InGroup(rootClass)) groups_.push_back(group.get());
    for (const auto& group : registry.groups_)
        if (group->IsActive() && std::find(groups_.begin(), groups_.end(), group.get()) == groups_.end())
            groups_.push_back(group.get());
}

const TClassInfo* TClassFinder::Find(std::string_view name) const {
    std::lock_guard guard(registry_.lock_);
    for (const TRegGroup* group : groups_)
        if (const TClassInfo* found = group->Lookup(name)) return found;
    return nullptr;
}

}  // namespace orvalis

#pragma once
// The class registry: the classes that form resources may name, found by name
// without regard to case. Classes live in groups; a group is defined by its group
// classes (a class belongs to a group when it derives from one of them) and may be
// inactive. The process-wide registry starts with one active group for TPersistent.
//
// Every operation takes the registry's lock. A form's children need no
// registration: the reader finds their classes in the form's field class table.

#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "classes/ClassInfo.h"
#include "runtime/String.h"

namespace orvalis {

class TRegGroup {
public:
    explicit TRegGroup(const TClassInfo& groupClass);

    // Whether `cls` derives from one of the group classes.
    bool InGroup(const TClassInfo& cls) const;
    // How deep in the class tree the most derived group class lies that `cls`
    // derives from; -1 when `cls` is not in the group.
    int MatchDepth(const TClassInfo& cls) const;
    void AddGroupClass(const TClassInfo& groupClass);

    // Registers `cls`; a different class of the same name raises EFilerError
    // "Une classe nommée %s existe déjà".
    void AddClass(const TClassInfo& cls);
    void RemoveClass(const TClassInfo& cls);
    bool Holds(const TClassInfo& cls) const;
    void AddAlias(std::string_view alias, const TClassInfo& cls);
    // A registered class named `name`, else the class of the alias `name`.
    const TClassInfo* Lookup(std::string_view name) const;
    std::span<const TClassInfo* const> Classes() const { return classes_; }

    bool IsActive() const { return active_; }
    void SetActive(bool active) { active_ = active; }

private:
    std::vector<const TClassInfo*> groupClasses_;
    std::vector<const TClassInfo*> classes_;
    std::vector<std::pair<String, const TClassInfo*>> aliases_;
    bool active_ = true;
};

class TRegGroups {
public:
    // A registry with its first group: TPersistent, active.
    TRegGroups();
    TRegGroups(const TRegGroups&) = delete;
    TRegGroups& operator=(const TRegGroups&) = delete;

    // The process's registry.
    static TRegGroups& Instance();

    // Registers `cls` and then each ancestor, each in its best group (the group with
    // the most derived group class the class derives from; the later group on a
    // tie), stopping after TPersistent or at the first class already registered.
    void RegisterStreamClass(const TClassInfo& cls);
    void RegisterAlias(const TClassInfo& cls, std::string_view alias);
    // The first active group, in the order the groups were started, that holds a
    // class or an alias of that name; null when none does.
    const TClassInfo* LookupClass(std::string_view name) const;
    // LookupClass, or EClassNotFound "Classe %s non trouvée".
    const TClassInfo& RequireClass(std::string_view name) const;

    // Starts a new group whose group class is `groupClass`.
    void StartClassGroup(const TClassInfo& groupClass);
    // Moves the descendants of `cls` registered in other groups into the group of
    // `anchor`, which takes `cls` as a group class. Raises EFilerError "%s n'est pas
    // dans un groupe de recensement de classes" when `anchor` is in no group.
    void GroupDescendentsWith(const TClassInfo& cls, const TClassInfo& anchor);
    // Activates the groups that `cls` belongs to and deactivates the other groups
    // started later than the first; returns the class activated before, or null.
    const TClassInfo* ActivateClassGroup(const TClassInfo& cls);
    // The group in which `cls` is registered, or null.
    const TRegGroup* GroupHolding(const TClassInfo& cls) const;

private:
    friend class TClassFinder;
    TRegGroup* BestGroupFor(const TClassInfo& cls) const;
    bool AnyGroupHolds(const TClassInfo& cls) const;

    mutable std::mutex lock_;
    std::vector<std::unique_ptr<TRegGroup>> groups_;
    const TClassInfo* activeClass_ = nullptr;
};

// The process registry's operations.
void RegisterStreamClass(const TClassInfo& cls);
void RegisterStreamClasses(std::initializer_list<const TClassInfo*> classes);
const TClassInfo* LookupClass(std::string_view name);
const TClassInfo& RequireClass(std::string_view name);

// The class lookup of a reader: the groups that the root class belongs to, then
// every active group; the first class found in that order.
class TClassFinder {
public:
    explicit TClassFinder(const TClassInfo& rootClass, const TRegGroups& registry = TRegGroups::Instance());
    const TClassInfo* Find(std::string_view name) const;

private:
    const TRegGroups& registry_;
    std::vector<const TRegGroup*> groups_;
};

}  // namespace orvalis

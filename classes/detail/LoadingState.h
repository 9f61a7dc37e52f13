#pragma once
// What the reader, the components and the loading functions of this layer share:
// pending references, the stack of global loaded lists and the readers at work. Not
// for use above this layer.

#include <functional>
#include <vector>

#include "runtime/String.h"

namespace orvalis {

class TComponent;
class TPersistent;
class TPropInfo;
class TReader;

// A reference to a component, named in a resource, to be written once the named
// component can be found.
struct TPropFixup {
    TPersistent* instance = nullptr;
    const TPropInfo* property = nullptr;
    // The path of the component, from `root` (or from the form named `rootName`).
    String name;
    TComponent* root = nullptr;
    String rootName;
    // The component whose body recorded it: the reference goes with it.
    TComponent* holder = nullptr;
};

namespace loading {

// The global loaded list on top of the stack, or null. Used under the name-space lock.
std::vector<TComponent*>* ActiveLoadedList();
void PushLoadedList(std::vector<TComponent*>& list);
void PopLoadedList();

// The global pending-reference list.
void AddGlobalFixup(TPropFixup fixup);
void DropGlobalFixups(const std::function<bool(const TPropFixup&)>& matches);
// Drops the references recorded while `root` (or a component it owns) was read.
void DropGlobalFixupsOf(const TComponent& root);

// Writes `component` (or null) into the fixup's property; a failure is reported as
// EReadError "Erreur lors de la lecture de %s%s%s: %s".
void WriteReference(const TPropFixup& fixup, TComponent* component);

// The readers at work on this thread, told of every component destroyed meanwhile.
void ReaderStarted(TReader& reader);
void ReaderFinished(TReader& reader);

// Called by every component's destructor: no list keeps pointing at it.
void ForgetComponent(TComponent& component);

}  // namespace loading
}  // namespace orvalis

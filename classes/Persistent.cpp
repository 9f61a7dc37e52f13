#include "classes/Persistent.h"

#include "classes/ClassBuilder.h"
#include "runtime/Exceptions.h"

namespace orvalis {

const TClassInfo& TPersistent::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TPersistent, TObject>("TPersistent");
    return info;
}

void RaiseAssignError(const TPersistent* source, const TPersistent& destination) {
    const std::string_view sourceName = source ? source->ClassName() : std::string_view("nil");
    throw EConvertError(ResId::AssignError, {sourceName, destination.ClassName()});
}

void TPersistent::CopyFromObject(TPersistent* source) {
    if (!source) RaiseAssignError(nullptr, *this);
    source->CopyInto(*this);
}

void TPersistent::CopyInto(TPersistent& destination) { RaiseAssignError(this, destination); }

void TPersistent::DeclareCustomProperties(TFiler&) {}

String TPersistent::NamePath() const { return String(ClassName()); }

}  // namespace orvalis

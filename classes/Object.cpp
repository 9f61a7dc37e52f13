#include "classes/Object.h"

#include "classes/ClassBuilder.h"

namespace orvalis {

const TClassInfo& TObject::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TObject, void>("TObject");
    return info;
}

std::string_view TObject::ClassName() const { return ClassInfo().Name(); }

const TClassInfo* TObject::ClassParent() const { return ClassInfo().Parent(); }

bool TObject::InheritsFrom(const TClassInfo& ancestor) const { return ClassInfo().InheritsFrom(ancestor); }

}  // namespace orvalis

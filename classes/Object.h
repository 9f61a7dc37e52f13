#pragma once
// TObject, the root of every framework class, and ORVALIS_TYPE_INFO, the one line
// that a class with type information puts into its body. The tables themselves are
// built by the class's StaticClassInfo() (classes/ClassBuilder.h).

#include <string_view>

namespace orvalis {

class TClassInfo;

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    using DescribedClass = TObject;
    static const TClassInfo& StaticClassInfo();
    // The type information of the object's most derived class.
    virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }
    std::string_view ClassName() const;
    // The type information of the parent class, or null for TObject.
    const TClassInfo* ClassParent() const;
    bool InheritsFrom(const TClassInfo& ancestor) const;

    // Called by the virtual constructors of the type information once the most
    // derived constructor has finished (the object has its full class by then).
    virtual void AfterConstruction() {}
};

}  // namespace orvalis

// Declares the type information of a class: its StaticClassInfo() (defined next to
// the class with DescribeClass) and the override that reports it. Leaves the class
// body in its public section.
#define ORVALIS_TYPE_INFO(ClassName)                       \
public:                                                    \
    using DescribedClass = ClassName;                      \
    static const ::orvalis::TClassInfo& StaticClassInfo(); \
    const ::orvalis::TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

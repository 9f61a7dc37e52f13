#include "framework/SizeConstraints.h"

#include <algorithm>

#include "classes/ClassBuilder.h"

namespace orvalis {

const TClassInfo& TSizeConstraints::StaticClassInfo() {
    static const TClassInfo info =
        DescribeClass<TSizeConstraints, TPersistent>("TSizeConstraints")
            .Property("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight)
            .Type(kConstraintSizeType)
            .Default(0)
            .Property("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth)
            .Type(kConstraintSizeType)
            .Default(0)
            .Property("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight)
            .Type(kConstraintSizeType)
            .Default(0)
            .Property("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth)
            .Type(kConstraintSizeType)
            .Default(0);
    return info;
}

void TSizeConstraints::CopyFromObject(TPersistent* source) {
    auto* constraints = dynamic_cast<TSizeConstraints*>(source);
    if (!constraints) return TPersistent::CopyFromObject(source);
    maxHeight_ = constraints->maxHeight_;
    maxWidth_ = constraints->maxWidth_;
    minHeight_ = constraints->minHeight_;
    minWidth_ = constraints->minWidth_;
    Changed();
}

std::int32_t TSizeConstraints::Constrain(std::int32_t size, std::int32_t min, std::int32_t max) {
    if (max > 0) size = std::min(size, max);
    return std::max(size, min);
}

void TSizeConstraints::SetLimit(std::int32_t& limit, std::int32_t value, std::int32_t& opposite, bool isMaximum) {
    value = std::max(value, 0);
    if (value == limit) return;
    limit = value;
    // The limit just set wins over the other one of its dimension.
    if (isMaximum ? value > 0 && value < opposite : opposite > 0 && value > opposite) opposite = value;
    Changed();
}

void TSizeConstraints::Changed() {
    if (onChange_) onChange_(this);
}

}  // namespace orvalis

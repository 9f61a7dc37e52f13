#pragma once
// TSizeConstraints: the smallest and the largest size that a control may take (its
// Constraints), 0 for no limit. The control applies them to every change of its bounds:
// its own SetBounds, an alignment, an anchor following the parent's resize. The limits
// never contradict each other: a maximum set below the minimum lowers the minimum, a
// minimum set above the maximum raises the maximum. Every change fires OnChange.

#include <cstdint>

#include "classes/Events.h"
#include "classes/Persistent.h"
#include "classes/TypeInfo.h"

namespace orvalis {

inline constexpr TTypeInfo kConstraintSizeType = IntegerType("TConstraintSize", ordLong, 0, INT32_MAX);

class TSizeConstraints : public TPersistent {
    ORVALIS_TYPE_INFO(TSizeConstraints)

public:
    TSizeConstraints() = default;

    // A negative value counts as 0: no limit.
    std::int32_t MaxHeight() const { return maxHeight_; }
    void SetMaxHeight(std::int32_t value) { SetLimit(maxHeight_, value, minHeight_, true); }
    std::int32_t MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(std::int32_t value) { SetLimit(maxWidth_, value, minWidth_, true); }
    std::int32_t MinHeight() const { return minHeight_; }
    void SetMinHeight(std::int32_t value) { SetLimit(minHeight_, value, maxHeight_, false); }
    std::int32_t MinWidth() const { return minWidth_; }
    void SetMinWidth(std::int32_t value) { SetLimit(minWidth_, value, maxWidth_, false); }

    // A size brought within the limits.
    std::int32_t ConstrainWidth(std::int32_t width) const { return Constrain(width, minWidth_, maxWidth_); }
    std::int32_t ConstrainHeight(std::int32_t height) const { return Constrain(height, minHeight_, maxHeight_); }

    // Copies the four limits of another TSizeConstraints (one OnChange).
    void CopyFromObject(TPersistent* source) override;

    const TNotifyEvent& OnChange() const { return onChange_; }
    void SetOnChange(const TNotifyEvent& handler) { onChange_ = handler; }

private:
    static std::int32_t Constrain(std::int32_t size, std::int32_t min, std::int32_t max);
    void SetLimit(std::int32_t& limit, std::int32_t value, std::int32_t& opposite, bool isMaximum);
    void Changed();

    std::int32_t maxHeight_ = 0;
    std::int32_t maxWidth_ = 0;
    std::int32_t minHeight_ = 0;
    std::int32_t minWidth_ = 0;
    TNotifyEvent onChange_;
};

}  // namespace orvalis

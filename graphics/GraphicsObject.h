#pragma once
// TGraphicsObject: what the canvas's tools (TFont, TBrush, TPen) share: an OnChange
// event fired after each change of one of their properties, so that whoever uses the
// tool (a canvas, a control) can take the change into account.

#include "classes/Events.h"
#include "classes/Persistent.h"

namespace orvalis {

class TGraphicsObject : public TPersistent {
    ORVALIS_TYPE_INFO(TGraphicsObject)

public:
    const TNotifyEvent& OnChange() const { return onChange_; }
    void SetOnChange(const TNotifyEvent& handler) { onChange_ = handler; }

protected:
    TGraphicsObject() = default;
    // Fires OnChange with this object as sender.
    void Changed();

private:
    TNotifyEvent onChange_;
};

}  // namespace orvalis

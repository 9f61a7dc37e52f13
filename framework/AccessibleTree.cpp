#include "framework/AccessibleTree.h"

#include <vector>

#include "framework/Form.h"
#include "framework/Label.h"

namespace orvalis {
namespace {

using platform::AccessibleElement;
using platform::AccessibleRole;
using platform::Rect;

// A label that can name a control.
struct LabelSpot {
    platform::AccessibleKey key;
    std::string name;
    Rect bounds;
    const TControl* focusControl;
};

void DescribeChildren(TWinControl& parent, platform::Point origin, bool enabled, std::vector<AccessibleElement>& into,
                      std::vector<LabelSpot>& labels) {
    for (int index = 0; index < parent.ControlCount(); ++index) {
        TControl& control = *parent.Controls(index);
        if (!control.Visible()) continue;
        AccessibleElement element;
        element.key = AccessibleKeyOf(control);
        element.bounds = Rect::FromOriginAndSize({origin.x + control.Left(), origin.y + control.Top()},
                                                 {control.Width(), control.Height()});
        element.states.showing = true;
        element.states.enabled = enabled && control.Enabled();
        const bool described = control.DescribeAccessible(element);
        if (const auto* label = dynamic_cast<const TLabel*>(&control); label && described && !element.name.empty())
            labels.push_back({element.key, element.name, element.bounds, label->FocusControl()});
        if (auto* windowed = dynamic_cast<TWinControl*>(&control))
            DescribeChildren(*windowed, element.bounds.Origin(), element.states.enabled,
                             described ? element.children : into, labels);
        if (described) into.push_back(std::move(element));
    }
}

bool OverlapsVertically(const Rect& a, const Rect& b) { return a.top < b.bottom && b.top < a.bottom; }
bool OverlapsHorizontally(const Rect& a, const Rect& b) { return a.left < b.right && b.left < a.right; }

const LabelSpot* LabelOf(const AccessibleElement& element, const std::vector<LabelSpot>& labels) {
    for (const LabelSpot& label : labels)
        if (label.focusControl && AccessibleKeyOf(*label.focusControl) == element.key) return &label;
    const Rect& bounds = element.bounds;
    const LabelSpot* nearest = nullptr;
    for (const LabelSpot& label : labels)
        if (OverlapsVertically(label.bounds, bounds) && label.bounds.right <= bounds.left &&
            (!nearest || label.bounds.right > nearest->bounds.right))
            nearest = &label;
    if (nearest) return nearest;
    for (const LabelSpot& label : labels)
        if (OverlapsHorizontally(label.bounds, bounds) && label.bounds.bottom <= bounds.top &&
            (!nearest || label.bounds.bottom > nearest->bounds.bottom))
            nearest = &label;
    return nearest;
}

void NameByLabels(AccessibleElement& element, const std::vector<LabelSpot>& labels) {
    const bool filledIn = element.role == AccessibleRole::Entry || element.role == AccessibleRole::SpinButton;
    if (filledIn && element.name.empty())
        if (const LabelSpot* label = LabelOf(element, labels)) {
            element.name = label->name;
            element.labelled = true;
            element.labelledBy = label->key;
        }
    for (AccessibleElement& child : element.children) NameByLabels(child, labels);
}

// The control below `parent` (or `parent` itself) that `object` names, when it shows and
// takes input with all its parents.
TControl* FindUsableControl(TWinControl& parent, std::uintptr_t object) {
    if (AccessibleKeyOf(parent).object == object) return &parent;
    for (int index = 0; index < parent.ControlCount(); ++index) {
        TControl& control = *parent.Controls(index);
        if (!control.Visible() || !control.Enabled()) continue;
        if (AccessibleKeyOf(control).object == object) return &control;
        if (auto* windowed = dynamic_cast<TWinControl*>(&control))
            if (TControl* found = FindUsableControl(*windowed, object)) return found;
    }
    return nullptr;
}

}  // namespace

platform::AccessibleKey AccessibleKeyOf(const TControl& control) {
    return {reinterpret_cast<std::uintptr_t>(&control), -1};
}

void DescribeForm(TCustomForm& form, AccessibleElement& root) {
    root.key = AccessibleKeyOf(form);
    form.DescribeAccessible(root);
    std::vector<LabelSpot> labels;
    DescribeChildren(form, {0, 0}, root.states.enabled && form.Enabled(), root.children, labels);
    NameByLabels(root, labels);
}

void RouteAccessibleRequest(TCustomForm& form, const platform::AccessibleRequest& request) {
    if (!form.Enabled()) return;
    if (TControl* control = FindUsableControl(form, request.key.object)) control->PerformAccessibleRequest(request);
}

}  // namespace orvalis

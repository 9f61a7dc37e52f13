#pragma once
// What assistive tools see inside one top-level window: the platform's description of the
// window (Accessibility.h), kept as nodes by key, and one accessible object (ElementAccessible)
// per element, children of the drawing area's accessible object. The objects are made
// only once a tool looks inside the area; from then on each new description is compared
// with the last one and every difference is announced through ATK (which GTK bridges to
// the desktop's accessibility bus): elements that came or went, names, states (the focus
// moving, a radio button checked), an entry's text and caret, a value, bounds. The
// window's own role, description and modal state go to the GtkWindow's accessible object
// (its name is its title, which GTK announces itself).
//
// Nothing here calls the framework: the objects answer from the last description, and a
// tool's request (an action, a text, a value, the focus) is reported to the platform, which
// routes it on the user-interface thread once the backend returns.

#include <atk/atk.h>
#include <gtk/gtk.h>

#include <map>
#include <optional>
#include <vector>

#include "platform/Accessibility.h"

namespace orvalis::platform::gtk {

class WindowAccessibility {
public:
    WindowAccessibility(HWND window, GtkWidget* area);
    ~WindowAccessibility();
    WindowAccessibility(const WindowAccessibility&) = delete;
    WindowAccessibility& operator=(const WindowAccessibility&) = delete;

    // The window's new description.
    void Update(const AccessibleElement& root);
    // The window took the keyboard (it appeared, or came back): its focused element is
    // announced as focused, as GTK announces a window's focus widget, whether or not it
    // changed; with the next description when none is focused yet.
    void Activated();

    // What the accessible objects ask. A parent of nullopt is the drawing area.
    int ChildCount(const std::optional<AccessibleKey>& parent);
    // A new reference, or null.
    AtkObject* RefChild(const std::optional<AccessibleKey>& parent, int index);
    int IndexInParent(const AccessibleKey& key) const;
    // Null when the element is gone.
    const AccessibleElement* Element(const AccessibleKey& key) const;
    // The objects of the radio buttons among the element's siblings (itself included).
    std::vector<AtkObject*> RadioGroupOf(const AccessibleKey& key) const;
    // The object of an element, or null (gone, or no tool looked yet).
    AtkObject* ObjectOf(const AccessibleKey& key) const;
    // The objects of the elements that this one (a label) names.
    std::vector<AtkObject*> LabelledBy(const AccessibleKey& label) const;
    // The element's bounds in the coordinates ATK asks for.
    AtkRectangle Extents(const AccessibleKey& key, AtkCoordType coordinates) const;
    // Where a character of its text shows; empty past the text.
    AtkRectangle CharacterExtents(const AccessibleKey& key, int offset, AtkCoordType coordinates) const;
    // Reports a tool's request to the platform.
    void Request(AccessibleRequest request) const;

private:
    struct Node {
        AccessibleElement element;  // without its children
        std::optional<AccessibleKey> parent;
        std::vector<AccessibleKey> children;
        int index = 0;                // among its parent's children
        AtkObject* object = nullptr;  // owned
    };
    using Nodes = std::map<AccessibleKey, Node>;

    // Adds the element and its descendants, children of `parent`, to `nodes`.
    static void Collect(const AccessibleElement& element, const std::optional<AccessibleKey>& parent, Nodes& nodes,
                        std::vector<AccessibleKey>& siblings);
    // Makes the objects of every element, once a tool looks inside the area.
    void Expose();
    AtkObject* ParentObject(const Node& node) const;
    const std::vector<AccessibleKey>* ChildrenOf(const std::optional<AccessibleKey>& parent) const;
    void UpdateWindowObject(const AccessibleElement& root);
    // A rectangle of the client area (the node's bounds or a part of them) in the
    // coordinates ATK asks for; ATK_XY_PARENT from the node's parent.
    AtkRectangle Extents(const Node& node, const Rect& bounds, AtkCoordType coordinates) const;
    // Announces what changed between the old and the new nodes; `focusGained` collects the
    // elements that took the focus, announced last.
    void Announce(const Nodes& old, std::vector<AtkObject*>& focusGained);
    // An element went: its parent says so, and its object is defunct.
    static void Drop(Node& node);
    // Announces the focused element as focused, when there is one.
    void AnnounceFocus();

    HWND window_;
    GtkWidget* area_;
    Nodes nodes_;
    std::vector<AccessibleKey> top_;   // the area's children
    AccessibleElement windowElement_;  // without its children
    bool exposed_ = false;
    bool focusToAnnounce_ = false;  // activated, and no focused element announced since
};

}  // namespace orvalis::platform::gtk

#include "platform/gtk/WindowAccessibility.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/NativeInput.h"
#include "platform/gtk/AccessibleTopLevel.h"
#include "platform/gtk/ElementAccessible.h"
#include "platform/gtk/ValidUtf8.h"

namespace orvalis::platform::gtk {

namespace {

// An element without its children, its texts made valid UTF-8 (the bus refuses anything else).
AccessibleElement WithoutChildren(const AccessibleElement& element) {
    AccessibleElement own;
    own.key = element.key;
    own.role = element.role;
    own.name = ValidUtf8(element.name);
    own.description = ValidUtf8(element.description);
    own.states = element.states;
    own.bounds = element.bounds;
    own.hasText = element.hasText;
    own.text = ValidUtf8(element.text);
    own.caret = element.caret;
    own.selectionStart = element.selectionStart;
    own.selectionEnd = element.selectionEnd;
    own.characters = element.characters;
    own.hasValue = element.hasValue;
    own.value = element.value;
    own.labelled = element.labelled;
    own.labelledBy = element.labelledBy;
    own.action = element.action;
    return own;
}

// Whether an element keeps its object: the object's interfaces follow from these.
bool SameKind(const AccessibleElement& a, const AccessibleElement& b) {
    return a.role == b.role && a.hasText == b.hasText && a.hasValue == b.hasValue;
}

// Announces a change of text as the characters removed, then those inserted, between
// the start and the end that did not change: a screen reader says what was typed or
// erased, not the whole text.
void ReplaceText(AtkObject* object, std::string_view was, std::string_view now) {
    std::size_t head = 0;
    while (head < was.size() && head < now.size() && was[head] == now[head]) ++head;
    std::size_t tail = 0;
    while (tail < was.size() - head && tail < now.size() - head &&
           was[was.size() - 1 - tail] == now[now.size() - 1 - tail])
        ++tail;
    // On character boundaries: the common parts end before a character that differs.
    while (head > 0 && head < was.size() && (static_cast<unsigned char>(was[head]) & 0xC0) == 0x80) --head;
    while (tail > 0 && (static_cast<unsigned char>(was[was.size() - tail]) & 0xC0) == 0x80) --tail;
    const auto offset = static_cast<gint>(g_utf8_strlen(was.data(), static_cast<gssize>(head)));
    auto announce = [&](const char* signal, std::string_view text) {
        const std::string piece(text.substr(head, text.size() - head - tail));
        if (piece.empty()) return;
        g_signal_emit_by_name(object, signal, offset, static_cast<gint>(g_utf8_strlen(piece.c_str(), -1)),
                              piece.c_str());
    };
    announce("text-remove", was);
    announce("text-insert", now);
}

}  // namespace

WindowAccessibility::WindowAccessibility(HWND window, GtkWidget* area) : window_(window), area_(area) {}

WindowAccessibility::~WindowAccessibility() {
    for (auto& [key, node] : nodes_) {
        if (!node.object) continue;
        DetachElementAccessible(node.object);
        g_object_unref(node.object);
    }
}

void WindowAccessibility::Collect(const AccessibleElement& element, const std::optional<AccessibleKey>& parent,
                                  Nodes& nodes, std::vector<AccessibleKey>& siblings) {
    auto [at, added] = nodes.try_emplace(element.key);
    if (!added) return;  // a key given twice names the first element only
    Node& node = at->second;
    node.element = WithoutChildren(element);
    node.parent = parent;
    node.index = static_cast<int>(siblings.size());
    siblings.push_back(element.key);
    for (const AccessibleElement& child : element.children) Collect(child, element.key, nodes, node.children);
}

void WindowAccessibility::Update(const AccessibleElement& root) {
    UpdateWindowObject(root);
    Nodes nodes;
    std::vector<AccessibleKey> top;
    for (const AccessibleElement& child : root.children) Collect(child, std::nullopt, nodes, top);
    Nodes old = std::exchange(nodes_, std::move(nodes));
    top_ = std::move(top);
    if (!exposed_) {
        if (focusToAnnounce_) AnnounceFocus();
        return;
    }

    // The elements that stay keep their objects; the others go, and new ones come.
    for (auto& [key, node] : nodes_) {
        auto found = old.find(key);
        if (found != old.end() && SameKind(found->second.element, node.element))
            node.object = std::exchange(found->second.object, nullptr);
    }
    for (auto& [key, node] : old)
        if (node.object) Drop(node);
    std::vector<AccessibleKey> added;
    for (auto& [key, node] : nodes_) {
        if (node.object) continue;
        node.object = NewElementAccessible(*this, key, node.element);
        added.push_back(key);
    }
    for (auto& [key, node] : nodes_)
        if (AtkObject* parent = ParentObject(node); atk_object_get_parent(node.object) != parent)
            atk_object_set_parent(node.object, parent);
    for (const AccessibleKey& key : added) {
        const Node& node = nodes_.at(key);
        g_signal_emit_by_name(ParentObject(node), "children-changed::add", node.index, node.object);
    }
    std::vector<AtkObject*> focusGained;
    Announce(old, focusGained);
    for (AtkObject* object : focusGained) atk_object_notify_state_change(object, ATK_STATE_FOCUSED, TRUE);
    if (!focusGained.empty()) focusToAnnounce_ = false;
    if (focusToAnnounce_) AnnounceFocus();
}

void WindowAccessibility::Activated() {
    focusToAnnounce_ = true;
    AnnounceFocus();
}

void WindowAccessibility::AnnounceFocus() {
    for (auto& [key, node] : nodes_)
        if (node.element.states.focused) {
            Expose();
            atk_object_notify_state_change(node.object, ATK_STATE_FOCUSED, TRUE);
            focusToAnnounce_ = false;
            return;
        }
}

void WindowAccessibility::UpdateWindowObject(const AccessibleElement& root) {
    GtkWidget* top = gtk_widget_get_toplevel(area_);
    if (!GTK_IS_WINDOW(top)) return;
    AccessibleElement now = WithoutChildren(root);
    AtkObject* window = gtk_widget_get_accessible(top);
    if (now.role != windowElement_.role) atk_object_set_role(window, AtkRoleOf(now.role));
    if (now.description != windowElement_.description) atk_object_set_description(window, now.description.c_str());
    SetAccessibleModal(GTK_WINDOW(top), now.states.modal);
    windowElement_ = std::move(now);
}

void WindowAccessibility::Drop(Node& node) {
    AtkObject* object = std::exchange(node.object, nullptr);
    if (AtkObject* parent = atk_object_get_parent(object))
        g_signal_emit_by_name(parent, "children-changed::remove", node.index, object);
    atk_object_notify_state_change(object, ATK_STATE_DEFUNCT, TRUE);
    DetachElementAccessible(object);
    g_object_unref(object);
}

void WindowAccessibility::Announce(const Nodes& old, std::vector<AtkObject*>& focusGained) {
    for (auto& [key, node] : nodes_) {
        auto found = old.find(key);
        if (found == old.end() || !SameKind(found->second.element, node.element)) continue;  // new
        const AccessibleElement& was = found->second.element;
        const AccessibleElement& now = node.element;
        AtkObject* object = node.object;
        if (was.name != now.name) atk_object_set_name(object, now.name.c_str());
        if (was.description != now.description) atk_object_set_description(object, now.description.c_str());
        AnnounceStates(object, was.states, now.states);
        if (now.states.focused && !was.states.focused) focusGained.push_back(object);
        if (was.text != now.text) ReplaceText(object, was.text, now.text);
        if (was.caret != now.caret) g_signal_emit_by_name(object, "text-caret-moved", now.caret);
        if (was.selectionStart != now.selectionStart || was.selectionEnd != now.selectionEnd)
            g_signal_emit_by_name(object, "text-selection-changed");
        if (was.value != now.value) g_object_notify(G_OBJECT(object), "accessible-value");
        if (was.bounds != now.bounds) {
            AtkRectangle extents = Extents(key, ATK_XY_SCREEN);
            g_signal_emit_by_name(object, "bounds-changed", &extents);
        }
    }
}

void WindowAccessibility::Expose() {
    if (exposed_) return;
    exposed_ = true;
    for (auto& [key, node] : nodes_) node.object = NewElementAccessible(*this, key, node.element);
    for (auto& [key, node] : nodes_) atk_object_set_parent(node.object, ParentObject(node));
}

AtkObject* WindowAccessibility::ParentObject(const Node& node) const {
    return node.parent ? nodes_.at(*node.parent).object : gtk_widget_get_accessible(area_);
}

const std::vector<AccessibleKey>* WindowAccessibility::ChildrenOf(const std::optional<AccessibleKey>& parent) const {
    if (!parent) return &top_;
    auto found = nodes_.find(*parent);
    return found == nodes_.end() ? nullptr : &found->second.children;
}

int WindowAccessibility::ChildCount(const std::optional<AccessibleKey>& parent) {
    Expose();
    const std::vector<AccessibleKey>* children = ChildrenOf(parent);
    return children ? static_cast<int>(children->size()) : 0;
}

AtkObject* WindowAccessibility::RefChild(const std::optional<AccessibleKey>& parent, int index) {
    Expose();
    const std::vector<AccessibleKey>* children = ChildrenOf(parent);
    if (!children || index < 0 || index >= static_cast<int>(children->size())) return nullptr;
    AtkObject* object = nodes_.at((*children)[index]).object;
    return object ? ATK_OBJECT(g_object_ref(object)) : nullptr;
}

int WindowAccessibility::IndexInParent(const AccessibleKey& key) const {
    auto found = nodes_.find(key);
    return found == nodes_.end() ? -1 : found->second.index;
}

const AccessibleElement* WindowAccessibility::Element(const AccessibleKey& key) const {
    auto found = nodes_.find(key);
    return found == nodes_.end() ? nullptr : &found->second.element;
}

AtkObject* WindowAccessibility::ObjectOf(const AccessibleKey& key) const {
    auto found = nodes_.find(key);
    return found == nodes_.end() ? nullptr : found->second.object;
}

std::vector<AtkObject*> WindowAccessibility::RadioGroupOf(const AccessibleKey& key) const {
    std::vector<AtkObject*> group;
    auto found = nodes_.find(key);
    const std::vector<AccessibleKey>* siblings = found == nodes_.end() ? nullptr : ChildrenOf(found->second.parent);
    if (!siblings) return group;
    for (const AccessibleKey& sibling : *siblings) {
        const Node& node = nodes_.at(sibling);
        if (node.element.role == AccessibleRole::RadioButton && node.object) group.push_back(node.object);
    }
    // Last first, as GTK lists a group (a screen reader counts the positions from its end).
    std::reverse(group.begin(), group.end());
    return group;
}

std::vector<AtkObject*> WindowAccessibility::LabelledBy(const AccessibleKey& label) const {
    std::vector<AtkObject*> named;
    for (const auto& [key, node] : nodes_)
        if (node.element.labelled && node.element.labelledBy == label && node.object) named.push_back(node.object);
    return named;
}

AtkRectangle WindowAccessibility::Extents(const AccessibleKey& key, AtkCoordType coordinates) const {
    auto found = nodes_.find(key);
    if (found == nodes_.end()) return {0, 0, 0, 0};
    return Extents(found->second, found->second.element.bounds, coordinates);
}

AtkRectangle WindowAccessibility::CharacterExtents(const AccessibleKey& key, int offset,
                                                   AtkCoordType coordinates) const {
    auto found = nodes_.find(key);
    if (found == nodes_.end()) return {0, 0, 0, 0};
    const std::vector<Rect>& characters = found->second.element.characters;
    if (offset < 0 || offset >= static_cast<int>(characters.size())) return {0, 0, 0, 0};
    return Extents(found->second, characters[offset], coordinates);
}

AtkRectangle WindowAccessibility::Extents(const Node& node, const Rect& bounds, AtkCoordType coordinates) const {
    AtkRectangle extents{bounds.left, bounds.top, bounds.Width(), bounds.Height()};
    if (coordinates == ATK_XY_PARENT) {
        if (const std::optional<AccessibleKey>& parent = node.parent) {
            const Rect& outer = nodes_.at(*parent).element.bounds;
            extents.x -= outer.left;
            extents.y -= outer.top;
        }
        return extents;
    }
    // The bounds are in the client area, which the drawing area shows from its top left.
    GtkWidget* top = gtk_widget_get_toplevel(area_);
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(area_, top, 0, 0, &x, &y);
    extents.x += x;
    extents.y += y;
    if (coordinates == ATK_XY_SCREEN)
        if (GdkWindow* window = gtk_widget_get_window(top)) {
            gdk_window_get_origin(window, &x, &y);
            extents.x += x;
            extents.y += y;
        }
    return extents;
}

void WindowAccessibility::Request(AccessibleRequest request) const {
    native::AccessibleRequested(window_, std::move(request));
}

}  // namespace orvalis::platform::gtk

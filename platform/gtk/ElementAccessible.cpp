#include "platform/gtk/ElementAccessible.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gtk/WindowAccessibility.h"

namespace orvalis::platform::gtk {

namespace {

using Kind = AccessibleRequest::Kind;

// One GObject type per set of interfaces: every element has a place on the screen and
// may have an action; an entry has a text, a spin button a value.
struct OrvalisElementAccessible {
    AtkObject parent;
    WindowAccessibility* model;  // null once the element went
    AccessibleKey key;
};
struct OrvalisElementAccessibleClass {
    AtkObjectClass parent;
};
struct OrvalisEntryAccessible {
    OrvalisElementAccessible parent;
};
struct OrvalisEntryAccessibleClass {
    OrvalisElementAccessibleClass parent;
};
struct OrvalisLabelAccessible {
    OrvalisElementAccessible parent;
};
struct OrvalisLabelAccessibleClass {
    OrvalisElementAccessibleClass parent;
};
struct OrvalisSpinAccessible {
    OrvalisElementAccessible parent;
};
struct OrvalisSpinAccessibleClass {
    OrvalisElementAccessibleClass parent;
};
struct OrvalisSpinEntryAccessible {
    OrvalisEntryAccessible parent;
};
struct OrvalisSpinEntryAccessibleClass {
    OrvalisEntryAccessibleClass parent;
};

OrvalisElementAccessible& Self(gpointer object) { return *static_cast<OrvalisElementAccessible*>(object); }

const AccessibleElement* ElementOf(gpointer object) {
    const OrvalisElementAccessible& self = Self(object);
    return self.model ? self.model->Element(self.key) : nullptr;
}

void Request(gpointer object, AccessibleRequest request) {
    OrvalisElementAccessible& self = Self(object);
    if (!self.model) return;
    request.key = self.key;
    self.model->Request(std::move(request));
}

struct StateBit {
    bool AccessibleStates::*flag;
    AtkStateType state;
};
// The focus is not here: its gain is announced apart.
constexpr StateBit kStateBits[] = {
    {&AccessibleStates::showing, ATK_STATE_SHOWING},     {&AccessibleStates::showing, ATK_STATE_VISIBLE},
    {&AccessibleStates::enabled, ATK_STATE_ENABLED},     {&AccessibleStates::enabled, ATK_STATE_SENSITIVE},
    {&AccessibleStates::focusable, ATK_STATE_FOCUSABLE}, {&AccessibleStates::checked, ATK_STATE_CHECKED},
    {&AccessibleStates::isDefault, ATK_STATE_DEFAULT},   {&AccessibleStates::editable, ATK_STATE_EDITABLE},
    {&AccessibleStates::modal, ATK_STATE_MODAL},
};

// --- AtkObject

gint GetNChildren(AtkObject* object) {
    OrvalisElementAccessible& self = Self(object);
    return self.model ? self.model->ChildCount(self.key) : 0;
}

AtkObject* RefChild(AtkObject* object, gint index) {
    OrvalisElementAccessible& self = Self(object);
    return self.model ? self.model->RefChild(self.key, index) : nullptr;
}

gint GetIndexInParent(AtkObject* object) {
    OrvalisElementAccessible& self = Self(object);
    return self.model ? self.model->IndexInParent(self.key) : -1;
}

AtkStateSet* RefStateSet(AtkObject* object) {
    if (const AccessibleElement* element = ElementOf(object)) return NewStateSet(*element);
    AtkStateSet* states = atk_state_set_new();
    atk_state_set_add_state(states, ATK_STATE_DEFUNCT);
    return states;
}

void AddRelation(AtkRelationSet* relations, AtkRelationType type, std::vector<AtkObject*> targets) {
    if (targets.empty()) return;
    AtkRelation* relation = atk_relation_new(targets.data(), static_cast<gint>(targets.size()), type);
    atk_relation_set_add(relations, relation);
    g_object_unref(relation);
}

AtkRelationSet* RefRelationSet(AtkObject* object) {
    AtkRelationSet* relations = atk_relation_set_new();
    const OrvalisElementAccessible& self = Self(object);
    const AccessibleElement* element = ElementOf(object);
    if (!element) return relations;
    if (element->labelled)
        if (AtkObject* label = self.model->ObjectOf(element->labelledBy))
            AddRelation(relations, ATK_RELATION_LABELLED_BY, {label});
    AddRelation(relations, ATK_RELATION_LABEL_FOR, self.model->LabelledBy(self.key));
    if (element->role == AccessibleRole::RadioButton)
        AddRelation(relations, ATK_RELATION_MEMBER_OF, self.model->RadioGroupOf(self.key));
    return relations;
}

// --- AtkComponent

// Hands a rectangle back through ATK's parameters, any of which may be null.
void GiveExtents(const AtkRectangle& extents, gint* x, gint* y, gint* width, gint* height) {
    if (x) *x = extents.x;
    if (y) *y = extents.y;
    if (width) *width = extents.width;
    if (height) *height = extents.height;
}

void GetExtents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height, AtkCoordType coordinates) {
    OrvalisElementAccessible& self = Self(component);
    GiveExtents(self.model ? self.model->Extents(self.key, coordinates) : AtkRectangle{0, 0, 0, 0}, x, y, width,
                height);
}

gboolean GrabFocus(AtkComponent* component) {
    const AccessibleElement* element = ElementOf(component);
    if (!element || !element->states.focusable) return FALSE;
    Request(component, {{}, Kind::Focus, {}, 0});
    return TRUE;
}

AtkLayer GetLayer(AtkComponent*) { return ATK_LAYER_WIDGET; }

void InitComponent(AtkComponentIface* iface) {
    iface->get_extents = GetExtents;
    iface->grab_focus = GrabFocus;
    iface->get_layer = GetLayer;
}

// --- AtkAction: the element's one action, if any.

gint GetNActions(AtkAction* action) {
    const AccessibleElement* element = ElementOf(action);
    return element && !element->action.empty() ? 1 : 0;
}

gboolean DoAction(AtkAction* action, gint index) {
    if (index != 0 || GetNActions(action) == 0) return FALSE;
    Request(action, {{}, Kind::DoAction, {}, 0});
    return TRUE;
}

const gchar* GetActionName(AtkAction* action, gint index) {
    const AccessibleElement* element = ElementOf(action);
    return index == 0 && element && !element->action.empty() ? element->action.c_str() : nullptr;
}

const gchar* GetLocalizedActionName(AtkAction* action, gint index) {
    return GetActionName(action, index) ? "Cliquer" : nullptr;
}

void InitAction(AtkActionIface* iface) {
    iface->get_n_actions = GetNActions;
    iface->do_action = DoAction;
    iface->get_name = GetActionName;
    iface->get_localized_name = GetLocalizedActionName;
}

// --- AtkText and AtkEditableText: an entry's one line, or a label's name, offsets in
// characters.

std::string_view TextOf(gpointer object) {
    const AccessibleElement* element = ElementOf(object);
    if (!element) return {};
    return element->hasText ? std::string_view(element->text) : std::string_view(element->name);
}

gint CharacterCount(std::string_view text) {
    return static_cast<gint>(g_utf8_strlen(text.data(), static_cast<gssize>(text.size())));
}

// The byte offset of a character offset, kept within the text.
std::size_t ByteOffset(std::string_view text, gint offset) {
    offset = std::clamp(offset, 0, CharacterCount(text));
    return static_cast<std::size_t>(g_utf8_offset_to_pointer(text.data(), offset) - text.data());
}

std::string Slice(std::string_view text, gint start, gint end) {
    if (end < 0) end = CharacterCount(text);
    std::size_t from = ByteOffset(text, start);
    std::size_t to = ByteOffset(text, end);
    return to > from ? std::string(text.substr(from, to - from)) : std::string();
}

gchar* GetText(AtkText* object, gint start, gint end) { return g_strdup(Slice(TextOf(object), start, end).c_str()); }

gint GetCharacterCount(AtkText* object) { return CharacterCount(TextOf(object)); }

gint GetCaretOffset(AtkText* object) {
    const AccessibleElement* element = ElementOf(object);
    return element ? element->caret : 0;
}

gunichar GetCharacterAtOffset(AtkText* object, gint offset) {
    std::string_view text = TextOf(object);
    if (offset < 0 || offset >= CharacterCount(text)) return 0;
    return g_utf8_get_char(text.data() + ByteOffset(text, offset));
}

// The piece of the text around `offset`: the character, the word, or (for sentences,
// lines and paragraphs) the whole line.
gchar* PieceAt(std::string_view text, gint offset, std::optional<AtkTextGranularity> granularity, gint* start,
               gint* end) {
    const gint count = CharacterCount(text);
    gint from = 0, to = count;
    if (granularity == ATK_TEXT_GRANULARITY_CHAR) {
        from = std::clamp(offset, 0, count);
        to = std::min(from + 1, count);
    } else if (granularity == ATK_TEXT_GRANULARITY_WORD) {
        auto blank = [&](gint at) { return g_unichar_isspace(g_utf8_get_char(text.data() + ByteOffset(text, at))); };
        from = to = std::clamp(offset, 0, count);
        while (from > 0 && !blank(from - 1)) --from;
        while (to < count && !blank(to)) ++to;
    }
    if (start) *start = from;
    if (end) *end = to;
    return g_strdup(Slice(text, from, to).c_str());
}

gchar* GetStringAtOffset(AtkText* object, gint offset, AtkTextGranularity granularity, gint* start, gint* end) {
    return PieceAt(TextOf(object), offset, granularity, start, end);
}

gchar* GetTextAtOffset(AtkText* object, gint offset, AtkTextBoundary boundary, gint* start, gint* end) {
    std::optional<AtkTextGranularity> granularity;
    if (boundary == ATK_TEXT_BOUNDARY_CHAR) granularity = ATK_TEXT_GRANULARITY_CHAR;
    if (boundary == ATK_TEXT_BOUNDARY_WORD_START || boundary == ATK_TEXT_BOUNDARY_WORD_END)
        granularity = ATK_TEXT_GRANULARITY_WORD;
    return PieceAt(TextOf(object), offset, granularity, start, end);
}

// One run over the whole text, without attributes of its own: the text shows in one font.
AtkAttributeSet* GetRunAttributes(AtkText* object, gint, gint* start, gint* end) {
    if (start) *start = 0;
    if (end) *end = CharacterCount(TextOf(object));
    return nullptr;
}

AtkAttributeSet* GetDefaultAttributes(AtkText*) { return nullptr; }

gint GetNSelections(AtkText* object) {
    const AccessibleElement* element = ElementOf(object);
    return element && element->selectionStart != element->selectionEnd ? 1 : 0;
}

gchar* GetSelection(AtkText* object, gint index, gint* start, gint* end) {
    const AccessibleElement* element = ElementOf(object);
    const bool selected = index == 0 && GetNSelections(object) == 1;
    const gint from = selected ? element->selectionStart : 0;
    const gint to = selected ? element->selectionEnd : 0;
    if (start) *start = from;
    if (end) *end = to;
    return selected ? g_strdup(Slice(TextOf(object), from, to).c_str()) : nullptr;
}

// The entry's one selection: the caret goes to its end, as a drag of the mouse leaves it.
gboolean RequestSelection(AtkText* object, gint start, gint end) {
    const AccessibleElement* element = ElementOf(object);
    if (!element || !element->hasText) return FALSE;
    const gint count = CharacterCount(TextOf(object));
    if (end < 0) end = count;
    AccessibleRequest request{{}, Kind::Select, {}, 0};
    request.start = std::clamp(start, 0, count);
    request.end = std::clamp(end, 0, count);
    Request(object, std::move(request));
    return TRUE;
}

gboolean AddSelection(AtkText* object, gint start, gint end) {
    return GetNSelections(object) == 0 && RequestSelection(object, start, end);
}

gboolean SetSelection(AtkText* object, gint index, gint start, gint end) {
    return index == 0 && RequestSelection(object, start, end);
}

gboolean RemoveSelection(AtkText* object, gint index) {
    return index == 0 && GetNSelections(object) == 1 &&
           RequestSelection(object, GetCaretOffset(object), GetCaretOffset(object));
}

gboolean SetCaretOffset(AtkText* object, gint offset) { return RequestSelection(object, offset, offset); }

void GetCharacterExtents(AtkText* object, gint offset, gint* x, gint* y, gint* width, gint* height,
                         AtkCoordType coordinates) {
    OrvalisElementAccessible& self = Self(object);
    GiveExtents(self.model ? self.model->CharacterExtents(self.key, offset, coordinates) : AtkRectangle{0, 0, 0, 0}, x,
                y, width, height);
}

void InitText(AtkTextIface* iface) {
    iface->get_run_attributes = GetRunAttributes;
    iface->get_default_attributes = GetDefaultAttributes;
    iface->get_n_selections = GetNSelections;
    iface->get_selection = GetSelection;
    iface->add_selection = AddSelection;
    iface->set_selection = SetSelection;
    iface->remove_selection = RemoveSelection;
    iface->set_caret_offset = SetCaretOffset;
    iface->get_character_extents = GetCharacterExtents;
    iface->get_text = GetText;
    iface->get_character_count = GetCharacterCount;
    iface->get_caret_offset = GetCaretOffset;
    iface->get_character_at_offset = GetCharacterAtOffset;
    iface->get_string_at_offset = GetStringAtOffset;
    iface->get_text_at_offset = GetTextAtOffset;
}

// A change of the text is asked for as the whole new text, which the entry takes as
// typing over all of it would.
void RequestText(gpointer object, std::string text) {
    const AccessibleElement* element = ElementOf(object);
    if (element && element->states.editable) Request(object, {{}, Kind::SetText, std::move(text), 0});
}

void SetTextContents(AtkEditableText* object, const gchar* text) { RequestText(object, text ? text : ""); }

void InsertText(AtkEditableText* object, const gchar* inserted, gint length, gint* position) {
    if (!inserted || !position) return;
    std::string_view text = TextOf(object);
    std::string_view piece = length < 0 ? std::string_view(inserted) : std::string_view(inserted, length);
    std::size_t at = ByteOffset(text, *position);
    std::string changed(text.substr(0, at));
    changed.append(piece).append(text.substr(at));
    *position += CharacterCount(piece);
    RequestText(object, std::move(changed));
}

void DeleteText(AtkEditableText* object, gint start, gint end) {
    std::string_view text = TextOf(object);
    if (end < 0) end = CharacterCount(text);
    RequestText(object, Slice(text, 0, start) + Slice(text, end, -1));
}

void InitEditableText(AtkEditableTextIface* iface) {
    iface->set_text_contents = SetTextContents;
    iface->insert_text = InsertText;
    iface->delete_text = DeleteText;
}

// --- AtkValue: a spin button's whole number. Both the current interface and the one
// before it, which parts of the bridge still use.

AccessibleValue ValueOf(gpointer object) {
    const AccessibleElement* element = ElementOf(object);
    return element ? element->value : AccessibleValue{};
}

void RequestValue(gpointer object, double value) {
    if (std::isfinite(value)) Request(object, {{}, Kind::SetValue, {}, static_cast<int>(std::lround(value))});
}

void SetDouble(GValue* value, double number) {
    g_value_init(value, G_TYPE_DOUBLE);
    g_value_set_double(value, number);
}

void GetCurrentValue(AtkValue* object, GValue* value) { SetDouble(value, ValueOf(object).current); }

void GetMaximumValue(AtkValue* object, GValue* value) { SetDouble(value, ValueOf(object).maximum); }

void GetMinimumValue(AtkValue* object, GValue* value) { SetDouble(value, ValueOf(object).minimum); }

void GetMinimumIncrement(AtkValue*, GValue* value) { SetDouble(value, 1); }

gboolean SetCurrentValue(AtkValue* object, const GValue* value) {
    GValue number = G_VALUE_INIT;
    g_value_init(&number, G_TYPE_DOUBLE);
    bool converted = g_value_transform(value, &number);
    if (converted) RequestValue(object, g_value_get_double(&number));
    g_value_unset(&number);
    return converted;
}

void GetValueAndText(AtkValue* object, gdouble* value, gchar** text) {
    if (value) *value = ValueOf(object).current;
    // A whole number needs no text of its own (and the bridge would not free one).
    if (text) *text = nullptr;
}

AtkRange* GetRange(AtkValue* object) {
    AccessibleValue value = ValueOf(object);
    return atk_range_new(value.minimum, value.maximum, nullptr);
}

gdouble GetIncrement(AtkValue*) { return 1; }

void SetValue(AtkValue* object, gdouble value) { RequestValue(object, value); }

void InitValue(AtkValueIface* iface) {
    iface->get_current_value = GetCurrentValue;
    iface->get_maximum_value = GetMaximumValue;
    iface->get_minimum_value = GetMinimumValue;
    iface->get_minimum_increment = GetMinimumIncrement;
    iface->set_current_value = SetCurrentValue;
    iface->get_value_and_text = GetValueAndText;
    iface->get_range = GetRange;
    iface->get_increment = GetIncrement;
    iface->set_value = SetValue;
}

}  // namespace

G_DEFINE_TYPE_WITH_CODE(OrvalisElementAccessible, orvalis_element_accessible, ATK_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, InitComponent)
                            G_IMPLEMENT_INTERFACE(ATK_TYPE_ACTION, InitAction))

static void orvalis_element_accessible_init(OrvalisElementAccessible* self) {
    self->model = nullptr;
    self->key = {};
}

static void orvalis_element_accessible_class_init(OrvalisElementAccessibleClass* elementClass) {
    AtkObjectClass* objectClass = ATK_OBJECT_CLASS(elementClass);
    objectClass->get_n_children = GetNChildren;
    objectClass->ref_child = RefChild;
    objectClass->get_index_in_parent = GetIndexInParent;
    objectClass->ref_state_set = RefStateSet;
    objectClass->ref_relation_set = RefRelationSet;
}

G_DEFINE_TYPE_WITH_CODE(OrvalisEntryAccessible, orvalis_entry_accessible, orvalis_element_accessible_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_TEXT, InitText)
                            G_IMPLEMENT_INTERFACE(ATK_TYPE_EDITABLE_TEXT, InitEditableText))

static void orvalis_entry_accessible_init(OrvalisEntryAccessible*) {}
static void orvalis_entry_accessible_class_init(OrvalisEntryAccessibleClass*) {}

G_DEFINE_TYPE_WITH_CODE(OrvalisLabelAccessible, orvalis_label_accessible, orvalis_element_accessible_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_TEXT, InitText))

static void orvalis_label_accessible_init(OrvalisLabelAccessible*) {}
static void orvalis_label_accessible_class_init(OrvalisLabelAccessibleClass*) {}

G_DEFINE_TYPE_WITH_CODE(OrvalisSpinAccessible, orvalis_spin_accessible, orvalis_element_accessible_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_VALUE, InitValue))

static void orvalis_spin_accessible_init(OrvalisSpinAccessible*) {}
static void orvalis_spin_accessible_class_init(OrvalisSpinAccessibleClass*) {}

// A spin button typed into: an entry with a value.
G_DEFINE_TYPE_WITH_CODE(OrvalisSpinEntryAccessible, orvalis_spin_entry_accessible, orvalis_entry_accessible_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_VALUE, InitValue))

static void orvalis_spin_entry_accessible_init(OrvalisSpinEntryAccessible*) {}
static void orvalis_spin_entry_accessible_class_init(OrvalisSpinEntryAccessibleClass*) {}

namespace {

GType TypeOf(const AccessibleElement& element) {
    if (element.role == AccessibleRole::Label) return orvalis_label_accessible_get_type();
    if (element.hasText)
        return element.hasValue ? orvalis_spin_entry_accessible_get_type() : orvalis_entry_accessible_get_type();
    return element.hasValue ? orvalis_spin_accessible_get_type() : orvalis_element_accessible_get_type();
}

}  // namespace

AtkObject* NewElementAccessible(WindowAccessibility& model, const AccessibleKey& key,
                                const AccessibleElement& element) {
    GType type = TypeOf(element);
    AtkObject* object = ATK_OBJECT(g_object_new(type, nullptr));
    OrvalisElementAccessible& self = Self(object);
    self.model = &model;
    self.key = key;
    atk_object_set_role(object, AtkRoleOf(element.role));
    atk_object_set_name(object, element.name.c_str());
    atk_object_set_description(object, element.description.c_str());
    return object;
}

void DetachElementAccessible(AtkObject* object) { Self(object).model = nullptr; }

AtkRole AtkRoleOf(AccessibleRole role) {
    switch (role) {
        case AccessibleRole::Frame: return ATK_ROLE_FRAME;
        case AccessibleRole::Dialog: return ATK_ROLE_DIALOG;
        case AccessibleRole::Alert: return ATK_ROLE_ALERT;
        case AccessibleRole::Panel: return ATK_ROLE_PANEL;
        case AccessibleRole::Label: return ATK_ROLE_LABEL;
        case AccessibleRole::Entry: return ATK_ROLE_ENTRY;
        case AccessibleRole::SpinButton: return ATK_ROLE_SPIN_BUTTON;
        case AccessibleRole::RadioButton: return ATK_ROLE_RADIO_BUTTON;
        case AccessibleRole::PushButton: return ATK_ROLE_PUSH_BUTTON;
        case AccessibleRole::Image: return ATK_ROLE_IMAGE;
    }
    return ATK_ROLE_UNKNOWN;
}

AtkStateSet* NewStateSet(const AccessibleElement& element) {
    AtkStateSet* states = atk_state_set_new();
    for (const StateBit& bit : kStateBits)
        if (element.states.*bit.flag) atk_state_set_add_state(states, bit.state);
    if (element.states.focused) atk_state_set_add_state(states, ATK_STATE_FOCUSED);
    if (element.role == AccessibleRole::Entry) atk_state_set_add_state(states, ATK_STATE_SINGLE_LINE);
    if (element.role == AccessibleRole::RadioButton) atk_state_set_add_state(states, ATK_STATE_CHECKABLE);
    return states;
}

void AnnounceStates(AtkObject* object, const AccessibleStates& was, const AccessibleStates& now) {
    if (was.focused && !now.focused) atk_object_notify_state_change(object, ATK_STATE_FOCUSED, FALSE);
    for (const StateBit& bit : kStateBits)
        if (was.*bit.flag != now.*bit.flag) atk_object_notify_state_change(object, bit.state, now.*bit.flag);
}

}  // namespace orvalis::platform::gtk

// The desktop backend's accessible objects in a real X display (CTest runs this under
// run_in_xvfb.py), read and driven through ATK in process: a window's description as the
// drawing area's children (roles, names, states, relations, text, value, extents,
// actions), each difference of a new description announced (the focus lost before the
// focus gained), and the tools' requests reaching the window as WM_ACCESSIBLEREQUEST.
// desktop_accessibility_scenario reads the real viewer through the bus.

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/Accessibility.h"
#include "platform/MessageQueue.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/GtkStartup.h"
#include "platform/gtk/TopLevelWindow.h"

using namespace orvalis;
using namespace orvalis::platform;

namespace {

// A window that describes `scene` and keeps the requests it is sent.
class DescribedWindow final : public WindowProcedure {
public:
    AccessibleElement scene;
    std::vector<AccessibleRequest> requests;

    LRESULT WindowProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_GETOBJECT) {
            auto& root = *reinterpret_cast<AccessibleElement*>(lParam);
            root.role = scene.role;
            root.description = scene.description;
            root.states.modal = scene.states.modal;
            root.children = scene.children;
            return 0;
        }
        if (message == WM_ACCESSIBLEREQUEST) {
            requests.push_back(*reinterpret_cast<const AccessibleRequest*>(lParam));
            return 0;
        }
        return DefWindowProc(window, message, wParam, lParam);
    }
};

AccessibleElement Element(int id, AccessibleRole role, std::string name, Rect bounds) {
    AccessibleElement element;
    element.key = {static_cast<std::uintptr_t>(id), -1};
    element.role = role;
    element.name = std::move(name);
    element.bounds = bounds;
    element.states.showing = element.states.enabled = true;
    return element;
}

// The delay box of the options dialog, its label, and a group of two radio buttons.
AccessibleElement OptionsScene() {
    AccessibleElement scene;
    scene.role = AccessibleRole::Dialog;
    scene.children.push_back(Element(1, AccessibleRole::Label, "Délai", {8, 8, 119, 21}));
    AccessibleElement entry = Element(2, AccessibleRole::Entry, "Délai", {128, 8, 153, 29});
    entry.states.focusable = entry.states.focused = entry.states.editable = true;
    entry.hasText = true;
    entry.text = "3";
    entry.caret = 1;
    entry.selectionEnd = 1;
    entry.characters = {{130, 12, 137, 25}};
    entry.labelled = true;
    entry.labelledBy = {1, -1};
    scene.children.push_back(entry);
    AccessibleElement spin = Element(3, AccessibleRole::SpinButton, "Délai", {153, 8, 168, 29});
    spin.hasValue = true;
    spin.value = {1, 20, 3};
    scene.children.push_back(spin);
    AccessibleElement group = Element(4, AccessibleRole::Panel, "Mode", {24, 40, 153, 97});
    for (int item = 0; item < 2; ++item) {
        AccessibleElement radio = Element(4, AccessibleRole::RadioButton, item == 0 ? "Continu" : "Arrêt",
                                          {32, 55 + 20 * item, 140, 71 + 20 * item});
        radio.key.part = item;
        radio.states.focusable = true;
        radio.states.checked = item == 0;
        radio.action = "click";
        group.children.push_back(radio);
    }
    scene.children.push_back(group);
    return scene;
}

std::string RoleName(AtkObject* object) { return atk_role_get_name(atk_object_get_role(object)); }

bool HasState(AtkObject* object, AtkStateType state) {
    AtkStateSet* states = atk_object_ref_state_set(object);
    bool has = atk_state_set_contains_state(states, state);
    g_object_unref(states);
    return has;
}

// What an object announced, as "signal detail value" lines.
struct Announcements {
    std::vector<std::string> heard;

    void Listen(AtkObject* object) {
        g_signal_connect(object, "state-change", G_CALLBACK(OnState), this);
        g_signal_connect(object, "children-changed", G_CALLBACK(OnChildren), this);
        if (ATK_IS_TEXT(object)) g_signal_connect(object, "text-insert", G_CALLBACK(OnInsert), this);
    }
    static std::string NameOf(gpointer object) {
        const gchar* name = atk_object_get_name(ATK_OBJECT(object));
        return name ? name : "";
    }
    static void OnState(AtkObject* object, gchar* state, gboolean value, Announcements* self) {
        self->heard.push_back(NameOf(object) + " " + state + (value ? " on" : " off"));
    }
    static void OnInsert(AtkObject* object, gint, gint, gchar* text, Announcements* self) {
        self->heard.push_back(NameOf(object) + " text " + text);
    }
    static void OnChange(AtkObject*, gint offset, gint length, gchar* text, std::vector<std::string>* heard) {
        heard->push_back(std::to_string(offset) + "+" + std::to_string(length) + " " + text);
    }
    // Every insertion and removal of an entry's text, as "offset+length text".
    static void ListenToChanges(AtkObject* entry, std::vector<std::string>& removed,
                                std::vector<std::string>& inserted) {
        g_signal_connect(entry, "text-remove", G_CALLBACK(OnChange), &removed);
        g_signal_connect(entry, "text-insert", G_CALLBACK(OnChange), &inserted);
    }
    static void OnChildren(AtkObject*, guint index, gpointer child, Announcements* self) {
        self->heard.push_back("child " + std::to_string(index) + " " + NameOf(child));
    }
};

class GtkAccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gtk::InstallGtkBackend("the test's display went away"))
            << "no display: these tests run under tests/desktop/run_in_xvfb.py";
        RegisterWindowClass({"GtkAccessibilityTest", 0});
        described_.scene = OptionsScene();
        window_ = ShowDescribedWindow(described_, "Options", {100, 100, 300, 260});
        Describe();
    }

    // A new top-level window that `described` describes, shown.
    static HWND ShowDescribedWindow(DescribedWindow& described, const char* caption, Rect bounds) {
        CreateWindowParams params;
        params.className = "GtkAccessibilityTest";
        params.text = caption;
        params.style = WS_CAPTION | WS_SYSMENU;
        params.bounds = bounds;
        params.procedure = &described;
        HWND window = CreateWindow(params);
        ShowWindow(window, SW_SHOW);
        return window;
    }

    void TearDown() override {
        RemoveBackend();
        while (gtk_events_pending()) gtk_main_iteration();
    }

    gtk::GtkBackend& Backend() { return static_cast<gtk::GtkBackend&>(CurrentBackend()); }
    void Describe() { Backend().SetAccessibleTree(window_, DescribeWindow(window_)); }
    AtkObject* Area() { return gtk_widget_get_accessible(Backend().NativeWindow(window_)->DrawingArea()); }
    // A child of the area (or of one of its children): a reference the test keeps.
    AtkObject* Child(AtkObject* parent, int index) {
        AtkObject* child = atk_object_ref_accessible_child(parent, index);
        if (child) kept_.push_back(child);
        return child;
    }
    // Handles the reports of the backend (the requests) as the queue does.
    void HandleReports() {
        Message message;
        while (PeekMessage(message, PM_REMOVE)) DispatchMessage(message);
    }

    DescribedWindow described_;
    HWND window_ = 0;
    std::vector<AtkObject*> kept_;
    // Hears until the objects go, after the test.
    Announcements announced;

    ~GtkAccessibilityTest() override {
        for (AtkObject* object : kept_) g_object_unref(object);
    }
};

TEST_F(GtkAccessibilityTest, TheDescriptionIsTheDrawingAreasChildrenWithTheirRolesStatesAndRelations) {
    AtkObject* window = gtk_widget_get_accessible(GTK_WIDGET(Backend().NativeWindow(window_)->Window()));
    EXPECT_EQ(RoleName(window), "dialog");
    AtkObject* area = Area();
    EXPECT_EQ(RoleName(area), "panel");
    ASSERT_EQ(atk_object_get_n_accessible_children(area), 4);
    AtkObject* label = Child(area, 0);
    AtkObject* entry = Child(area, 1);
    AtkObject* spin = Child(area, 2);
    AtkObject* group = Child(area, 3);
    EXPECT_EQ(RoleName(label), "label");
    EXPECT_EQ(RoleName(entry), "entry");
    EXPECT_EQ(RoleName(spin), "spin button");
    EXPECT_EQ(RoleName(group), "panel");
    EXPECT_STREQ(atk_object_get_name(entry), "Délai");
    EXPECT_EQ(atk_object_get_index_in_parent(spin), 2);
    EXPECT_EQ(atk_object_get_parent(spin), area);

    EXPECT_TRUE(HasState(entry, ATK_STATE_FOCUSED));
    EXPECT_TRUE(HasState(entry, ATK_STATE_EDITABLE));
    EXPECT_TRUE(HasState(entry, ATK_STATE_SENSITIVE));
    EXPECT_TRUE(HasState(entry, ATK_STATE_SHOWING));
    EXPECT_FALSE(HasState(label, ATK_STATE_FOCUSABLE));
    gchar* text = atk_text_get_text(ATK_TEXT(entry), 0, -1);
    EXPECT_STREQ(text, "3");
    g_free(text);
    EXPECT_EQ(atk_text_get_caret_offset(ATK_TEXT(entry)), 1);
    gint start = -1, end = -1;
    text = atk_text_get_selection(ATK_TEXT(entry), 0, &start, &end);
    EXPECT_STREQ(text, "3");
    g_free(text);
    EXPECT_EQ(std::vector<gint>({atk_text_get_n_selections(ATK_TEXT(entry)), start, end}),
              std::vector<gint>({1, 0, 1}));
    AtkAttributeSet* attributes = atk_text_get_run_attributes(ATK_TEXT(entry), 0, &start, &end);
    EXPECT_EQ(std::vector<gint>({start, end}), std::vector<gint>({0, 1})) << "one run over the whole text";
    atk_attribute_set_free(attributes);
    gint x = 0, y = 0, width = 0, height = 0;
    atk_text_get_character_extents(ATK_TEXT(entry), 0, &x, &y, &width, &height, ATK_XY_WINDOW);
    EXPECT_EQ(std::vector<gint>({x, y, width, height}), std::vector<gint>({130, 12, 7, 13}));
    atk_text_get_character_extents(ATK_TEXT(entry), 1, &x, &y, &width, &height, ATK_XY_WINDOW);
    EXPECT_EQ(std::vector<gint>({x, y, width, height}), std::vector<gint>({0, 0, 0, 0})) << "past the text";
    text = atk_text_get_text(ATK_TEXT(label), 0, -1);
    EXPECT_STREQ(text, "Délai") << "a label's text is its name";
    g_free(text);
    EXPECT_FALSE(ATK_IS_EDITABLE_TEXT(label));
    gdouble value = 0;
    atk_value_get_value_and_text(ATK_VALUE(spin), &value, nullptr);
    EXPECT_EQ(value, 3);
    AtkRange* range = atk_value_get_range(ATK_VALUE(spin));
    EXPECT_EQ(atk_range_get_lower_limit(range), 1);
    EXPECT_EQ(atk_range_get_upper_limit(range), 20);
    atk_range_free(range);

    AtkRelationSet* relations = atk_object_ref_relation_set(entry);
    AtkRelation* labelledBy = atk_relation_set_get_relation_by_type(relations, ATK_RELATION_LABELLED_BY);
    ASSERT_NE(labelledBy, nullptr);
    EXPECT_EQ(g_ptr_array_index(atk_relation_get_target(labelledBy), 0), label);
    g_object_unref(relations);

    ASSERT_EQ(atk_object_get_n_accessible_children(group), 2);
    AtkObject* arret = Child(group, 1);
    EXPECT_STREQ(atk_object_get_name(arret), "Arrêt");
    EXPECT_FALSE(HasState(arret, ATK_STATE_CHECKED));
    EXPECT_TRUE(HasState(Child(group, 0), ATK_STATE_CHECKED));
    relations = atk_object_ref_relation_set(arret);
    AtkRelation* memberOf = atk_relation_set_get_relation_by_type(relations, ATK_RELATION_MEMBER_OF);
    ASSERT_NE(memberOf, nullptr);
    EXPECT_EQ(atk_relation_get_target(memberOf)->len, 2u) << "the radio buttons of its panel";
    EXPECT_EQ(g_ptr_array_index(atk_relation_get_target(memberOf), 0), arret) << "last first, as GTK lists them";
    g_object_unref(relations);
    EXPECT_EQ(atk_action_get_n_actions(ATK_ACTION(arret)), 1);
    EXPECT_STREQ(atk_action_get_name(ATK_ACTION(arret), 0), "click");
    EXPECT_EQ(atk_action_get_n_actions(ATK_ACTION(label)), 0);

    // Extents: in the window, the drawing area's offset (none here: no menu bar) added;
    // in the parent, from the panel's corner.
    atk_component_get_extents(ATK_COMPONENT(arret), &x, &y, &width, &height, ATK_XY_WINDOW);
    EXPECT_EQ(std::vector<gint>({x, y, width, height}), std::vector<gint>({32, 75, 108, 16}));
    atk_component_get_extents(ATK_COMPONENT(arret), &x, &y, &width, &height, ATK_XY_PARENT);
    EXPECT_EQ(std::vector<gint>({x, y}), std::vector<gint>({8, 35}));
}

TEST_F(GtkAccessibilityTest, ANewDescriptionAnnouncesWhatChangedTheFocusGainedLast) {
    AtkObject* area = Area();
    AtkObject* entry = Child(area, 1);
    AtkObject* group = Child(area, 3);
    AtkObject* continu = Child(group, 0);
    AtkObject* arret = Child(group, 1);
    AtkObject* spin = Child(area, 2);
    for (AtkObject* object : {area, entry, continu, arret}) announced.Listen(object);

    // "Arrêt" chosen and focused (listed after the entry that loses the focus), the
    // entry's text changed, the spin button gone.
    AccessibleElement& scene = described_.scene;
    scene.children[1].states.focused = false;
    scene.children[1].text = "7";
    scene.children[3].children[0].states.checked = false;
    scene.children[3].children[1].states.checked = true;
    scene.children[3].children[1].states.focused = true;
    std::swap(scene.children[1], scene.children[3]);
    scene.children.erase(scene.children.begin() + 2);
    Describe();

    EXPECT_EQ(announced.heard, (std::vector<std::string>{
                                   "child 2 Délai",  // the spin button's removal
                                   "Délai focused off",
                                   "Délai text 7",
                                   "Continu checked off",
                                   "Arrêt checked on",
                                   "Arrêt focused on",
                               }));
    EXPECT_TRUE(HasState(spin, ATK_STATE_DEFUNCT));
    EXPECT_EQ(atk_object_get_n_accessible_children(area), 3);
    EXPECT_EQ(atk_object_get_index_in_parent(entry), 2) << "after the panel, now";

    // The focus back to the entry: "Arrêt" loses it first, though it comes later.
    announced.heard.clear();
    scene.children[1].children[1].states.focused = false;
    scene.children[2].states.focused = true;
    Describe();
    EXPECT_EQ(announced.heard, (std::vector<std::string>{"Arrêt focused off", "Délai focused on"}));
}

TEST_F(GtkAccessibilityTest, AChangeOfTextIsAnnouncedAsTheCharactersThatChanged) {
    struct Case {
        std::string was, now;
        std::vector<std::string> removed, inserted;
    };
    const Case cases[] = {
        {"123", "12", {"2+1 3"}, {}},              // BackSpace at the end
        {"3", "4", {"0+1 3"}, {"0+1 4"}},          // a step of the value
        {"5", "54", {}, {"1+1 4"}},                // typed at the end
        {"aéb", "ab", {"1+1 é"}, {}},              // a character of two bytes
        {"éa", "èa", {"0+1 é"}, {"0+1 è"}},        // the same first byte, another character
        {"", "7", {}, {"0+1 7"}},                  // into an empty box
        {"abab", "ab", {"2+2 ab"}, {}},            // a repeat: the first kept
        {"1234", "1994", {"1+2 23"}, {"1+2 99"}},  // replaced within
    };
    AtkObject* entry = Child(Area(), 1);
    for (const Case& change : cases) {
        described_.scene.children[1].text = change.was;
        Describe();
        std::vector<std::string> removed, inserted;
        Announcements::ListenToChanges(entry, removed, inserted);
        described_.scene.children[1].text = change.now;
        Describe();
        g_signal_handlers_disconnect_matched(entry, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, &removed);
        g_signal_handlers_disconnect_matched(entry, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, &inserted);
        EXPECT_EQ(removed, change.removed) << change.was << " to " << change.now;
        EXPECT_EQ(inserted, change.inserted) << change.was << " to " << change.now;
    }
}

TEST_F(GtkAccessibilityTest, TheWindowTakingTheKeyboardAnnouncesItsFocusedElement) {
    GtkWindow* window = Backend().NativeWindow(window_)->Window();
    AtkObject* entry = Child(Area(), 1);
    announced.Listen(entry);
    // Each time the window takes the keyboard (it appeared, or came back), the focused
    // element is said to be focused, though it had the focus the last time already.
    for (int showing = 0; showing < 2; ++showing) {
        announced.heard.clear();
        if (showing > 0) {
            ShowWindow(window_, SW_HIDE);
            while (gtk_events_pending()) gtk_main_iteration();
            ShowWindow(window_, SW_SHOW);
            Describe();
        }
        gtk_window_present(window);
        while (!gtk_window_is_active(window)) gtk_main_iteration();
        EXPECT_EQ(announced.heard, std::vector<std::string>{"Délai focused on"}) << "showing " << showing;
    }
}

TEST_F(GtkAccessibilityTest, AWindowIsAnnouncedWithTheRoleAndModalStateOfItsDescription) {
    // What the tools meet of a new window as GTK announces it: its role, and whether it
    // is modal (a screen reader keeps to a modal dialog's content). The window object's
    // own state is the one read: a GTK modal dialog carries it there.
    struct Case {
        AccessibleRole role;
        bool modal;
        std::string heard;
    };
    const Case cases[] = {
        {AccessibleRole::Alert, true, "alert modal"},    // a message dialog
        {AccessibleRole::Dialog, true, "dialog modal"},  // the options dialog
        {AccessibleRole::Dialog, false, "dialog"},       // a dialog shown without ShowModal
        {AccessibleRole::Frame, false, "frame"},         // the main window
    };
    auto added = +[](AtkObject*, guint, gpointer child, std::vector<std::string>* heard) {
        heard->push_back(RoleName(ATK_OBJECT(child)) + (HasState(ATK_OBJECT(child), ATK_STATE_MODAL) ? " modal" : ""));
    };
    AtkObject* root = atk_get_root();
    for (const Case& window : cases) {
        std::vector<std::string> heard;
        const gulong listening = g_signal_connect(root, "children-changed::add", G_CALLBACK(added), &heard);
        DescribedWindow described;
        described.scene.role = window.role;
        described.scene.states.modal = window.modal;
        HWND shown = ShowDescribedWindow(described, "Erreur", {120, 120, 320, 220});
        g_signal_handler_disconnect(root, listening);
        DestroyWindow(shown);
        EXPECT_EQ(heard, std::vector<std::string>{window.heard});
    }
}

TEST_F(GtkAccessibilityTest, TheWindowsModalStateFollowsItsDescription) {
    // A form shown modally, then again without ShowModal: the state comes and goes, announced.
    AtkObject* window = gtk_widget_get_accessible(GTK_WIDGET(Backend().NativeWindow(window_)->Window()));
    announced.Listen(window);
    for (bool modal : {true, false}) {
        announced.heard.clear();
        described_.scene.states.modal = modal;
        Describe();
        EXPECT_EQ(HasState(window, ATK_STATE_MODAL), modal);
        EXPECT_EQ(announced.heard, std::vector<std::string>{std::string("Options modal ") + (modal ? "on" : "off")});
        Describe();
        EXPECT_EQ(announced.heard.size(), 1u) << "announced once, when it changes";
    }
}

TEST_F(GtkAccessibilityTest, TheToolsRequestsReachTheWindow) {
    AtkObject* area = Area();
    AtkObject* entry = Child(area, 1);
    AtkObject* spin = Child(area, 2);
    AtkObject* arret = Child(Child(area, 3), 1);
    EXPECT_TRUE(atk_action_do_action(ATK_ACTION(arret), 0));
    EXPECT_TRUE(atk_component_grab_focus(ATK_COMPONENT(arret)));
    atk_editable_text_set_text_contents(ATK_EDITABLE_TEXT(entry), "12");
    gint position = 1;
    atk_editable_text_insert_text(ATK_EDITABLE_TEXT(entry), "é", -1, &position);
    EXPECT_EQ(position, 2);
    atk_value_set_value(ATK_VALUE(spin), 7.4);
    EXPECT_FALSE(atk_component_grab_focus(ATK_COMPONENT(spin))) << "not focusable";
    EXPECT_TRUE(atk_text_set_caret_offset(ATK_TEXT(entry), 0));
    EXPECT_TRUE(atk_text_set_selection(ATK_TEXT(entry), 0, 0, 9));
    EXPECT_FALSE(atk_text_add_selection(ATK_TEXT(entry), 0, 1)) << "one selection, there already";
    EXPECT_TRUE(atk_text_remove_selection(ATK_TEXT(entry), 0));
    HandleReports();

    using Kind = AccessibleRequest::Kind;
    const std::vector<AccessibleRequest>& requests = described_.requests;
    ASSERT_EQ(requests.size(), 8u);
    EXPECT_EQ(requests[0].kind, Kind::DoAction);
    EXPECT_EQ(requests[0].key, (AccessibleKey{4, 1}));
    EXPECT_EQ(requests[1].kind, Kind::Focus);
    EXPECT_EQ(requests[2].kind, Kind::SetText);
    EXPECT_EQ(requests[2].text, "12");
    EXPECT_EQ(requests[3].text, "3é") << "an insertion asks for the whole new text";
    EXPECT_EQ(requests[4].kind, Kind::SetValue);
    EXPECT_EQ(requests[4].value, 7);
    EXPECT_EQ(requests[4].key, (AccessibleKey{3, -1}));
    // The caret, a selection kept within the text, none: the caret at the end given.
    std::vector<std::vector<int>> selections;
    for (std::size_t index = 5; index < requests.size(); ++index) {
        EXPECT_EQ(requests[index].kind, Kind::Select);
        selections.push_back({requests[index].start, requests[index].end});
    }
    EXPECT_EQ(selections, (std::vector<std::vector<int>>{{0, 0}, {0, 1}, {1, 1}}));
}

}  // namespace

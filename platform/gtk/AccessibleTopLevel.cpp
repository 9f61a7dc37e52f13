#include "platform/gtk/AccessibleTopLevel.h"

#include <gtk/gtk-a11y.h>

namespace orvalis::platform::gtk {

namespace {

struct OrvalisTopLevel {
    GtkWindow parent;
    bool modal;  // run modally by the platform
};
struct OrvalisTopLevelClass {
    GtkWindowClass parent;
};
struct OrvalisTopLevelAccessible {
    GtkWindowAccessible parent;
};
struct OrvalisTopLevelAccessibleClass {
    GtkWindowAccessibleClass parent;
};

}  // namespace

G_DEFINE_TYPE(OrvalisTopLevel, orvalis_top_level, GTK_TYPE_WINDOW)
G_DEFINE_TYPE(OrvalisTopLevelAccessible, orvalis_top_level_accessible, GTK_TYPE_WINDOW_ACCESSIBLE)

namespace {

OrvalisTopLevel* TopLevelOf(gpointer widget) {
    return widget && G_TYPE_CHECK_INSTANCE_TYPE(widget, orvalis_top_level_get_type())
               ? reinterpret_cast<OrvalisTopLevel*>(widget)
               : nullptr;
}

AtkStateSet* RefStateSet(AtkObject* object) {
    AtkStateSet* states = ATK_OBJECT_CLASS(orvalis_top_level_accessible_parent_class)->ref_state_set(object);
    const OrvalisTopLevel* window = TopLevelOf(gtk_accessible_get_widget(GTK_ACCESSIBLE(object)));
    if (window && window->modal) atk_state_set_add_state(states, ATK_STATE_MODAL);
    return states;
}

}  // namespace

static void orvalis_top_level_accessible_init(OrvalisTopLevelAccessible*) {}

static void orvalis_top_level_accessible_class_init(OrvalisTopLevelAccessibleClass* accessibleClass) {
    ATK_OBJECT_CLASS(accessibleClass)->ref_state_set = RefStateSet;
}

static void orvalis_top_level_init(OrvalisTopLevel* window) { window->modal = false; }

static void orvalis_top_level_class_init(OrvalisTopLevelClass* windowClass) {
    gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(windowClass), orvalis_top_level_accessible_get_type());
}

GtkWidget* NewAccessibleTopLevel() {
    return GTK_WIDGET(g_object_new(orvalis_top_level_get_type(), "type", GTK_WINDOW_TOPLEVEL, nullptr));
}

void SetAccessibleModal(GtkWindow* window, bool modal) {
    OrvalisTopLevel* topLevel = TopLevelOf(window);
    if (!topLevel || topLevel->modal == modal) return;
    topLevel->modal = modal;
    atk_object_notify_state_change(gtk_widget_get_accessible(GTK_WIDGET(window)), ATK_STATE_MODAL, modal);
}

}  // namespace orvalis::platform::gtk

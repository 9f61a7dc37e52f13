#include "platform/gtk/AccessibleSurfaceArea.h"

#include <gtk/gtk-a11y.h>

#include "platform/gtk/WindowAccessibility.h"

namespace orvalis::platform::gtk {

namespace {

struct OrvalisSurfaceArea {
    GtkDrawingArea parent;
    WindowAccessibility* accessibility;  // owned
    bool followsActivation;              // its window's activation announces the focus
};
struct OrvalisSurfaceAreaClass {
    GtkDrawingAreaClass parent;
};
struct OrvalisSurfaceAreaAccessible {
    GtkWidgetAccessible parent;
};
struct OrvalisSurfaceAreaAccessibleClass {
    GtkWidgetAccessibleClass parent;
};

// The description of the area's window; null once the area is being destroyed.
WindowAccessibility* AccessibilityOf(GtkWidget* widget) {
    return widget ? reinterpret_cast<OrvalisSurfaceArea*>(widget)->accessibility : nullptr;
}

WindowAccessibility* AccessibilityOf(AtkObject* object) {
    return AccessibilityOf(gtk_accessible_get_widget(GTK_ACCESSIBLE(object)));
}

gint GetNChildren(AtkObject* object) {
    WindowAccessibility* accessibility = AccessibilityOf(object);
    return accessibility ? accessibility->ChildCount(std::nullopt) : 0;
}

AtkObject* RefChild(AtkObject* object, gint index) {
    WindowAccessibility* accessibility = AccessibilityOf(object);
    return accessibility ? accessibility->RefChild(std::nullopt, index) : nullptr;
}

}  // namespace

G_DEFINE_TYPE(OrvalisSurfaceAreaAccessible, orvalis_surface_area_accessible, GTK_TYPE_WIDGET_ACCESSIBLE)

static void orvalis_surface_area_accessible_init(OrvalisSurfaceAreaAccessible*) {}

static void orvalis_surface_area_accessible_class_init(OrvalisSurfaceAreaAccessibleClass* areaClass) {
    AtkObjectClass* objectClass = ATK_OBJECT_CLASS(areaClass);
    objectClass->get_n_children = GetNChildren;
    objectClass->ref_child = RefChild;
}

G_DEFINE_TYPE(OrvalisSurfaceArea, orvalis_surface_area, GTK_TYPE_DRAWING_AREA)

static void orvalis_surface_area_init(OrvalisSurfaceArea* area) {
    area->accessibility = nullptr;
    area->followsActivation = false;
}

static void DisposeSurfaceArea(GObject* object) {
    auto* area = reinterpret_cast<OrvalisSurfaceArea*>(object);
    delete area->accessibility;
    area->accessibility = nullptr;
    G_OBJECT_CLASS(orvalis_surface_area_parent_class)->dispose(object);
}

static void WindowActiveChanged(GObject* window, GParamSpec*, gpointer area) {
    if (!gtk_window_is_active(GTK_WINDOW(window))) return;
    if (WindowAccessibility* accessibility = AccessibilityOf(GTK_WIDGET(area))) accessibility->Activated();
}

// The area shows once its window does: from then on the window's activation is followed.
static void MapSurfaceArea(GtkWidget* widget) {
    GTK_WIDGET_CLASS(orvalis_surface_area_parent_class)->map(widget);
    auto* area = reinterpret_cast<OrvalisSurfaceArea*>(widget);
    GtkWidget* top = gtk_widget_get_toplevel(widget);
    if (area->followsActivation || !GTK_IS_WINDOW(top)) return;
    area->followsActivation = true;
    g_signal_connect_object(top, "notify::is-active", G_CALLBACK(WindowActiveChanged), widget, GConnectFlags(0));
}

static void orvalis_surface_area_class_init(OrvalisSurfaceAreaClass* areaClass) {
    G_OBJECT_CLASS(areaClass)->dispose = DisposeSurfaceArea;
    GtkWidgetClass* widgetClass = GTK_WIDGET_CLASS(areaClass);
    widgetClass->map = MapSurfaceArea;
    gtk_widget_class_set_accessible_type(widgetClass, orvalis_surface_area_accessible_get_type());
    // A plain container of the controls drawn in it.
    gtk_widget_class_set_accessible_role(widgetClass, ATK_ROLE_PANEL);
}

GtkWidget* NewAccessibleSurfaceArea(HWND window) {
    GtkWidget* widget = GTK_WIDGET(g_object_new(orvalis_surface_area_get_type(), nullptr));
    reinterpret_cast<OrvalisSurfaceArea*>(widget)->accessibility = new WindowAccessibility(window, widget);
    return widget;
}

void SetAccessibleDescription(GtkWidget* area, const AccessibleElement& root) {
    if (WindowAccessibility* accessibility = AccessibilityOf(area)) accessibility->Update(root);
}

}  // namespace orvalis::platform::gtk

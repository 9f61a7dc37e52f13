#include "platform/gtk/AccessibleSurfaceArea.h"

#include <gtk/gtk-a11y.h>

#include "platform/gtk/WindowAccessibility.h"

namespace orvalis::platform::gtk {

namespace {

struct OrvalisSurfaceArea {
    GtkDrawingArea parent;
    WindowAccessibility* accessibility;  // owned
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

static void orvalis_surface_area_init(OrvalisSurfaceArea* area) { area->accessibility = nullptr; }

static void DisposeSurfaceArea(GObject* object) {
    auto* area = reinterpret_cast<OrvalisSurfaceArea*>(object);
    delete area->accessibility;
    area->accessibility = nullptr;
    G_OBJECT_CLASS(orvalis_surface_area_parent_class)->dispose(object);
}

static void orvalis_surface_area_class_init(OrvalisSurfaceAreaClass* areaClass) {
    G_OBJECT_CLASS(areaClass)->dispose = DisposeSurfaceArea;
    GtkWidgetClass* widgetClass = GTK_WIDGET_CLASS(areaClass);
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

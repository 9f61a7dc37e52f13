// A plain GTK window with one button, for theme_scenario.py to read the colours that the
// desktop's own controls have in the current theme (GTK_THEME). It prints where the
// button is, in the window's coordinates, once the window is drawn, and stays until
// closed.

#include <gtk/gtk.h>

#include <cstdio>

namespace {

gboolean ReportButton(GtkWidget* button, cairo_t*, gpointer) {
    GtkAllocation area;
    gtk_widget_get_allocation(button, &area);
    std::printf("button %d %d %d %d\n", area.x, area.y, area.width, area.height);
    std::fflush(stdout);
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Échantillon du thème");
    gtk_window_set_default_size(GTK_WINDOW(window), 240, 120);
    GtkWidget* place = gtk_fixed_new();
    GtkWidget* button = gtk_button_new_with_label("Bouton");
    gtk_widget_set_size_request(button, 120, 40);
    gtk_fixed_put(GTK_FIXED(place), button, 60, 40);
    gtk_container_add(GTK_CONTAINER(window), place);
    g_signal_connect_after(button, "draw", G_CALLBACK(ReportButton), nullptr);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}

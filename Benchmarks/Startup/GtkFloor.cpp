// The plainest GTK 3 dialog: a label and a button in a window, and nothing
// else. The start-up benchmark's floor for Keyscout's dialog; run with
// GDK_GL=disable, as Keyscout sets it. Ends with its window.
#include <gtk/gtk.h>

int main(int argumentCount, char** arguments)
{
    g_setenv("GDK_GL", "disable", FALSE);
    gtk_init(&argumentCount, &arguments);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "GTK floor");
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_add(GTK_CONTAINER(box), gtk_label_new("Click the button above to start key detection.."));
    gtk_container_add(GTK_CONTAINER(box), gtk_button_new_with_label("Detect key(s)"));
    gtk_container_add(GTK_CONTAINER(window), box);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}

// A GTK module for the end-to-end run (GTK_MODULES=/path/to/it): while the
// program runs, writes the rectangles of the dialog's controls, in the
// dialog's own coordinates, to the file named by KEYSCOUT_LAYOUT_FILE, one
// line per control: "kind x y width height text". Kinds: label, combo (its
// text is its accessible name), button, check, and scrollbar (text h or v)
// for a scroll bar shown; the window itself comes first as "window".
#include <gtk/gtk.h>

#include <cstdio>
#include <string>

namespace {

const char* const C_DIALOG_TITLE = "Tavrin Engine Input detector";

void describe(GtkWidget* widget, GtkWidget* window, std::string& out);

void describeChild(GtkWidget* child, gpointer data)
{
    auto* context = static_cast<std::pair<GtkWidget*, std::string*>*>(data);
    describe(child, context->first, *context->second);
}

void line(GtkWidget* widget, GtkWidget* window, const char* kind, const char* text, std::string& out)
{
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(widget, window, 0, 0, &x, &y);
    char buffer[512];
    snprintf(buffer, sizeof(buffer), "%s %d %d %d %d %s\n", kind, x, y, gtk_widget_get_allocated_width(widget),
             gtk_widget_get_allocated_height(widget), text ? text : "");
    out += buffer;
}

void describe(GtkWidget* widget, GtkWidget* window, std::string& out)
{
    if (!gtk_widget_get_visible(widget))
        return;
    if (GTK_IS_COMBO_BOX(widget))
        line(widget, window, "combo", atk_object_get_name(gtk_widget_get_accessible(widget)), out);
    else if (GTK_IS_CHECK_BUTTON(widget))
        line(widget, window, "check", gtk_button_get_label(GTK_BUTTON(widget)), out);
    else if (GTK_IS_BUTTON(widget))
        line(widget, window, "button", gtk_button_get_label(GTK_BUTTON(widget)), out);
    else if (GTK_IS_LABEL(widget))
        line(widget, window, "label", gtk_label_get_text(GTK_LABEL(widget)), out);
    else if (GTK_IS_SCROLLBAR(widget) && gtk_widget_get_child_visible(widget))
        line(widget, window, "scrollbar", gtk_orientable_get_orientation(GTK_ORIENTABLE(widget)) ? "v" : "h", out);
    else if (GTK_IS_CONTAINER(widget))
    {
        // With the internal children: a scrolled window's scroll bars.
        std::pair<GtkWidget*, std::string*> context(window, &out);
        gtk_container_forall(GTK_CONTAINER(widget), describeChild, &context);
    }
}

gboolean writeLayout(gpointer)
{
    const char* path = g_getenv("KEYSCOUT_LAYOUT_FILE");
    if (!path)
        return G_SOURCE_REMOVE;
    GList* windows = gtk_window_list_toplevels();
    for (GList* item = windows; item; item = item->next)
    {
        GtkWidget* window = GTK_WIDGET(item->data);
        const char* title = gtk_window_get_title(GTK_WINDOW(window));
        if (!title || std::string(title) != C_DIALOG_TITLE || !gtk_widget_get_mapped(window))
            continue;
        std::string out;
        line(window, window, "window", "", out);
        describe(gtk_bin_get_child(GTK_BIN(window)), window, out);
        // Whole files only: the reader never sees half a layout.
        std::string temporary = std::string(path) + ".part";
        if (FILE* file = fopen(temporary.c_str(), "w"))
        {
            fputs(out.c_str(), file);
            fclose(file);
            rename(temporary.c_str(), path);
        }
    }
    g_list_free(windows);
    return G_SOURCE_CONTINUE;
}

} // namespace

extern "C" G_MODULE_EXPORT void gtk_module_init(gint*, gchar***)
{
    g_timeout_add(100, writeLayout, nullptr);
}

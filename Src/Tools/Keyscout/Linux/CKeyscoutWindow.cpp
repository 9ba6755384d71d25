#include "Tools/Keyscout/Linux/CKeyscoutWindow.h"

#include "Engine/IKernel/CLog.h"
#include "Tools/Keyscout/CKeyscout.h"

#include <gdk/gdkkeysyms.h>

using namespace Tavrin::Engine;

const char* const CKeyscoutWindow::C_TITLE = "Tavrin Engine Input detector";

namespace {

// Dialog units in pixels: the Windows dialog's arrangement, with the
// vertical unit grown a little since GTK's controls are taller.
int dluX(int units)
{
    return units * 3 / 2;
}

int dluY(int units)
{
    return units * 2;
}

// Exceptions cannot unwind through GTK's C frames: they stop here, logged
// (an engine exception logged itself too); the run has already given the
// window back.
template <typename TAction>
void guarded(const char* what, TAction action)
{
    try
    {
        action();
    }
    catch (...)
    {
        logLevel(3, "Error: exception while handling %s; the dialog goes on\n", what);
    }
}

} // namespace

CKeyscoutWindow::CKeyscoutWindow(CKeyscout& application) : m_application(application)
{
    _build();
    _listJoysticks();
}

CKeyscoutWindow::~CKeyscoutWindow()
{
    if (m_timer)
        g_source_remove(m_timer);
    if (m_window)
        gtk_widget_destroy(m_window);
}

void CKeyscoutWindow::_build()
{
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(m_window), C_TITLE);
    gtk_window_set_resizable(GTK_WINDOW(m_window), FALSE);
    gtk_window_set_position(GTK_WINDOW(m_window), GTK_WIN_POS_CENTER);
    gtk_widget_set_size_request(m_window, dluX(297), dluY(105));
    m_layout = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(m_window), m_layout);

    for (int slot = 0; slot < 2; ++slot)
    {
        GtkWidget* label = gtk_label_new(slot == 0 ? "Joystick #0:" : "Joystick #1:");
        gtk_label_set_xalign(GTK_LABEL(label), 1.0f);
        _place(label, 7, 7 + 18 * slot, 82, 14);
        m_joysticks[slot] = gtk_combo_box_text_new();
        _place(m_joysticks[slot], 96, 7 + 18 * slot, 110, 14);
    }
    m_excludeMouse = gtk_check_button_new_with_label("Exclude mouse movements");
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_excludeMouse), TRUE);
    _place(m_excludeMouse, 95, 46, 111, 10);

    GtkWidget* detect = gtk_button_new_with_label("Detect key(s)");
    _place(detect, 109, 63, 78, 14);
    gtk_widget_set_can_default(detect, TRUE);
    gtk_window_set_default(GTK_WINDOW(m_window), detect);
    g_signal_connect(detect, "clicked", G_CALLBACK(_onDetectClicked), this);

    m_result = gtk_label_new(CKeyscout::C_PROMPT);
    gtk_label_set_selectable(GTK_LABEL(m_result), TRUE);
    gtk_label_set_justify(GTK_LABEL(m_result), GTK_JUSTIFY_CENTER);
    _place(m_result, 7, 84, 283, 14);

    g_signal_connect(m_window, "key-press-event", G_CALLBACK(_onKeyPress), this);
    g_signal_connect(m_window, "delete-event", G_CALLBACK(_onDelete), this);
    gtk_widget_grab_focus(detect);
}

void CKeyscoutWindow::_place(GtkWidget* widget, int x, int y, int width, int height)
{
    gtk_widget_set_size_request(widget, dluX(width), dluY(height));
    gtk_fixed_put(GTK_FIXED(m_layout), widget, dluX(x), dluY(y));
}

void CKeyscoutWindow::_listJoysticks()
{
    m_application.refreshJoysticks();
    const CArray<SJoystickDescriptor>& joysticks = m_application.getJoysticks();
    // Appended in list order: an item's index is its place in the list.
    for (uint32_t i = 0; i < m_application.getListedJoystickCount(); ++i)
        for (GtkWidget* combo : m_joysticks)
            gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), joysticks[i].name.c_str());
}

void CKeyscoutWindow::run()
{
    gtk_widget_show_all(m_window);
    gtk_main();
}

void CKeyscoutWindow::_detect()
{
    for (uint32_t slot = 0; slot < CKeyscout::C_SLOT_COUNT; ++slot)
    {
        // -1, nothing chosen, becomes the all-bits-set "no joystick" value.
        int active = gtk_combo_box_get_active(GTK_COMBO_BOX(m_joysticks[slot]));
        m_application.setJoystickSelection(slot, static_cast<uint32_t>(active));
    }
    m_application.setExcludeMouseMovements(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_excludeMouse)));
    if (m_application.beginDetection(*this))
        m_timer = g_timeout_add(10, _onPollTimer, this);
}

bool CKeyscoutWindow::_poll()
{
    bool going = false;
    guarded("a detection pass", [&] { going = m_application.pollDetection(); });
    if (!going)
        m_timer = 0;
    return going;
}

void CKeyscoutWindow::onDetectionStarted()
{
    gtk_widget_set_sensitive(m_window, FALSE);
    gtk_widget_hide(m_window);
}

void CKeyscoutWindow::onDetectionFinished(const CString& result)
{
    m_console.onDetectionFinished(result);
    gtk_label_set_text(GTK_LABEL(m_result), result.c_str());
    gtk_widget_set_sensitive(m_window, TRUE);
    gtk_widget_show(m_window);
    gtk_window_present(GTK_WINDOW(m_window));
}

void CKeyscoutWindow::_copyResult()
{
    // The whole line, whatever part of it is selected: it is what goes into
    // a bindings file.
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    gtk_clipboard_set_text(clipboard, gtk_label_get_text(GTK_LABEL(m_result)), -1);
    gtk_clipboard_store(clipboard);
}

void CKeyscoutWindow::_onDetectClicked(GtkButton* /*button*/, gpointer self)
{
    CKeyscoutWindow* window = static_cast<CKeyscoutWindow*>(self);
    guarded("the detect button", [window] { window->_detect(); });
}

gboolean CKeyscoutWindow::_onPollTimer(gpointer self)
{
    return static_cast<CKeyscoutWindow*>(self)->_poll() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

gboolean CKeyscoutWindow::_onKeyPress(GtkWidget* /*widget*/, GdkEventKey* event, gpointer self)
{
    CKeyscoutWindow* window = static_cast<CKeyscoutWindow*>(self);
    if (event->keyval == GDK_KEY_Escape)
    {
        gtk_main_quit();
        return TRUE;
    }
    if ((event->state & GDK_CONTROL_MASK) && (event->keyval == GDK_KEY_c || event->keyval == GDK_KEY_C))
    {
        window->_copyResult();
        return TRUE;
    }
    return FALSE;
}

gboolean CKeyscoutWindow::_onDelete(GtkWidget* /*widget*/, GdkEvent* /*event*/, gpointer /*self*/)
{
    gtk_main_quit();
    // Kept until the destructor, after the main loop is over.
    return TRUE;
}

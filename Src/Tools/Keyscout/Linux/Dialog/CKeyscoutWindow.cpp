#include "Tools/Keyscout/Linux/Dialog/CKeyscoutWindow.h"

#include "Engine/IKernel/CLog.h"
#include "Engine/IKernel/IKernel.h"
#include "Tools/Keyscout/CKeyscout.h"
#include "Tools/Keyscout/CStartupTrace.h"
#include "Tools/Keyscout/Linux/WindowIdentity.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>

using namespace Tavrin::Engine;

const char* const CKeyscoutWindow::C_TITLE = "Tavrin Engine Input detector";

namespace {

const guint C_DEVICE_CHECK_MILLISECONDS = 500;

// Dialog units as Windows defines them, from the dialog's own font: a
// quarter of the average character width, an eighth of the line height.
// The arrangement then grows with the font and the display's scale.
struct SDialogUnits
{
    explicit SDialogUnits(GtkWidget* widget)
    {
        PangoContext* context = gtk_widget_get_pango_context(widget);
        PangoFontMetrics* metrics = pango_context_get_metrics(context, nullptr, nullptr);
        charWidth = pango_font_metrics_get_approximate_char_width(metrics);
        lineHeight = pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics);
        pango_font_metrics_unref(metrics);
    }
    int x(int units) const { return units * charWidth / (4 * PANGO_SCALE); }
    int y(int units) const { return units * lineHeight / (8 * PANGO_SCALE); }

    int charWidth;
    int lineHeight;
};

// GTK's default theme draws a ticked box's mark from an SVG first, which
// loads the SVG loader and its libraries (megabytes of the idle dialog's
// memory) for one 14-pixel mark; the theme's own bitmap of it, recoloured
// as usual, looks the same at scale 1. Other themes and scales keep theirs.
void drawCheckMarkFromBitmap(GtkWidget* window)
{
    gchar* theme = nullptr;
    g_object_get(gtk_settings_get_default(), "gtk-theme-name", &theme, nullptr);
    bool adwaita = theme && g_strcmp0(theme, "Adwaita") == 0;
    g_free(theme);
    if (!adwaita || gtk_widget_get_scale_factor(window) != 1)
        return;
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider,
                                    "check:checked { -gtk-icon-source: -gtk-recolor(url("
                                    "\"resource:///org/gtk/libgtk/theme/Adwaita/assets/check-symbolic.symbolic.png\")); }",
                                    -1, nullptr);
    gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(window), GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

// Exceptions cannot unwind through GTK's C frames: they stop here (an
// engine exception logged itself); the run has already given the window back.
template <typename TAction>
bool guarded(const char* what, TAction action)
{
    try
    {
        action();
        return true;
    }
    catch (...)
    {
        logLevel(3, "Error: exception while handling %s; the dialog goes on\n", what);
        return false;
    }
}

// The dialog's natural size unless the screen is smaller (a large text
// scale on a small screen): then it scrolls.
GtkWidget* scrolling(GtkWidget* content)
{
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    GtkScrolledWindow* scrolled = GTK_SCROLLED_WINDOW(scroller);
    gtk_scrolled_window_set_policy(scrolled, GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_propagate_natural_width(scrolled, TRUE);
    gtk_scrolled_window_set_propagate_natural_height(scrolled, TRUE);
    // The keyboard's focus brings its control into view.
    gtk_container_set_focus_hadjustment(GTK_CONTAINER(content), gtk_scrolled_window_get_hadjustment(scrolled));
    gtk_container_set_focus_vadjustment(GTK_CONTAINER(content), gtk_scrolled_window_get_vadjustment(scrolled));
    gtk_container_add(GTK_CONTAINER(scroller), content);
    gtk_viewport_set_shadow_type(GTK_VIEWPORT(gtk_bin_get_child(GTK_BIN(scroller))), GTK_SHADOW_NONE);
    return scroller;
}

bool workArea(GtkWidget* window, GdkRectangle& area)
{
    GdkDisplay* display = gtk_widget_get_display(window);
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor)
        monitor = gdk_display_get_monitor(display, 0);
    if (!monitor)
        return false;
    gdk_monitor_get_workarea(monitor, &area);
    return area.width > 0 && area.height > 0;
}

} // namespace

CKeyscoutWindow::CKeyscoutWindow(CKeyscout& application) : m_application(application), m_idleDrain(application)
{
    _build();
    m_deviceTimer = g_timeout_add(C_DEVICE_CHECK_MILLISECONDS, _onDeviceTimer, this);
}

CKeyscoutWindow::~CKeyscoutWindow()
{
    if (m_timer)
        g_source_remove(m_timer);
    if (m_deviceTimer)
        g_source_remove(m_deviceTimer);
    if (m_firstListing)
        g_source_remove(m_firstListing);
    if (m_window)
        gtk_widget_destroy(m_window);
}

void CKeyscoutWindow::_build()
{
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(m_window), C_TITLE);
    gtk_window_set_resizable(GTK_WINDOW(m_window), FALSE);
    gtk_window_set_position(GTK_WINDOW(m_window), GTK_WIN_POS_CENTER);
    drawCheckMarkFromBitmap(m_window);
    gtk_container_add(GTK_CONTAINER(m_window), scrolling(_buildGrid()));
    g_signal_connect(m_window, "key-press-event", G_CALLBACK(_onKeyPress), this);
    g_signal_connect(m_window, "delete-event", G_CALLBACK(_onDelete), this);
    g_signal_connect(m_window, "map-event", G_CALLBACK(_onMapped), this);
}

// Dialog 101's arrangement in a grid: labels and combo boxes in two rows,
// the check box under the combo boxes, then the button and the result line
// centred across the dialog. The third column keeps the room the Windows
// dialog leaves right of the combo boxes.
GtkWidget* CKeyscoutWindow::_buildGrid()
{
    SDialogUnits dlu(m_window);
    GtkWidget* grid = gtk_grid_new();
    g_object_set(grid, "margin", dlu.x(7), nullptr);
    gtk_grid_set_column_spacing(GTK_GRID(grid), static_cast<guint>(dlu.x(7)));
    gtk_grid_set_row_spacing(GTK_GRID(grid), static_cast<guint>(dlu.y(4)));

    for (int slot = 0; slot < 2; ++slot)
    {
        GtkWidget* label = gtk_label_new(slot == 0 ? "Joystick #0:" : "Joystick #1:");
        gtk_label_set_xalign(GTK_LABEL(label), 1.0f);
        gtk_widget_set_size_request(label, dlu.x(82), -1);
        gtk_grid_attach(GTK_GRID(grid), label, 0, slot, 1, 1);
        m_joysticks[slot] = gtk_combo_box_text_new();
        gtk_widget_set_size_request(m_joysticks[slot], dlu.x(110), -1);
        gtk_grid_attach(GTK_GRID(grid), m_joysticks[slot], 1, slot, 1, 1);
        // The label names its list for screen readers: GTK 3 only relates
        // them, and a combo box's accessible name is its chosen item, if any.
        gtk_label_set_mnemonic_widget(GTK_LABEL(label), m_joysticks[slot]);
        atk_object_set_name(gtk_widget_get_accessible(m_joysticks[slot]), gtk_label_get_text(GTK_LABEL(label)));
    }
    GtkWidget* room = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    gtk_widget_set_size_request(room, dlu.x(70), -1);
    gtk_grid_attach(GTK_GRID(grid), room, 2, 0, 1, 1);

    m_excludeMouse = gtk_check_button_new_with_label("Exclude mouse movements");
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_excludeMouse), TRUE);
    gtk_widget_set_margin_top(m_excludeMouse, dlu.y(3));
    gtk_grid_attach(GTK_GRID(grid), m_excludeMouse, 1, 2, 1, 1);

    GtkWidget* detect = gtk_button_new_with_label("Detect key(s)");
    gtk_widget_set_halign(detect, GTK_ALIGN_CENTER);
    gtk_widget_set_size_request(detect, dlu.x(78), -1);
    gtk_widget_set_margin_top(detect, dlu.y(3));
    gtk_grid_attach(GTK_GRID(grid), detect, 0, 3, 3, 1);
    gtk_widget_set_can_default(detect, TRUE);
    gtk_window_set_default(GTK_WINDOW(m_window), detect);
    g_signal_connect(detect, "clicked", G_CALLBACK(_onDetectClicked), this);

    m_result = gtk_label_new(CKeyscout::C_PROMPT);
    gtk_label_set_selectable(GTK_LABEL(m_result), TRUE);
    gtk_label_set_justify(GTK_LABEL(m_result), GTK_JUSTIFY_CENTER);
    // A long result wraps inside the dialog's width instead of widening it.
    gtk_label_set_line_wrap(GTK_LABEL(m_result), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(m_result), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_max_width_chars(GTK_LABEL(m_result), 60);
    gtk_widget_set_margin_top(m_result, dlu.y(3));
    gtk_grid_attach(GTK_GRID(grid), m_result, 0, 4, 3, 1);
    gtk_widget_grab_focus(detect);
    return grid;
}

void CKeyscoutWindow::_fillJoystickLists()
{
    const CArray<SJoystickDescriptor>& joysticks = m_application.getJoysticks();
    for (uint32_t slot = 0; slot < CKeyscout::C_SLOT_COUNT; ++slot)
    {
        GtkComboBoxText* combo = GTK_COMBO_BOX_TEXT(m_joysticks[slot]);
        gtk_combo_box_text_remove_all(combo);
        // Appended in list order: an item's index is its place in the list.
        for (uint32_t i = 0; i < m_application.getListedJoystickCount(); ++i)
            gtk_combo_box_text_append_text(combo, joysticks[i].name.c_str());
        // All bits set, no joystick, is -1: nothing selected.
        gtk_combo_box_set_active(GTK_COMBO_BOX(combo), static_cast<gint>(m_application.getJoystickSelection(slot)));
    }
}

void CKeyscoutWindow::_readSelections()
{
    for (uint32_t slot = 0; slot < CKeyscout::C_SLOT_COUNT; ++slot)
    {
        // -1, nothing chosen, becomes the all-bits-set "no joystick" value.
        int active = gtk_combo_box_get_active(GTK_COMBO_BOX(m_joysticks[slot]));
        m_application.setJoystickSelection(slot, static_cast<uint32_t>(active));
    }
}

void CKeyscoutWindow::_relistJoysticks()
{
    _readSelections();
    if (m_application.refreshJoysticks())
        _fillJoystickLists();
}

// A dialog larger than the work area could not be moved or resized to reach
// its far side: it is made to fit, resizable, and scrolls.
void CKeyscoutWindow::_fitWorkArea()
{
    GdkRectangle area;
    if (!workArea(m_window, area))
        return;
    GtkRequisition natural;
    gtk_widget_get_preferred_size(m_window, nullptr, &natural);
    if (natural.width <= area.width && natural.height <= area.height)
        return;
    gtk_window_set_resizable(GTK_WINDOW(m_window), TRUE);
    gtk_window_set_default_size(GTK_WINDOW(m_window), std::min(natural.width, area.width),
                                std::min(natural.height, area.height));
}

void CKeyscoutWindow::run()
{
    _fitWorkArea();
    gtk_widget_show_all(m_window);
    CStartupTrace::mark("dialog-shown");
    gtk_main();
}

void CKeyscoutWindow::_detect()
{
    _readSelections();
    m_application.setExcludeMouseMovements(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_excludeMouse)));
    if (m_application.beginDetection(*this))
        m_timer = g_timeout_add(10, _onPollTimer, this);
}

bool CKeyscoutWindow::_poll()
{
    bool going = false;
    if (!guarded("a detection pass", [&] { going = m_application.pollDetection(); }))
        _showFailure();
    if (going)
        return true;
    m_timer = 0;
    // Devices that came or went during the run: their events went with it.
    guarded("the joystick list", [this] { _relistJoysticks(); });
    return false;
}

void CKeyscoutWindow::onDetectionStarted()
{
    markDetectionWindow(m_application.getWindow()->getHandle());
    gtk_widget_set_sensitive(m_window, FALSE);
    gtk_widget_hide(m_window);
}

void CKeyscoutWindow::onDetectionFinished(const CString& result)
{
    m_console.onDetectionFinished(result);
    gtk_label_set_text(GTK_LABEL(m_result), result.c_str());
    _showAgain();
}

void CKeyscoutWindow::onDetectionAbandoned()
{
    // Not a result: nothing on standard output; the failure is shown once
    // the exception reached the dialog.
    _showAgain();
}

void CKeyscoutWindow::_showFailure()
{
    const CString& failure = m_application.getLastFailure();
    gtk_label_set_text(GTK_LABEL(m_result), failure.isEmpty() ? "The detection failed" : failure.c_str());
}

void CKeyscoutWindow::_showAgain()
{
    gtk_widget_set_sensitive(m_window, TRUE);
    gtk_widget_show(m_window);
    gtk_window_present(GTK_WINDOW(m_window));
}

void CKeyscoutWindow::_copyResult()
{
    // Only a result replaces what the user had on the clipboard: not the
    // prompt, not an empty run, not a failure. The whole line, whatever part
    // of it is selected: it is what goes into a bindings file.
    if (!m_application.hasResult())
        return;
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    gtk_clipboard_set_text(clipboard, m_application.getLastResult().c_str(), -1);
    gtk_clipboard_store(clipboard);
}

void CKeyscoutWindow::_onDetectClicked(GtkButton* /*button*/, gpointer self)
{
    CKeyscoutWindow* window = static_cast<CKeyscoutWindow*>(self);
    if (!guarded("the detect button", [window] { window->_detect(); }))
        window->_showFailure();
}

gboolean CKeyscoutWindow::_onPollTimer(gpointer self)
{
    return static_cast<CKeyscoutWindow*>(self)->_poll() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

gboolean CKeyscoutWindow::_onMapped(GtkWidget* /*widget*/, GdkEvent* /*event*/, gpointer self)
{
    CKeyscoutWindow* window = static_cast<CKeyscoutWindow*>(self);
    // Idle: after the dialog's first frame is drawn.
    if (!window->m_listed && !window->m_firstListing)
        window->m_firstListing = g_idle_add(_onFirstListing, self);
    return FALSE;
}

// Starting SDL's joysticks takes tens of ms: the dialog shows first, and its
// lists fill a moment later.
gboolean CKeyscoutWindow::_onFirstListing(gpointer self)
{
    CKeyscoutWindow* window = static_cast<CKeyscoutWindow*>(self);
    window->m_firstListing = 0;
    window->m_listed = true;
    guarded("the joystick list", [window] { window->_relistJoysticks(); });
    guarded("the kernel's benchmark", [] { IKernel::startDeferredBenchmark(); });
    return G_SOURCE_REMOVE;
}

gboolean CKeyscoutWindow::_onDeviceTimer(gpointer self)
{
    CKeyscoutWindow* window = static_cast<CKeyscoutWindow*>(self);
    // A run reads the selections it started with; the lists wait for its end.
    if (!window->m_application.isDetecting() && window->m_joystickWatch.hasChanged())
        guarded("the joystick list", [window] { window->_relistJoysticks(); });
    return G_SOURCE_CONTINUE;
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

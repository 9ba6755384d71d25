#pragma once

#include "Tools/Keyscout/CConsoleFrontEnd.h"
#include "Tools/Keyscout/CDetectionFrontEnd.h"
#include "Tools/Keyscout/Linux/Dialog/CIdleEventDrain.h"
#include "Tools/Keyscout/Linux/Dialog/CJoystickWatch.h"

#include <gtk/gtk.h>

class CKeyscout;

// The dialog on Linux: the same controls, texts and arrangement as dialog
// 101 on Windows, laid out by GTK so that it follows the font and the
// display's scale. A run is driven from a 10 ms timer of the GTK main loop
// while the window is hidden; every result also goes to standard output.
class CKeyscoutWindow : public CDetectionFrontEnd
{
public:
    static const char* const C_TITLE;

    explicit CKeyscoutWindow(CKeyscout& application);
    ~CKeyscoutWindow() override;
    CKeyscoutWindow(const CKeyscoutWindow&) = delete;
    CKeyscoutWindow& operator=(const CKeyscoutWindow&) = delete;

    // Shows the window and runs the main loop until Esc or the close box.
    void run();

    void onDetectionStarted() override;
    void onDetectionFinished(const Tavrin::Engine::CString& result) override;
    void onDetectionAbandoned() override;

private:
    void _build();
    GtkWidget* _buildGrid();
    void _fitWorkArea();
    void _fillJoystickLists();
    void _readSelections();
    void _relistJoysticks();
    void _detect();
    bool _poll();
    void _showFailure();
    void _showAgain();
    void _copyResult();

    static void _onDetectClicked(GtkButton* button, gpointer self);
    static gboolean _onPollTimer(gpointer self);
    static gboolean _onDeviceTimer(gpointer self);
    static gboolean _onMapped(GtkWidget* widget, GdkEvent* event, gpointer self);
    static gboolean _onFirstListing(gpointer self);
    static gboolean _onKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static gboolean _onDelete(GtkWidget* widget, GdkEvent* event, gpointer self);

    CKeyscout& m_application;
    CConsoleFrontEnd m_console;
    CJoystickWatch m_joystickWatch;
    CIdleEventDrain m_idleDrain;
    GtkWidget* m_window = nullptr;
    GtkWidget* m_result = nullptr;
    GtkWidget* m_joysticks[2] = {nullptr, nullptr};
    GtkWidget* m_excludeMouse = nullptr;
    guint m_timer = 0;
    guint m_deviceTimer = 0;
    guint m_firstListing = 0;
    bool m_listed = false;
};

#pragma once

#include "Tools/Keyscout/CConsoleFrontEnd.h"
#include "Tools/Keyscout/CDetectionFrontEnd.h"

#include <gtk/gtk.h>

class CKeyscout;

// The dialog on Linux: the same controls, texts and arrangement as dialog
// 101 on Windows. A run is driven from a 10 ms timer of the GTK main loop
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

private:
    void _build();
    void _listJoysticks();
    void _place(GtkWidget* widget, int x, int y, int width, int height);
    void _detect();
    bool _poll();
    void _copyResult();

    static void _onDetectClicked(GtkButton* button, gpointer self);
    static gboolean _onPollTimer(gpointer self);
    static gboolean _onKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static gboolean _onDelete(GtkWidget* widget, GdkEvent* event, gpointer self);

    CKeyscout& m_application;
    CConsoleFrontEnd m_console;
    GtkWidget* m_window = nullptr;
    GtkWidget* m_layout = nullptr;
    GtkWidget* m_result = nullptr;
    GtkWidget* m_joysticks[2] = {nullptr, nullptr};
    GtkWidget* m_excludeMouse = nullptr;
    guint m_timer = 0;
};

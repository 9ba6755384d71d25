#pragma once

#include <glib.h>

class CKeyscout;

// Reads and drops SDL's events while the dialog waits between runs. SDL's
// X11 video asks the server for every pointer motion on the desktop from its
// start; a connection that nobody reads fills the X server's memory, and the
// next run first wades through all of it. Joystick events stay queued for
// the joystick watch. Idle while SDL's video is down or a run reads them.
class CIdleEventDrain
{
public:
    explicit CIdleEventDrain(const CKeyscout& application);
    ~CIdleEventDrain();
    CIdleEventDrain(const CIdleEventDrain&) = delete;
    CIdleEventDrain& operator=(const CIdleEventDrain&) = delete;

private:
    // One read of what SDL has received; all but joystick events dropped.
    static void _drain();
    static gboolean _onTimer(gpointer self);

    const CKeyscout& m_application;
    guint m_timer;
};

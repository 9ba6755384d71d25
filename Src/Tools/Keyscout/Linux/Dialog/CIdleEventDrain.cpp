#include "Tools/Keyscout/Linux/Dialog/CIdleEventDrain.h"

#include "Tools/Keyscout/CKeyscout.h"

#include <SDL.h>

namespace {

// A fast mouse sends a thousand motions a second: a few hundred at a time
// stay well inside the connection's socket buffer.
const guint C_DRAIN_MILLISECONDS = 250;

} // namespace

CIdleEventDrain::CIdleEventDrain(const CKeyscout& application)
    : m_application(application), m_timer(g_timeout_add(C_DRAIN_MILLISECONDS, _onTimer, this))
{
}

CIdleEventDrain::~CIdleEventDrain()
{
    g_source_remove(m_timer);
}

void CIdleEventDrain::_drain()
{
    SDL_PumpEvents();
    // NOTE: SDL numbers joystick and controller events from 0x600 to below
    // its first touch event, 0x700.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_JOYAXISMOTION - 1);
    SDL_FlushEvents(SDL_FINGERDOWN, SDL_LASTEVENT);
}

gboolean CIdleEventDrain::_onTimer(gpointer self)
{
    CIdleEventDrain* drain = static_cast<CIdleEventDrain*>(self);
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && !drain->m_application.isDetecting())
        _drain();
    return G_SOURCE_CONTINUE;
}

#pragma once

union SDL_Event;

namespace Tavrin {
namespace Engine {

// Receives, from the process's event pump, the SDL events meant for it.
class CSdlEventSink
{
public:
    virtual ~CSdlEventSink() = default;
    // Called during a pump; keep the event for later rather than acting on it.
    virtual void onSdlEvent(const SDL_Event& event) = 0;
};

} // namespace Engine
} // namespace Tavrin

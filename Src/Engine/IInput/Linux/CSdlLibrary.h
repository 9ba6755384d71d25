#pragma once

#include <cstdint>
#include <string>

namespace Tavrin {
namespace Engine {

// A hold on SDL subsystems (SDL_INIT_* flags) for as long as the object
// lives. SDL counts each subsystem's users; once no subsystem is left, the
// rest of SDL is shut down too.
class CSdlLibrary
{
public:
    // Starts the subsystems; on failure logs SDL's reason and is not ready.
    explicit CSdlLibrary(uint32_t subsystems);
    ~CSdlLibrary();
    CSdlLibrary(const CSdlLibrary&) = delete;
    CSdlLibrary& operator=(const CSdlLibrary&) = delete;

    bool isReady() const { return m_ready; }

    // Decides, before SDL's video starts, which of its drivers may run: SDL 2
    // crashes when its Wayland driver starts on a compositor without a seat.
    // False when no display is left; every video start makes the choice anew.
    static bool chooseVideoDriver();
    // True when the last choice found a Wayland compositor without a seat.
    static bool isWaylandRefused();
    // True when the last choice found a Wayland compositor with a seat.
    static bool hasWaylandSeat();
    // The choice itself, from the requested list (SDL_VIDEODRIVER, empty for
    // SDL's own order), whether DISPLAY is set and whether the compositor has
    // a seat. `drivers` is left empty when SDL may choose as it would.
    static bool safeVideoDrivers(const std::string& requested, bool x11Display, bool waylandSeat,
                                 std::string& drivers);

private:
    uint32_t m_subsystems;
    bool m_ready;
};

} // namespace Engine
} // namespace Tavrin

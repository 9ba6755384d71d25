#pragma once

#include <cstdint>

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

    // The subsystems the input manager needs: video (keyboard and mouse
    // events come through windows), joysticks and game controllers.
    static const uint32_t C_INPUT_SUBSYSTEMS;

private:
    uint32_t m_subsystems;
    bool m_ready;
};

} // namespace Engine
} // namespace Tavrin

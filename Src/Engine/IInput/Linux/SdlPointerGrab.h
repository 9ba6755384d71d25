#pragma once

namespace Tavrin {
namespace Engine {

// NOTE: when another client holds the pointer (a game, a drag, a screen
// locker), SDL's X11 driver retries its grab for 5 s inside the call that
// asked for it, and then never grabs again while its video runs. These ask
// without waiting: the window's own grab is taken at once or not at all, and
// SDL's grab that follows takes it over. Drivers without that wait always
// say yes.

// Takes the pointer for the SDL_Window when it is free; false when another
// client holds it.
bool grabPointerAtOnce(void* sdlWindow);
// Gives back a pointer taken by grabPointerAtOnce that SDL did not take over.
void releasePointer(void* sdlWindow);

} // namespace Engine
} // namespace Tavrin

// The plainest SDL 2 window that paints its surface once: the start-up
// benchmark's floor for `keyscout --once`. The surface is the X server's
// shared-memory image, not a GL texture (SDL_FRAMEBUFFER_ACCELERATION=0), as
// Keyscout asks on X11. Ends when its window is closed or on SIGTERM.
#include <SDL.h>

int main(int /*argumentCount*/, char** /*arguments*/)
{
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_Window* window = SDL_CreateWindow("SDL floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 320, 100, 0);
    SDL_Surface* surface = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!surface)
        return 1;
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 244, 247, 252));
    SDL_UpdateWindowSurface(window);
    SDL_Event event;
    while (SDL_WaitEvent(&event) && event.type != SDL_QUIT)
    {
    }
    SDL_Quit();
    return 0;
}

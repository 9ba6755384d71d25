#pragma once

// Every window of the program carries its icon and one window class,
// instance "keyscout" and class "Keyscout", so that a desktop groups them
// under the program's entry.

constexpr const char* C_PROGRAM_INSTANCE = "keyscout";
constexpr const char* C_PROGRAM_CLASS = "Keyscout";
// The icon is square, this many pixels a side.
constexpr int C_PROGRAM_ICON_SIZE = 64;

// Before any window: the Wayland application id of SDL's windows.
void setProgramIdentity();
// The icon's pixels: R, G, B, A bytes, rows top to bottom, no padding.
const unsigned char* getProgramIconPixels();
// The detection window (an SDL_Window): the same icon and class.
void markDetectionWindow(void* sdlWindow);

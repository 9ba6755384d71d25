#pragma once

// Every window of the program carries its icon and one window class,
// instance "keyscout" and class "Keyscout", so that a desktop groups them
// under the program's entry.

// Before GTK opens the display: the name and class of GTK's windows.
void setProgramIdentity();
// After GTK opened the display: the icon of every GTK window.
void setDefaultWindowIcon();
// The detection window (an SDL_Window): the same icon and class.
void markDetectionWindow(void* sdlWindow);

#pragma once

// Every file of the module sees the DirectInput 8 interfaces, whatever it
// includes first.
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif

#include <windows.h>
#include <dinput.h>

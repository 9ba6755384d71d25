#pragma once

// From now on a lost display connection (X server gone), of GTK's or SDL's,
// ends the program with one line on standard error and in the log, and
// status 3, instead of the toolkits' silent exit.
void watchDisplayLoss();
// True when the X display (DISPLAY) can be opened; it is closed again.
bool canOpenX11Display();

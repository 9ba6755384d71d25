#pragma once

// Opens /dev/null on any of the standard streams (0, 1, 2) that the program
// was started without. Runs by itself before every static constructor.
void openClosedStandardStreams();

#pragma once

// Shared by the resource script and the dialog code.
#define IDD_KEYSCOUT 101
#define IDC_DETECT 1001
#define IDC_RESULT 1002
#define IDC_JOYSTICK0_LABEL 1003
#define IDC_JOYSTICK1_LABEL 1004
#define IDC_EXCLUDE_MOUSE 1005
#define IDC_JOYSTICK0 1022
#define IDC_JOYSTICK1 1023

#include "KeyscoutVersion.h"

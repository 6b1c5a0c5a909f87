// Resource and control ids of the options dialog. Included by the resource
// scripts (windres) as well as by C++, so only #define lines belong here.
#pragma once

#define IDD_OPTIONS 107

// Controls of the options dialog. "SAVE AS..." is IDOK (1), so that Enter
// presses it; Escape sends IDCANCEL (2), which the dialog ignores.
#define IDC_CLOSE 3
#define IDC_BROWSE 1013
#define IDC_DIRECTORY 1014
#define IDC_MAP_NAME 1015
#define IDC_ADD_NOTE_NAMES 1017
#define IDC_FORMAT 1018
#define IDC_MOVE_EMPTY_PADS 1026
#define IDC_ABOUT 1027

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

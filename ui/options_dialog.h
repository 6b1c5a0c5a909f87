// The wizard's options dialog (dialog resource 107).
#pragma once

#include <windows.h>

#include "ui/resource.h"

constexpr int kOptionsDialogId = IDD_OPTIONS;

// The dialog procedure given to DialogBoxParamA. Works entirely on the
// export state; ends the dialog after a confirmed save or on "CLOSE".
INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

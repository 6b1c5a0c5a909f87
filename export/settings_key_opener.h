// Replaces the call that opens the settings key, for tests only: Wine grants
// every registry access, so a refused open has to be simulated.
#pragma once

#include <windows.h>

// Same arguments and result as RegCreateKeyExA.
using SettingsKeyOpener = decltype(&RegCreateKeyExA);

// Makes LoadSettings and SaveSettings open their key through `opener`;
// nullptr restores RegCreateKeyExA.
void SetSettingsKeyOpener(SettingsKeyOpener opener);

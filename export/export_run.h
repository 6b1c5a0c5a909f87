// The wizard's run: one synchronous call from the host, on the host's thread.
#pragma once

#include <windows.h>

#include "export/host_kit.h"

// Resets the export state to its defaults, copies the names of the kit's 96
// pads, loads the stored settings, shows the options dialog (dialog resource
// 107 of `resources`, owned by the foreground window; the note-name formats
// read the names in the ANSI code page) and, when the user confirmed a file
// in it, stores the settings. Returns S_OK (0) once the dialog has closed.
// Failures, with nothing stored: E_POINTER for a null kit;
// HRESULT_FROM_WIN32(ERROR_BUSY) while another run is in progress (the state
// and the settings are not touched); the platform's error when the dialog
// cannot be created.
HRESULT RunExport(HINSTANCE resources, HostKit* kit);

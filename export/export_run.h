// The wizard's run: one synchronous call from the host, on the host's thread.
#pragma once

#include <windows.h>

#include "export/host_kit.h"

// Resets the export state to its defaults, copies the names of the kit's 96
// pads, loads the stored settings, shows the options dialog (dialog resource
// 107 of `resources`, owned by the foreground window; the note-name formats
// read the names in the ANSI code page) and, when the user confirmed a file
// in it, stores the settings. Returns S_OK (0) once the dialog has closed;
// there is no failure result.
HRESULT RunExport(HINSTANCE resources, HostKit* kit);

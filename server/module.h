// Module-wide state of the server: its instance handle, recorded by DllMain,
// and the count of live factories and wizards, which decides whether the
// module may be unloaded.
#pragma once

#include <windows.h>

HINSTANCE ModuleInstance();

// Called by every constructor and destructor of the module's COM objects.
void CountObjectCreated();
void CountObjectDestroyed();
LONG LiveObjectCount();

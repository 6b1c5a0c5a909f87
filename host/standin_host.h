// The stand-in host's whole run, callable in-process: it finds the wizards
// registered under HKEY_LOCAL_MACHINE "Software\Ostrevane\VbWizards", creates
// each through COM, shows its name and runs it with a kit read from a kit
// file. It reaches the wizard only through the registry, the COM runtime and
// the plug-in contract.
#pragma once

#include <ostream>

// The title of the host's main window, which owns the wizard's dialog.
inline constexpr char kStandinHostTitle[] = "Vemba stand-in host";

// usage: standin-host [--list] KIT
//   --list   only list the wizards found (class id and name)
// Exit status: 0 ran, 1 the kit or a wizard failed, 2 usage, 3 no wizard.
int RunStandinHost(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

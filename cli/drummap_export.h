// The command-line exporter: a kit file in, a drum map out.
#pragma once

#include <ostream>

// Exit codes: 0 written, 1 kit unreadable or drum map not written, 2 usage.
int RunDrumMapExport(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

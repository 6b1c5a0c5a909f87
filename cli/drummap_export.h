// The command-line exporter: kit files, drum maps or note-name files in,
// drum maps and note-name files out.
#pragma once

#include <ostream>

// Exit codes: 0 all written, 1 an input unreadable or a file not written
// (the other inputs are still written), 2 usage.
int RunDrumMapExport(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

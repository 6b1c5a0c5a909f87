#include <iostream>

#include "cli/drummap_export.h"
#include "cli/interrupt_cleanup.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#endif

int main(int argc, char** argv) {
  InstallInterruptCleanup();
#ifdef _WIN32
  // "-o -" puts the drum map's exact bytes on standard output.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  return RunDrumMapExport(argc, argv, std::cout, std::cerr);
}

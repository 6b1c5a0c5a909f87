// drummap-export as built, with the interrupt handlers of the real program,
// whose write stops part-way until a signal comes: the first argument is the
// number of bytes written before it stops; the rest are drummap-export's.
// It says "stalled" on standard output while the temporary file is there.
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "cli/drummap_export.h"
#include "cli/interrupt_cleanup.h"
#include "writers/atomic_file.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  InstallInterruptCleanup();
  const ScopedWriteFault stall(std::atoll(argv[1]), [] {
    static const char kStalled[] = "stalled\n";
    if (::write(1, kStalled, sizeof kStalled - 1) < 0) std::_Exit(3);
    for (;;) ::pause();
  });
  argv[1] = argv[0];
  return RunDrumMapExport(argc - 1, argv + 1, std::cout, std::cerr);
}

// drummap-export as built, with the interrupt handlers of the real program,
// whose write stops part-way until a signal comes: the first argument is the
// number of bytes written before it stops, or "created" to stop right after
// the temporary file is made, before it is registered for clean-up (there
// the interrupts wait, so it goes on once one is pending); the rest are
// drummap-export's. It says "stalled" on standard output while the temporary
// file is there.
#include <signal.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>

#include "cli/drummap_export.h"
#include "cli/interrupt_cleanup.h"
#include "writers/write_seams.h"

namespace {

void SayStalled() {
  static const char kStalled[] = "stalled\n";
  if (::write(1, kStalled, sizeof kStalled - 1) < 0) std::_Exit(3);
}

// Waits (ten seconds at most) until one of the interrupts is pending.
void WaitForPendingInterrupt() {
  for (int i = 0; i < 10000; ++i) {
    sigset_t pending;
    sigpending(&pending);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
      if (sigismember(&pending, signal)) return;
    const timespec millisecond = {0, 1000000};
    ::nanosleep(&millisecond, nullptr);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  // SIGQUIT would leave a core file.
  const rlimit noCore = {0, 0};
  ::setrlimit(RLIMIT_CORE, &noCore);
  InstallInterruptCleanup();
  std::optional<ScopedWriteFault> stall;
  std::optional<ScopedFileStepHook> created;
  if (std::strcmp(argv[1], "created") == 0) {
    created.emplace(FileStep::kCreated, [] {
      SayStalled();
      WaitForPendingInterrupt();
    });
  } else {
    stall.emplace(std::atoll(argv[1]), [] {
      SayStalled();
      for (;;) ::pause();
    });
  }
  argv[1] = argv[0];
  return RunDrumMapExport(argc - 1, argv + 1, std::cout, std::cerr);
}

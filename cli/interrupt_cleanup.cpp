#include "cli/interrupt_cleanup.h"

#include <csignal>

#include "writers/pending_temporary_file.h"

namespace {

const int kSignals[] = {
    SIGINT,   SIGTERM,
#ifdef SIGHUP
    SIGHUP,
#endif
#ifdef SIGQUIT
    SIGQUIT,
#endif
#ifdef SIGBREAK
    SIGBREAK,
#endif
};

// Only async-signal-safe calls: unlink, signal, raise. The raised signal is
// held until the handler returns, then ends the process as if never caught.
void OnInterrupt(int signal) {
  RemoveTemporaryFileNow();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

void InstallInterruptCleanup() {
  for (const int signal : kSignals) {
    if (std::signal(signal, OnInterrupt) == SIG_IGN) std::signal(signal, SIG_IGN);
  }
#ifdef SIGXFSZ
  // A write over the file-size limit then fails with EFBIG ("File too
  // large") like any other failed write, instead of ending the process.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

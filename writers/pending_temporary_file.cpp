#include "writers/pending_temporary_file.h"

#include <atomic>
#include <csignal>
#include <cstring>

#include "platform/file_ops.h"

namespace {

// The path is complete before the flag is set and the flag is cleared before
// the path changes, so a signal handler only ever sees a whole path.
char pendingTemp[4096];
int pendingFolder = -1;  // the open folder it is in, or -1
volatile std::sig_atomic_t pendingTempSet = 0;

}  // namespace

void SetPendingTemporaryFile(int folder, const std::string& path) {
  if (path.size() >= sizeof pendingTemp) return;
  std::memcpy(pendingTemp, path.c_str(), path.size() + 1);
  pendingFolder = folder;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  pendingTempSet = 1;
}

void ClearPendingTemporaryFile() {
  pendingTempSet = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

void RemoveTemporaryFileNow() {
  if (pendingTempSet) RemoveFile(pendingFolder, pendingTemp);
}

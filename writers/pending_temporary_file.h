// The temporary file an AtomicFile is writing, for a handler of a fatal
// signal that must remove it before the process ends.
#pragma once

#include <string>

// Records the file at `path` (relative to the open folder `folder`, or -1)
// as the one to remove; a path too long for the record is left to the
// AtomicFile's own clean-up.
void SetPendingTemporaryFile(int folder, const std::string& path);
// Forgets it: it was moved over the target or removed.
void ClearPendingTemporaryFile();

// Removes the recorded temporary file, if any. Async-signal-safe.
void RemoveTemporaryFileNow();

// Why the last file write failed, for messages that name the real reason.
#pragma once

#include <string>

// Why the last AtomicFile failed, on one line: the system's text for the
// error (with the step that failed where the text alone would mislead) or a
// reason such as "not a regular file". Empty when it succeeded.
std::string LastWriteFailure();

// Kept by AtomicFile: cleared when a write starts, set when it fails.
void ClearLastWriteFailure();
void SetLastWriteFailure(const std::string& reason);

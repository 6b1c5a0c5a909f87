// drummap-export's answer to SIGINT, SIGTERM, SIGHUP and SIGQUIT (Ctrl+C and
// Ctrl+Break on Windows): the temporary file being written is removed, then
// the signal takes its default course and ends the process. SIGXFSZ is
// ignored, so that a write over the file-size limit is a failed write. The target is untouched: it
// is always the complete old or the complete new file. SIGKILL cannot be
// caught; after it a ".NAME.drummap-XXXXXX.tmp" file may be left.
#pragma once

// Installs the handlers; a signal that was ignored when the program started
// (as under nohup) stays ignored.
void InstallInterruptCleanup();

#include "export/export_state.h"

#include <cstring>

// Static storage: everything is zero (empty strings) at load except the two
// options, which start switched on.
ExportState exportState = {{}, "", "", "", "", 1, 1, 0, 0};

void ResetExportState() {
  CopyText(exportState.storedPath, "C:\\");
  exportState.fileSaved = 0;
  CopyText(exportState.mapName, "Untitled");
  exportState.formatIndex = 0;
  exportState.addNoteNames = 1;
  exportState.moveEmptyPadsToEnd = 1;
}

void SetPadName(int pad, const char* name) {
  char* slot = exportState.padNames[pad];
  // strncpy stops at the name's terminator and zero-fills the rest of the
  // 254 bytes; the last byte of the slot is always the terminator.
  std::strncpy(slot, name, kPadNameMaxLength);
  slot[kPadNameMaxLength] = '\0';
}

#include "export/export_state.h"

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

void SetPadName(int pad, const char* name) { CopyText(exportState.padNames[pad], name); }

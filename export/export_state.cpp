#include "export/export_state.h"

#include "writers/note_name.h"

// Static storage: everything is zero (empty strings) at load except the two
// options, which start switched on, and the octave of note 60.
ExportState exportState = {{}, "", "", "", "", 1, 1, 0, 0, kDefaultOctaveOfNote60};

void ResetExportState() {
  CopyText(exportState.storedPath, "C:\\");
  exportState.fileSaved = 0;
  CopyText(exportState.mapName, "Untitled");
  exportState.formatIndex = 0;
  exportState.addNoteNames = 1;
  exportState.moveEmptyPadsToEnd = 1;
  exportState.octaveOfNote60 = kDefaultOctaveOfNote60;
}

void SetPadName(int pad, const char* name) { CopyText(exportState.padNames[pad], name); }

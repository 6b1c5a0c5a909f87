#include "writers/named_notes.h"

#include "export/export_state.h"
#include "writers/note_name.h"
#include "writers/utf8_conversion.h"

std::vector<NamedNote> NamedNotes() {
  std::vector<NamedNote> notes;
  for (int pad = 0; pad < kPadCount; ++pad) {
    const char* name = exportState.padNames[pad];
    if (name[0] == '\0') continue;
    const int note = pad + kFirstPadNote;
    std::string label;
    if (exportState.addNoteNames == 1) label = BracketedNoteName(note, exportState.octaveOfNote60);
    label += ExportTextToUtf8(name);
    notes.push_back({note, std::move(label)});
  }
  return notes;
}

std::string MapNameUtf8() { return ExportTextToUtf8(exportState.mapName); }

#include "writers/reaper_note_names.h"

#include <string>

#include "export/export_state.h"
#include "writers/atomic_file.h"
#include "writers/named_notes.h"

namespace {

// A name stays on its line and after its TAB: TAB, CR, LF and the other
// control characters below 0x20 become spaces.
void AppendOnOneLine(std::string& out, const std::string& text) {
  for (const char c : text) out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
}

}  // namespace

bool WriteReaperNoteNames() {
  std::string out = "# ";
  AppendOnOneLine(out, NoteNamesTitle());
  out += '\n';
  for (const NamedNote& note : NamedNotes()) {
    out += std::to_string(note.note);
    out += '\t';
    AppendOnOneLine(out, note.name);
    out += '\n';
  }
  return WriteWholeFile(exportState.filePath, out);
}

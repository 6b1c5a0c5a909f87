#include "writers/pitch_list.h"

#include <string>

#include "export/export_state.h"
#include "writers/atomic_file.h"
#include "writers/named_notes.h"
#include "writers/xml_escape.h"

bool WritePitchList() {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Music.PitchNameList title=\"";
  AppendXmlEscapedUtf8(out, NoteNamesTitle());
  out += "\">\n";
  for (const NamedNote& note : NamedNotes()) {
    out += "  <Music.PitchName pitch=\"" + std::to_string(note.note) + "\" name=\"";
    AppendXmlEscapedUtf8(out, note.name);
    out += "\"/>\n";
  }
  out += "</Music.PitchNameList>\n";
  return WriteWholeFile(exportState.filePath, out);
}

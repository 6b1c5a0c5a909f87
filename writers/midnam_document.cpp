#include "writers/midnam_document.h"

#include <string>
#include <vector>

#include "export/export_state.h"
#include "writers/atomic_file.h"
#include "writers/named_notes.h"
#include "writers/xml_escape.h"

namespace {

constexpr char kHead[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE MIDINameDocument PUBLIC \"-//MIDI Manufacturers Association//DTD MIDINameDocument 1.0//EN\" "
    "\"http://www.midi.org/dtds/MIDINameDocument10.dtd\">\n"
    "<MIDINameDocument>\n"
    "  <Author>Korvat DrumMap Export</Author>\n"
    "  <MasterDeviceNames>\n"
    "    <Manufacturer>Ostrevane</Manufacturer>\n";

constexpr int kChannels = 16;

// Ardour keys devices by their Model across every document it loads, and the
// lists are found by name: one title, never empty, names all of them.
std::string DocumentName() {
  std::string escaped;
  AppendXmlEscapedUtf8(escaped, NoteNamesTitle());
  return escaped;
}

}  // namespace

bool WriteMidiNameDocument() {
  const std::string name = DocumentName();
  const std::vector<NamedNote> notes = NamedNotes();
  std::string out = kHead;
  out += "    <Model>" + name + "</Model>\n";
  out += "    <CustomDeviceMode Name=\"Default\">\n";
  out += "      <ChannelNameSetAssignments>\n";
  for (int channel = 1; channel <= kChannels; ++channel)
    out += "        <ChannelNameSetAssign Channel=\"" + std::to_string(channel) + "\" NameSet=\"" + name +
           "\"/>\n";
  out += "      </ChannelNameSetAssignments>\n";
  out += "    </CustomDeviceMode>\n";
  out += "    <ChannelNameSet Name=\"" + name + "\">\n";
  out += "      <AvailableForChannels>\n";
  for (int channel = 1; channel <= kChannels; ++channel)
    out += "        <AvailableChannel Channel=\"" + std::to_string(channel) + "\" Available=\"true\"/>\n";
  out += "      </AvailableForChannels>\n";
  // A note name list holds at least one note: an empty kit has none to use.
  if (!notes.empty()) out += "      <UsesNoteNameList Name=\"" + name + "\"/>\n";
  // The document type requires a patch bank in the name set, and the bank a
  // patch name list (Ardour only logs a bank without one). The list stays
  // empty: a patch without a bank select would be filed by Ardour under a
  // bank of its own and select that bank when picked.
  out += "      <PatchBank Name=\"" + name + "\">\n";
  out += "        <PatchNameList Name=\"" + name + "\"/>\n";
  out += "      </PatchBank>\n";
  out += "    </ChannelNameSet>\n";
  if (!notes.empty()) {
    out += "    <NoteNameList Name=\"" + name + "\">\n";
    for (const NamedNote& note : notes) {
      out += "      <Note Number=\"" + std::to_string(note.note) + "\" Name=\"";
      AppendXmlEscapedUtf8(out, note.name);
      out += "\"/>\n";
    }
    out += "    </NoteNameList>\n";
  }
  out += "  </MasterDeviceNames>\n";
  out += "</MIDINameDocument>\n";
  return WriteWholeFile(exportState.filePath, out);
}

// What the note-name formats (the MIDI name document, the REAPER note names,
// the pitch list) take from the export state: the named pads only, in
// ascending note order, their names in UTF-8. These formats name notes and
// have no order of their own, so `moveEmptyPadsToEnd` does not apply.
#pragma once

#include <string>
#include <vector>

struct NamedNote {
  int note;          // 0-based MIDI note number: pad + 24
  std::string name;  // UTF-8; "[C3]Kick" when `addNoteNames` is 1
};

// Every pad whose name is not empty, from pad 0 up.
std::vector<NamedNote> NamedNotes();

// The map name in UTF-8.
std::string MapNameUtf8();

// What the note-name formats (the MIDI name document, the REAPER note names,
// the pitch list) take from the export state: the named pads only, in
// ascending note order, their names in UTF-8, and the one title the three
// formats share. These formats name notes and have no order of their own, so
// `moveEmptyPadsToEnd` does not apply.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct NamedNote {
  int note;          // 0-based MIDI note number: pad + 24
  std::string name;  // UTF-8; "[C3]Kick" when `addNoteNames` is 1
};

// A name as the three formats write it, from UTF-8: leading and trailing
// blanks (space, TAB) removed, since REAPER drops them when it reads a line;
// the C1 control characters U+0080-U+009F (where Windows-1252's undefined
// bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D end up) as U+FFFD, which every
// reader shows alike.
std::string NoteNameText(std::string_view utf8);

// Every pad whose name is not empty after NoteNameText, from pad 0 up.
std::vector<NamedNote> NamedNotes();

// The title of the file: the MIDI name document's Model and list names, the
// REAPER comment line, the pitch list's title. The map name through
// NoteNameText; when that is empty or the default "Untitled", the saved
// file's name without its extension, so that two kits exported under the
// default name into two files are two models in Ardour. "Untitled" when
// neither gives a name (also when the output is captured for standard
// output, where there is no file).
std::string NoteNamesTitle();

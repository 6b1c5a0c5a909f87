// REAPER's note names (.txt), loaded in its MIDI editor with File > Note/CC
// Names > Load: a comment line, then one line per named note.
#pragma once

// Writes `exportState.filePath` from the export state in UTF-8 without a
// byte-order mark, lines ended by LF: "# " and the map name, then the note
// number, a TAB and the name of each named pad, in note order. Returns false,
// leaving any existing file untouched, when the file could not be written
// completely.
bool WriteReaperNoteNames();

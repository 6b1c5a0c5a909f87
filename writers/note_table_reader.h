// Reads a table of notes and names saved as CSV or TSV: one row a line,
// the note in the first column and the name in the second, an optional
// header row first. The separator is the first TAB, comma or semicolon of
// the first row that holds one (in that order of preference). A note is a
// number 0-127 or a note name (C1, D#2, Eb0) in the convention of the octave
// of note 60. A field may be quoted ("Kick, dry"; "" for a quote); an
// unquoted name is the rest of the line, commas and all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "writers/drum_map_input.h"

// True when every row but perhaps the first begins with a note and a
// separator, and there is at least one such row.
bool LooksLikeNoteTable(std::string_view text, std::int32_t octaveOfNote60);

bool ReadNoteTable(std::string_view text, std::int32_t octaveOfNote60, DrumMapInput& map,
                   std::string& reason);

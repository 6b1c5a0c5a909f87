// Reads REAPER note names: comment lines beginning with # or //, note lines
// "NUMBER NAME" (the number 0-127, then spaces or TABs, then the name), CC
// lines ("CC7 Volume") ignored, empty lines skipped. The first comment line
// names the map.
#pragma once

#include <string>
#include <string_view>

#include "writers/drum_map_input.h"

// True when the first line that is not empty is a comment, or when every
// line that is not empty is a comment, a note line or a CC line, no note
// number comes twice and at least one is a note line. `firstIsComment`
// tells which of the two it was.
bool LooksLikeReaperNoteNames(std::string_view text, bool& firstIsComment);

bool ReadReaperNoteNames(std::string_view text, DrumMapInput& map, std::string& reason);

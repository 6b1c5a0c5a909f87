// From the notes a file names to the 96 pads: note n goes to pad n - 24.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "export/export_state.h"
#include "writers/drum_map_input.h"

struct PadNames {
  std::array<std::string, kPadCount> names;
  // One line each, for standard error: a named note outside 24-119, a note
  // named twice (the first name counts).
  std::vector<std::string> warnings;
  int notesOutsidePads = 0;
};

// Every name is made one line of text: control characters (TAB, line
// breaks) become spaces, blanks at both ends go, and in UTF-8 U+FFFE and
// U+FFFF become U+FFFD, as the XML formats write them. With `keepPrefixes` false a
// name that begins with its own note's name in the input's prefix style
// ("[C0]" or "C0" for note 24, with `octaveOfNote60`) loses it; any other
// prefix stays. A name that is empty after that leaves its pad empty.
PadNames NotesToPads(const DrumMapInput& input, std::int32_t octaveOfNote60, bool keepPrefixes);

// A name as one line without blanks at its ends (the first step above).
std::string OneLineName(const std::string& name);

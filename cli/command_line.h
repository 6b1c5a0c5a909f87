// drummap-export's command line: its options, their checks and their help.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/drum_map_reading.h"
#include "writers/drum_map_format.h"
#include "writers/note_name.h"

// What the command line asks for.
struct Options {
  std::vector<const DrumMapFormatInfo*> formats{&kDrumMapFormats[0]};
  std::string name = "Untitled";
  bool nameGiven = false;
  bool noteNames = true;
  bool moveEmptyPads = true;
  int octaveOfNote60 = kDefaultOctaveOfNote60;
  bool fillEmptyWithGeneralMidi = false;
  std::string output;
  std::vector<std::string> inputs;
  InputSettings input;
  bool strict = false;
};

// ParseArguments' answer when the arguments ask for an export.
constexpr int kRunExport = -1;

// Returns kRunExport when the arguments ask for an export, else the exit
// code: 0 after --help or --version (printed on `out`), 1 when that could not
// be printed, 2 after a usage error (the problem and the usage on `err`).
int ParseArguments(int argc, const char* const* argv, Options& options, std::ostream& out, std::ostream& err);

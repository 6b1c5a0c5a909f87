// drummap-export's inputs: any file it reads, found by its content or given
// by --from, made into the 96 pad names and a map name.
#pragma once

#include <string>
#include <vector>

#include "writers/drum_map_input.h"

struct InputSettings {
  bool formatGiven = false;  // --from
  InputFormat format = InputFormat::kKit;
  ReadOptions read;
  bool keepPrefixes = false;
};

struct InputMap {
  InputFormat format = InputFormat::kKit;
  std::vector<std::string> pads;  // 96 names, in the file's 8-bit or UTF-8 text
  std::string mapName;            // the name the file gives, or empty
  std::vector<std::string> warnings;
  int notesOutsidePads = 0;
};

// Reads the file at `path`. On failure returns false with a one-line reason.
bool ReadInput(const std::string& path, const InputSettings& settings, InputMap& map, std::string& reason);
// The same for a file's bytes already in memory (at most kInputFileMaxBytes).
bool ReadInputBytes(const std::string& bytes, const InputSettings& settings, InputMap& map,
                    std::string& reason);

// The name of the file at `path` without its folder and its last extension:
// the map's name when neither --name nor the file gives one.
std::string FileStem(const std::string& path);

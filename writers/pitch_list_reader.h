// Reads a Studio One pitch list: <Music.PitchNameList title="..."> with one
// <Music.PitchName pitch="36" name="Kick"/> per named pitch. UTF-8, with or
// without a byte-order mark, any line ends.
#pragma once

#include <string>
#include <string_view>

#include "writers/drum_map_input.h"
#include "writers/xml_reader.h"

bool ReadPitchList(const XmlElement& root, DrumMapInput& map, std::string& reason);

// Reads the XML drum map, ours or the sequencer's: <DrumMap> with the map's
// <string name="Name">, and in <list name="Map"> one <item> per note with
// <int name="INote"> and <string name="Name">. Everything else is ignored.
// The names are taken as the bytes they are (the file is 8-bit text).
#pragma once

#include <string>

#include "writers/drum_map_input.h"
#include "writers/xml_reader.h"

bool ReadXmlDrumMap(const XmlElement& root, DrumMapInput& map, std::string& reason);

// Reads a MIDI name document (.midnam). A document holds one or more
// devices (<MasterDeviceNames>), each with its <Model> names. The device
// read is the one with the model given (ReadOptions::model), else the first.
// Its notes come from the <NoteNameList> that its channel name set uses (the
// set assigned to channel 10 in the first device mode, else the first set),
// else from its first note name list, else the document's first. The map is
// named after the device's first model.
#pragma once

#include <string>

#include "writers/drum_map_input.h"
#include "writers/xml_reader.h"

bool ReadMidiNameDocument(const XmlElement& root, const ReadOptions& options, DrumMapInput& map,
                          std::string& reason);

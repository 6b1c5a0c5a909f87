// The MIDI name document (.midnam, the MIDI Manufacturers Association's XML),
// read by Ardour, Mixbus, Digital Performer and others: the pads' names as
// the note names of one device on every channel.
#pragma once

// Writes `exportState.filePath` from the export state in UTF-8: the named
// pads only, in note order. Returns false, leaving any existing file
// untouched, when the file could not be written completely.
bool WriteMidiNameDocument();

// Studio One's pitch list (.pitchlist): XML naming the pitches of a drum
// instrument.
#pragma once

// Writes `exportState.filePath` from the export state in UTF-8: the map name
// as the list's title and one pitch name per named pad, in note order.
// Returns false, leaving any existing file untouched, when the file could not
// be written completely.
bool WritePitchList();

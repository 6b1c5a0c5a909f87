// The XML drum map of the newer sequencer editions.
#pragma once

// Writes `exportState.filePath` from the export state: 1814 lines, each ended
// by CR LF and flushed. Returns false, leaving any existing file untouched,
// when the file could not be written completely; the caller tells the user.
bool WriteXmlDrumMap();

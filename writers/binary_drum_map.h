// The fixed-size binary .drm drum map of the older sequencer edition.
#pragma once

constexpr int kBinaryDrumMapSize = 3230;

// Writes `exportState.filePath` from the export state: three blocks, 3230
// bytes, no byte translated. Returns false, leaving any existing file
// untouched, when the file could not be written completely.
bool WriteBinaryDrumMap();

// Reads the binary .drm drum map: 3230 bytes; of its 128 note records each
// gives the note (byte 2) and an 11-byte name filled up with '-'. A name of
// eleven '-' is an unnamed note. The names are the bytes they are (8-bit).
#pragma once

#include <string>
#include <string_view>

#include "writers/drum_map_input.h"

// Whether the bytes begin like a binary drum map (its first block's tag).
bool LooksLikeBinaryDrumMap(std::string_view bytes);

// Trailing '-' are the filling and go, with blanks among them, so a name
// that ends in '-' loses it.
// When the names are UTF-8 (binary_drum_map_reader.cpp says how that is
// told), a name that fills its field and was cut inside a character loses
// the incomplete character, so the names stay UTF-8.
bool ReadBinaryDrumMap(std::string_view bytes, DrumMapInput& map, std::string& reason);

// Reads the binary .drm drum map: 3230 bytes; of its 128 note records each
// gives the note (byte 2) and an 11-byte name filled up with '-'. A name of
// eleven '-' is an unnamed note. The names are the bytes they are (8-bit).
#pragma once

#include <string>
#include <string_view>

#include "writers/drum_map_input.h"

// Whether the bytes begin like a binary drum map (its first block's tag).
bool LooksLikeBinaryDrumMap(std::string_view bytes);

// Trailing '-' are the filling and go, so a name that ends in '-' loses it.
// A name that fills its field and was cut inside a UTF-8 character loses the
// incomplete character, so UTF-8 names stay UTF-8.
bool ReadBinaryDrumMap(std::string_view bytes, DrumMapInput& map, std::string& error);

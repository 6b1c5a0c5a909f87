// MIDI note names as the drum maps show them: C0 for note 24 up to B7 for
// note 119, sharps written with '#'.
#pragma once

#include <cstdint>

constexpr int kNoteNameSize = 4;  // longest name (e.g. "A#7") plus terminator

// Writes the name of `note` and its terminator into `buffer`, which must hold
// at least 4 bytes. Notes outside 24..119 carry no pad and get an empty name.
void FormatNoteName(char* buffer, std::int32_t note);

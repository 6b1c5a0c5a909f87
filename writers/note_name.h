// MIDI note names as the drum maps show them: C0 for note 24 up to B7 for
// note 119, sharps written with '#'. The octave that note 60 is named with
// can be moved up: with 4, note 60 is C4 (note 24 C1), as most sequencers
// other than the drum maps' own name it.
#pragma once

#include <cstdint>
#include <string>

constexpr int kNoteNameSize = 4;  // longest name (e.g. "A#9") plus terminator

// Note 60 is C3 in the drum maps; 4 and 5 are the other values allowed.
constexpr std::int32_t kDefaultOctaveOfNote60 = 3;

// Writes the name of `note` and its terminator into `buffer`, which must hold
// at least 4 bytes. Notes outside 24..119 carry no pad and get an empty name.
// `octaveOfNote60` is the octave number of note 60 (3, 4 or 5; any other
// value counts as 3); it changes only the octave digit.
void FormatNoteName(char* buffer, std::int32_t note, std::int32_t octaveOfNote60);

// The label that "Add note names" puts in front of a pad's name: the note
// name in brackets, "[C3]". Every format that carries text names uses it.
std::string BracketedNoteName(std::int32_t note, std::int32_t octaveOfNote60);

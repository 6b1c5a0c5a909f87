#include "writers/note_name.h"

#include <cstring>

namespace {

const char kPitchNames[12][4] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

}  // namespace

void FormatNoteName(char* buffer, std::int32_t note, std::int32_t octaveOfNote60) {
  if (note < 24 || note > 119) {
    buffer[0] = '\0';
    return;
  }
  // With the octave of note 60 at most 5, note 119 is B9: one digit.
  if (octaveOfNote60 < 3 || octaveOfNote60 > 5) octaveOfNote60 = kDefaultOctaveOfNote60;
  const int a = note - 24;
  const char* pitch = kPitchNames[a % 12];
  const std::size_t length = std::strlen(pitch);
  std::memcpy(buffer, pitch, length);
  buffer[length] = static_cast<char>('0' + a / 12 + (octaveOfNote60 - kDefaultOctaveOfNote60));
  buffer[length + 1] = '\0';
}

std::string BracketedNoteName(std::int32_t note, std::int32_t octaveOfNote60) {
  char name[kNoteNameSize];
  FormatNoteName(name, note, octaveOfNote60);
  return std::string("[") + name + "]";
}

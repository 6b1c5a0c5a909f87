#include "writers/note_name.h"

#include <cstring>

namespace {

const char kPitchNames[12][4] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

}  // namespace

void FormatNoteName(char* buffer, std::int32_t note) {
  if (note < 24 || note > 119) {
    buffer[0] = '\0';
    return;
  }
  const int a = note - 24;
  const char* pitch = kPitchNames[a % 12];
  const std::size_t length = std::strlen(pitch);
  std::memcpy(buffer, pitch, length);
  buffer[length] = static_cast<char>('0' + a / 12);
  buffer[length + 1] = '\0';
}

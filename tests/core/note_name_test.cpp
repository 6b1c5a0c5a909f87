#include "writers/note_name.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

std::string Name(int note, int octaveOfNote60 = kDefaultOctaveOfNote60) {
  char buffer[8];
  std::memset(buffer, 0xbd, sizeof buffer);
  FormatNoteName(buffer, note, octaveOfNote60);
  return buffer;
}

TEST(FormatNoteName, WorkedValues) {
  const struct {
    int note;
    const char* name;
  } cases[] = {{24, "C0"}, {25, "C#0"}, {35, "B0"},  {36, "C1"},   {48, "C2"},
               {59, "B2"}, {60, "C3"},  {61, "C#3"}, {118, "A#7"}, {119, "B7"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    EXPECT_EQ(Name(c.note), c.name);
  }
}

TEST(FormatNoteName, EveryPadNoteIsPitchThenOneOctaveDigit) {
  const char* pitches[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  for (int note = 24; note <= 119; ++note) {
    SCOPED_TRACE(note);
    const std::string name = Name(note);
    ASSERT_GE(name.size(), 2u);
    ASSERT_LE(name.size(), 3u);
    EXPECT_EQ(name.substr(0, name.size() - 1), pitches[(note - 24) % 12]);
    EXPECT_EQ(name.back(), '0' + (note - 24) / 12);
  }
}

TEST(FormatNoteName, NotesWithoutPadGiveEmptyNameWithinFourBytes) {
  for (int note : {INT_MIN, -1000, -1, 0, 12, 23, 120, 127, 128, 1000, INT_MAX}) {
    SCOPED_TRACE(note);
    char buffer[8];
    std::memset(buffer, 0xbd, sizeof buffer);
    FormatNoteName(buffer, note, kDefaultOctaveOfNote60);
    EXPECT_EQ(buffer[0], '\0');
    for (int i = 1; i < 8; ++i) EXPECT_EQ(static_cast<unsigned char>(buffer[i]), 0xbd) << "byte " << i;
  }
}

TEST(FormatNoteName, LongestNameStaysWithinFourBytes) {
  for (const auto& [octave, name] : {std::pair{3, "A#7"}, std::pair{4, "A#8"}, std::pair{5, "A#9"}}) {
    SCOPED_TRACE(octave);
    char buffer[8];
    std::memset(buffer, 0xbd, sizeof buffer);
    FormatNoteName(buffer, 118, octave);
    EXPECT_STREQ(buffer, name);
    for (int i = 4; i < 8; ++i) EXPECT_EQ(static_cast<unsigned char>(buffer[i]), 0xbd) << "byte " << i;
  }
}

// The octave of note 60 moves only the octave digit; values other than 3, 4
// and 5 would give no digit at the ends of the range and count as 3.
TEST(FormatNoteName, OctaveOfNote60) {
  const struct {
    int octave;
    int note;
    const char* name;
  } cases[] = {
      {3, 60, "C3"},  {4, 60, "C4"},  {5, 60, "C5"},  {4, 24, "C1"}, {5, 24, "C2"},
      {4, 119, "B8"}, {5, 119, "B9"}, {4, 61, "C#4"}, {5, 35, "B2"}, {2, 60, "C3"},
      {6, 119, "B7"}, {-1, 24, "C0"}, {0, 60, "C3"},  {4, 23, ""},   {5, 120, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.octave) + ", note " + std::to_string(c.note));
    EXPECT_EQ(Name(c.note, c.octave), c.name);
  }
}

}  // namespace

#include "writers/note_name.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

std::string Name(int note) {
  char buffer[8];
  std::memset(buffer, 0xbd, sizeof buffer);
  FormatNoteName(buffer, note);
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
    FormatNoteName(buffer, note);
    EXPECT_EQ(buffer[0], '\0');
    for (int i = 1; i < 8; ++i) EXPECT_EQ(static_cast<unsigned char>(buffer[i]), 0xbd) << "byte " << i;
  }
}

TEST(FormatNoteName, LongestNameStaysWithinFourBytes) {
  char buffer[8];
  std::memset(buffer, 0xbd, sizeof buffer);
  FormatNoteName(buffer, 118);
  EXPECT_STREQ(buffer, "A#7");
  for (int i = 4; i < 8; ++i) EXPECT_EQ(static_cast<unsigned char>(buffer[i]), 0xbd) << "byte " << i;
}

}  // namespace

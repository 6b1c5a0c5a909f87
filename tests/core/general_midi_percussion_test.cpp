#include "writers/general_midi_percussion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "export/export_state.h"
#include "export_state_setup.h"

namespace {

TEST(GeneralMidiPercussion, NamesOfNotes35To81) {
  const struct {
    int note;
    const char* name;
  } cases[] = {
      {35, "Acoustic Bass Drum"}, {36, "Bass Drum 1"},   {38, "Acoustic Snare"},
      {42, "Closed Hi-Hat"},      {44, "Pedal Hi-Hat"},  {46, "Open Hi-Hat"},
      {49, "Crash Cymbal 1"},     {51, "Ride Cymbal 1"}, {56, "Cowbell"},
      {60, "Hi Bongo"},           {69, "Cabasa"},        {75, "Claves"},
      {79, "Open Cuica"},         {80, "Mute Triangle"}, {81, "Open Triangle"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    EXPECT_STREQ(GeneralMidiPercussionName(c.note), c.name);
  }
  std::set<std::string> distinct;
  for (int note = 35; note <= 81; ++note) {
    SCOPED_TRACE(note);
    const char* name = GeneralMidiPercussionName(note);
    ASSERT_NE(name, nullptr);
    EXPECT_FALSE(std::string(name).empty());
    distinct.insert(name);
  }
  EXPECT_EQ(distinct.size(), 47u) << "a name given twice";
  for (int note : {-1, 0, 34, 82, 127, 1000}) EXPECT_EQ(GeneralMidiPercussionName(note), nullptr) << note;
}

TEST(GeneralMidiPercussion, FillsEmptyPadsOnPercussionNotesOnly) {
  test::ResetForExport("");
  test::NamePad(10, "Below");  // note 34
  test::NamePad(11, "Mine");   // note 35: named, kept
  test::NamePad(58, "Above");  // note 82
  // A slot that held a longer name before: no byte of it may survive.
  std::memset(exportState.padNames[57], 'z', kPadNameSize - 1);
  exportState.padNames[57][0] = '\0';
  FillEmptyPadsWithGeneralMidiNames();
  for (int pad = 0; pad < kPadCount; ++pad) {
    SCOPED_TRACE(pad);
    const int note = pad + kFirstPadNote;
    std::string expected;
    if (pad == 10)
      expected = "Below";
    else if (pad == 11)
      expected = "Mine";
    else if (pad == 58)
      expected = "Above";
    else if (note >= 35 && note <= 81)
      expected = GeneralMidiPercussionName(note);
    EXPECT_EQ(std::string(exportState.padNames[pad]), expected);
  }
  const std::string triangle = "Open Triangle";
  for (std::size_t i = triangle.size(); i < static_cast<std::size_t>(kPadNameSize); ++i)
    ASSERT_EQ(exportState.padNames[57][i], '\0') << "byte " << i;
}

}  // namespace

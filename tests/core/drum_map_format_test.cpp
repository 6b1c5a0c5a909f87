// The format table: what the dialog's list, the save dialog and the command
// line offer, and what a stored format value selects.
#include "writers/drum_map_format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DrumMapFormats, TheTwoDrumMapsFirstThenTheNoteNameFormats) {
  const struct {
    DrumMapFormat format;
    const char *list, *commandLine, *filter, *pattern, *extension;
  } expected[] = {
      {DrumMapFormat::kXml, "KorvatVQ/VL (XML Style)", "xml", "Korvat drum map(*.drm)", "*.drm", "drm"},
      {DrumMapFormat::kBinary, "Korvat 5.x", "binary", "Korvat drum map(*.drm)", "*.drm", "drm"},
      {DrumMapFormat::kMidiNameDocument, "MIDI name document (.midnam)", "midnam",
       "MIDI name document (*.midnam)", "*.midnam", "midnam"},
      {DrumMapFormat::kReaperNoteNames, "REAPER note names (.txt)", "reaper", "REAPER note names (*.txt)",
       "*.txt", "txt"},
      {DrumMapFormat::kPitchList, "Studio One pitch list (.pitchlist)", "pitchlist",
       "Studio One pitch list (*.pitchlist)", "*.pitchlist", "pitchlist"},
  };
  ASSERT_EQ(kDrumMapFormats.size(), std::size(expected));
  for (std::size_t i = 0; i < kDrumMapFormats.size(); ++i) {
    SCOPED_TRACE(expected[i].list);
    const DrumMapFormatInfo& info = kDrumMapFormats[i];
    EXPECT_EQ(static_cast<std::size_t>(info.format), i) << "the list index is the format";
    EXPECT_EQ(info.format, expected[i].format);
    EXPECT_STREQ(info.listText, expected[i].list);
    EXPECT_STREQ(info.commandLineName, expected[i].commandLine);
    EXPECT_STREQ(info.filterText, expected[i].filter);
    EXPECT_STREQ(info.filterPattern, expected[i].pattern);
    EXPECT_STREQ(info.defaultExtension, expected[i].extension);
    EXPECT_NE(info.write, nullptr);
    EXPECT_EQ(FindDrumMapFormat(static_cast<std::int32_t>(i)), &info);
    EXPECT_EQ(FindDrumMapFormat(info.commandLineName), &info);
  }
  for (const std::int32_t index : {-1, 5, 1000}) EXPECT_EQ(FindDrumMapFormat(index), nullptr) << index;
  for (const char* name : {"", "XML", "midi", "reaper "}) EXPECT_EQ(FindDrumMapFormat(name), nullptr) << name;
}

// Every value the module has ever stored keeps its meaning.
TEST(DrumMapFormats, StoredValues) {
  const struct {
    std::uint32_t stored;
    DrumMapFormat format;
  } cases[] = {
      {0, DrumMapFormat::kXml},
      {1, DrumMapFormat::kBinary},
      {2, DrumMapFormat::kMidiNameDocument},
      {3, DrumMapFormat::kReaperNoteNames},
      {4, DrumMapFormat::kPitchList},
      {5, DrumMapFormat::kXml},
      {49, DrumMapFormat::kXml},
      {0x101, DrumMapFormat::kXml},
      {0x80000002u, DrumMapFormat::kXml},
      {0xFFFFFFFFu, DrumMapFormat::kXml},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(FormatIndexFromStoredMode(c.stored), static_cast<std::int32_t>(c.format));
  }
}

}  // namespace

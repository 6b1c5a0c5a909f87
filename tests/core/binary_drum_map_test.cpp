#include "writers/binary_drum_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/export_state.h"
#include "export_state_setup.h"
#include "file_bytes.h"
#include "number_lists.h"
#include "temp_dir.h"

namespace {

constexpr std::size_t kRecords = 10;
constexpr std::size_t kOrderHeader = 3082;
constexpr std::size_t kOrderTable = kOrderHeader + 10;
constexpr std::size_t kEndHeader = 3220;

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

class BinaryDrumMap : public ::testing::Test {
 protected:
  void SetUp() override { test::ResetForExport(Target()); }
  std::string Target() const { return dir_.File("map.drm"); }

  std::string Write() {
    EXPECT_TRUE(WriteBinaryDrumMap());
    const std::string bytes = test::ReadBytes(Target());
    EXPECT_EQ(bytes.size(), 3230u);
    return bytes;
  }
  static std::string Record(const std::string& bytes, int note) {
    return bytes.substr(kRecords + 24 * note, 24);
  }
  static std::string NameField(const std::string& bytes, int note) {
    return Record(bytes, note).substr(12, 11);
  }
  static std::vector<int> Positions(const std::string& bytes) {
    std::vector<int> v;
    for (int n = 0; n < 128; ++n) v.push_back(static_cast<unsigned char>(bytes[kOrderTable + n]));
    return v;
  }

  test::TempDir dir_;
};

using test::Concat;
using test::Range;

TEST_F(BinaryDrumMap, LayoutIsFixedForAnyKitAndOptions) {
  const std::vector<std::vector<int>> kits = {{}, Range(0, 95), {0, 2}, {95}};
  for (const auto& kit : kits) {
    for (int noteNames : {0, 1}) {
      for (int move : {0, 1}) {
        SCOPED_TRACE(testing::Message() << kit.size() << " named, notes " << noteNames << ", move " << move);
        test::ResetForExport(Target());
        for (int pad : kit) test::NamePad(pad, "Pad with a long name " + std::to_string(pad));
        exportState.addNoteNames = noteNames;
        exportState.moveEmptyPadsToEnd = move;
        const std::string bytes = Write();
        EXPECT_EQ(Hex(bytes.substr(0, 23)),
                  "44 31 30 33 00 80 00 00 00 18 00 09 00 07 0A 78 46 5A 6E 00 00 00 2D");
        EXPECT_EQ(Hex(bytes.substr(kOrderHeader, 10)), "44 32 30 30 00 01 00 00 00 80");
        EXPECT_EQ(Hex(bytes.substr(kEndHeader)), "53 30 30 30 00 00 00 00 00 00");
        for (int note = 0; note < 128; ++note) {
          const std::string r = Record(bytes, note);
          const std::string n(1, static_cast<char>(note));
          ASSERT_EQ(r.substr(0, 12), std::string("\x00\x09", 2) + n + "\x07\x0A\x78\x46\x5A\x6E" + n + n +
                                         std::string(1, '\0'))
              << "note " << note;
          ASSERT_EQ(r[23], '\0') << "note " << note;
          ASSERT_EQ(r.substr(12, 11).find('\0'), std::string::npos) << "note " << note;
        }
      }
    }
  }
}

TEST_F(BinaryDrumMap, WorkedRecordOfPad12Kick) {
  test::NamePad(12, "Kick");
  for (const auto& [noteNames, hex] :
       {std::pair{1, "00 09 24 07 0A 78 46 5A 6E 24 24 00 43 31 4B 69 63 6B 2D 2D 2D 2D 2D 00"},
        std::pair{0, "00 09 24 07 0A 78 46 5A 6E 24 24 00 4B 69 63 6B 2D 2D 2D 2D 2D 2D 2D 00"}}) {
    SCOPED_TRACE(noteNames);
    exportState.addNoteNames = noteNames;
    EXPECT_EQ(Hex(Record(Write(), 36)), hex);
  }
}

TEST_F(BinaryDrumMap, NameFields) {
  const struct {
    int pad;
    const char* name;
    int noteNames;
    const char* field;
  } cases[] = {
      {0, "", 1, "C0---------"},
      {0, "", 0, "-----------"},
      {13, "Snare Drum Left", 1, "C#1Snare Dr"},
      {13, "Snare Drum Left", 0, "Snare Drum "},
      {5, "Exactly11ch", 0, "Exactly11ch"},
      {5, "Exactly11ch", 1,
       "F0Exactly1"
       "1"},
      {6, "Hi-Hat-", 0, "Hi-Hat-----"},
      {94, "Ride", 1, "A#7Ride----"},
      {95, "\xe9\xff", 0, "\xe9\xff---------"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    test::ResetForExport(Target());
    test::NamePad(c.pad, c.name);
    exportState.addNoteNames = c.noteNames;
    EXPECT_EQ(NameField(Write(), c.pad + 24), c.field);
  }
}

TEST_F(BinaryDrumMap, AllEmptyKitFields) {
  for (int noteNames : {0, 1}) {
    SCOPED_TRACE(noteNames);
    exportState.addNoteNames = noteNames;
    const std::string bytes = Write();
    for (int note = 0; note < 128; ++note) {
      std::string expected = "-----------";
      if (noteNames && note >= 24 && note <= 119) {
        const char* pitches[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
        const std::string name = pitches[(note - 24) % 12] + std::to_string((note - 24) / 12);
        expected.replace(0, name.size(), name);
      }
      EXPECT_EQ(NameField(bytes, note), expected) << "note " << note;
    }
  }
}

TEST_F(BinaryDrumMap, OrderTable) {
  const struct {
    const char* what;
    std::vector<int> named;
    int move;
    std::vector<int> positions;
  } cases[] = {
      {"all empty, moved", {}, 1, Range(0, 127)},
      {"all named, moved", Range(0, 95), 1, Concat({Range(96, 119), Range(0, 95), Range(120, 127)})},
      {"pads 0 and 2, moved", {0, 2}, 1, Concat({Range(2, 25), {0, 26, 1}, Range(27, 127)})},
      {"pads 0 and 2, kept", {0, 2}, 0, Range(0, 127)},
      {"all named, kept", Range(0, 95), 0, Range(0, 127)},
      {"pad 95 only, moved", {95}, 1, Concat({Range(1, 24), Range(25, 119), {0}, Range(120, 127)})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::ResetForExport(Target());
    for (int pad : c.named) test::NamePad(pad, "-");
    exportState.moveEmptyPadsToEnd = c.move;
    EXPECT_EQ(Positions(Write()), c.positions);
  }
}

TEST_F(BinaryDrumMap, ReplacesAnExistingLongerFile) {
  test::WriteBytes(Target(), std::string(10000, 'z'));
  const std::string bytes = Write();
  EXPECT_EQ(bytes.substr(0, 4), "D103");
  EXPECT_EQ(dir_.List(), std::vector<std::string>{"map.drm"});
}

}  // namespace

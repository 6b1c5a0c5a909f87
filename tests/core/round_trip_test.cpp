// Reading what each writer wrote gives the kit back, within each format's
// limits, and converting between any two formats settles after one trip.
// The files are formed in memory (ScopedWriteCapture) and read back by
// content, as drummap-export finds them.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "cli/drum_map_reading.h"
#include "cli/kit_file.h"
#include "export/export_state.h"
#include "file_bytes.h"
#include "writers/drum_map_format.h"
#include "writers/note_name.h"
#include "writers/notes_to_pads.h"
#include "writers/utf8_conversion.h"
#include "writers/write_capture.h"

namespace {

using Pads = std::vector<std::string>;

struct Kit {
  std::string what;
  Pads pads;  // 96 names, raw 8-bit or UTF-8 as a kit file holds them
  std::string mapName;
};

// Writes `kit` in `format` as drummap-export does and returns the bytes.
std::string Write(const Kit& kit, DrumMapFormat format, bool noteNames) {
  ResetExportState();
  const ScopedUtf8Conversion conversion(KitTextConversion(kit.pads), &Utf8AsIs);
  for (int pad = 0; pad < kPadCount; ++pad) SetPadName(pad, kit.pads[static_cast<std::size_t>(pad)].c_str());
  CopyText(exportState.mapName, kit.mapName.c_str());
  CopyText(exportState.filePath, "-");
  exportState.addNoteNames = noteNames ? 1 : 0;
  exportState.formatIndex = static_cast<std::int32_t>(format);
  std::string bytes;
  const ScopedWriteCapture capture(bytes);
  EXPECT_TRUE(WriteDrumMap());
  return bytes;
}

// Reads the bytes back, the format found from the content.
::testing::AssertionResult Read(const std::string& bytes, DrumMapFormat written, Kit& kit) {
  InputMap map;
  std::string reason;
  if (!ReadInputBytes(bytes, InputSettings(), map, reason)) return ::testing::AssertionFailure() << reason;
  static const InputFormat kExpected[] = {InputFormat::kXml, InputFormat::kBinary, InputFormat::kMidnam,
                                          InputFormat::kReaper, InputFormat::kPitchList};
  if (map.format != kExpected[static_cast<int>(written)])
    return ::testing::AssertionFailure() << "read as " << InputFormatName(map.format);
  if (!map.warnings.empty()) return ::testing::AssertionFailure() << map.warnings[0];
  kit.pads = map.pads;
  kit.mapName = map.mapName;
  return ::testing::AssertionSuccess();
}

// Names as text: each in UTF-8 through the choice drummap-export makes for
// the whole kit.
Pads Text(const Pads& pads) {
  const Utf8Conversion conversion = KitTextConversion(pads);
  Pads text;
  for (const std::string& name : pads) text.push_back(conversion(name));
  return text;
}

// The same names, or the first pad where they differ.
::testing::AssertionResult SameNames(const Pads& actual, const Pads& expected) {
  for (std::size_t pad = 0; pad < actual.size() && pad < expected.size(); ++pad)
    if (actual[pad] != expected[pad])
      return ::testing::AssertionFailure()
             << "pad " << pad << ": \"" << actual[pad] << "\", expected \"" << expected[pad] << "\"";
  if (actual.size() != expected.size()) return ::testing::AssertionFailure() << "a different number of pads";
  return ::testing::AssertionSuccess();
}

// The map's name is taken on its own: valid UTF-8 as UTF-8, else
// Windows-1252.
std::string MapNameText(const Kit& kit) { return Utf8AsIs(kit.mapName); }

// A full binary name field without a character cut at its end.
std::string DropCutCharacter(const std::string& field) {
  std::size_t start = field.size();
  while (start > 0 && (static_cast<unsigned char>(field[start - 1]) & 0xC0) == 0x80) --start;
  if (start == 0) return field;
  const unsigned char lead = static_cast<unsigned char>(field[--start]);
  const std::size_t needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return needed <= field.size() - start ? field : field.substr(0, start);
}

// A name without its own note's name in front (`prefix`), as one line.
std::string WithoutPrefix(const std::string& name, const std::string& prefix) {
  std::string line = OneLineName(name);
  if (line.compare(0, prefix.size(), prefix) == 0) line = OneLineName(line.substr(prefix.size()));
  return line;
}

// What each format's documented limits make of the names: one line (control
// characters as spaces) without blanks at its ends and without its own note
// name in front. The binary map keeps 11 bytes with the note name, without
// the '-' (and blanks among them) at the end; in a kit of UTF-8 names a character cut at the 11th
// byte goes.
Pads ExpectedPads(const Kit& kit, DrumMapFormat format, bool noteNames) {
  Pads pads(kPadCount);
  if (format != DrumMapFormat::kBinary) {
    for (int pad = 0; pad < kPadCount; ++pad) {
      const std::string& name = kit.pads[static_cast<std::size_t>(pad)];
      const std::string bracketed = BracketedNoteName(pad + kFirstPadNote, 3);
      if (!name.empty())
        pads[static_cast<std::size_t>(pad)] = WithoutPrefix((noteNames ? bracketed : "") + name, bracketed);
    }
    return pads;
  }
  Pads fields(kPadCount);
  bool utf8 = true;
  bool beyondAscii = false;
  for (int pad = 0; pad < kPadCount; ++pad) {
    const std::string& name = kit.pads[static_cast<std::size_t>(pad)];
    if (name.empty()) continue;
    char noteName[kNoteNameSize];
    FormatNoteName(noteName, pad + kFirstPadNote, 3);
    std::string field = ((noteNames ? std::string(noteName) : "") + name).substr(0, 11);
    while (!field.empty() && (field.back() == '-' || static_cast<unsigned char>(field.back()) <= ' '))
      field.pop_back();
    const std::string kept = field.size() == 11 ? DropCutCharacter(field) : field;
    utf8 = utf8 && IsValidUtf8(kept);
    for (const char c : kept) beyondAscii = beyondAscii || static_cast<unsigned char>(c) >= 0x80;
    fields[static_cast<std::size_t>(pad)] = field;
  }
  for (int pad = 0; pad < kPadCount; ++pad) {
    std::string field = fields[static_cast<std::size_t>(pad)];
    if (utf8 && beyondAscii && field.size() == 11) field = DropCutCharacter(field);
    while (!field.empty() && (field.back() == '-' || static_cast<unsigned char>(field.back()) <= ' '))
      field.pop_back();
    char noteName[kNoteNameSize];
    FormatNoteName(noteName, pad + kFirstPadNote, 3);
    pads[static_cast<std::size_t>(pad)] = WithoutPrefix(field, noteName);
  }
  return pads;
}

Kit KitFile(const char* path) {
  Kit kit{path, {}, "Map"};
  std::string reason;
  EXPECT_TRUE(ReadKitFile(test::SourcePath(path).c_str(), kit.pads, reason)) << reason;
  return kit;
}

// Random kits of every kind: ASCII, UTF-8 and Windows-1252 names, blanks
// and TABs at the ends and inside, markup, '-' at the end, digits first,
// names longer than the binary field, the pads' own note names in front.
std::vector<Kit> RandomKits(int count) {
  static const char* const kPieces[] = {
      "Kick",
      "Snare",
      "Hat",
      " ",
      "\t",
      "-",
      "&",
      "<",
      ">",
      "\"",
      "'",
      "#",
      ",",
      ";",
      "[C0]",
      "C#1",
      "36 ",
      "Tom",
      "\xC3\xA9",
      "\xE9\xBC\x93",
      "\xF0\x9F\xA5\x81",
      "x",
      "Rimshot Long",
      "//",
      "a b",
  };
  static const char* const kWindows1252Pieces[] = {"Caf\xE9", "\x80", "\xE4\xF6\xFC", "Tom", " ",
                                                   "-",       "&",    "Kick"};
  std::mt19937 random(20);
  std::vector<Kit> kits;
  for (int k = 0; k < count; ++k) {
    const bool windows1252 = k % 4 == 3;
    Kit kit{"random kit " + std::to_string(k), Pads(kPadCount), {}};
    const int pieces = windows1252 ? 8 : 25;
    for (std::string& name : kit.pads) {
      if (random() % 3 == 0) continue;
      const int parts = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < parts; ++i)
        name += windows1252 ? kWindows1252Pieces[random() % pieces] : kPieces[random() % pieces];
    }
    for (int i = 0; i < 2; ++i) kit.mapName += kPieces[random() % 20];
    kit.mapName = OneLineName(kit.mapName);
    kits.push_back(kit);
  }
  return kits;
}

std::vector<Kit> TestKits(int randomKits) {
  std::vector<Kit> kits = {KitFile("examples/kits/acoustic.txt"), KitFile("examples/kits/electronic.txt")};
  Kit full{"every pad named at full length", Pads(kPadCount), "Full"};
  for (int pad = 0; pad < kPadCount; ++pad)
    full.pads[static_cast<std::size_t>(pad)] = "Pad " + std::to_string(pad) + " long name";
  kits.push_back(full);
  kits.push_back(Kit{"empty kit", Pads(kPadCount), ""});
  for (Kit& kit : RandomKits(randomKits)) kits.push_back(std::move(kit));
  return kits;
}

constexpr DrumMapFormat kFormats[] = {DrumMapFormat::kXml, DrumMapFormat::kBinary,
                                      DrumMapFormat::kMidiNameDocument, DrumMapFormat::kReaperNoteNames,
                                      DrumMapFormat::kPitchList};

const char* Name(DrumMapFormat format) {
  return FindDrumMapFormat(static_cast<std::int32_t>(format))->commandLineName;
}

bool IsUtf8Format(DrumMapFormat format) {
  return format != DrumMapFormat::kXml && format != DrumMapFormat::kBinary;
}

// K written in F and read back is K within F's limits; the map's name comes
// back in every format that holds one (the note-name formats name an
// unnamed map Untitled).
TEST(RoundTrip, EveryKitInEveryFormatReadsBack) {
  int cases = 0;
  for (const Kit& kit : TestKits(120)) {
    for (const DrumMapFormat format : kFormats) {
      for (const bool noteNames : {true, false}) {
        SCOPED_TRACE(kit.what + " as " + Name(format) + (noteNames ? " with note names" : ""));
        Kit back;
        ASSERT_TRUE(Read(Write(kit, format, noteNames), format, back));
        EXPECT_TRUE(SameNames(Text(back.pads), Text(ExpectedPads(kit, format, noteNames))));
        if (format != DrumMapFormat::kBinary) {
          const std::string name = MapNameText(kit);
          const bool untitled = IsUtf8Format(format) && name.empty();
          EXPECT_EQ(MapNameText(back), untitled ? "Untitled" : name);
        }
        ++cases;
      }
    }
  }
  std::printf("round trips: %d\n", cases);
}

// F -> G -> F gives what F -> G -> F -> G -> F gives: a conversion settles
// after one trip through the other format, for every pair of formats. One
// exception: 8-bit (Windows-1252) names become UTF-8 in the note-name
// formats, where a character can take two of the binary map's 11 bytes; those
// settle one trip later.
TEST(RoundTrip, EveryFormatPairSettlesAfterOneTrip) {
  int cases = 0;
  for (const Kit& kit : TestKits(50)) {
    bool eightBit = false;
    for (const std::string& name : kit.pads) eightBit = eightBit || !IsValidUtf8(name);
    for (const DrumMapFormat from : kFormats) {
      for (const DrumMapFormat to : kFormats) {
        SCOPED_TRACE(kit.what + ": " + Name(from) + " -> " + Name(to));
        const bool noteNames = cases % 2 == 0;
        // trips[i]: F and G after i trips F -> G -> F.
        std::vector<std::pair<Kit, Kit>> trips(4);
        ASSERT_TRUE(Read(Write(kit, from, noteNames), from, trips[0].first));
        for (std::size_t i = 1; i < trips.size(); ++i) {
          ASSERT_TRUE(Read(Write(trips[i - 1].first, to, noteNames), to, trips[i].second));
          ASSERT_TRUE(Read(Write(trips[i].second, from, noteNames), from, trips[i].first));
        }
        const bool binary = from == DrumMapFormat::kBinary || to == DrumMapFormat::kBinary;
        const std::size_t settled = eightBit && binary && (IsUtf8Format(from) || IsUtf8Format(to)) ? 2 : 1;
        EXPECT_TRUE(SameNames(Text(trips[settled + 1].first.pads), Text(trips[settled].first.pads)));
        EXPECT_TRUE(SameNames(Text(trips[settled + 1].second.pads), Text(trips[settled].second.pads)));
        // Without the binary map nothing is lost at all.
        if (!binary) {
          EXPECT_TRUE(SameNames(Text(trips[1].first.pads), Text(trips[0].first.pads)));
          EXPECT_TRUE(SameNames(Text(trips[1].second.pads), Text(trips[0].first.pads)));
        }
        ++cases;
      }
    }
  }
  std::printf("format pairs: %d\n", cases);
}

}  // namespace

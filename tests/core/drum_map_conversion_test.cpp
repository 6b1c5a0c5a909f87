// drummap-export converting between formats: any input in any format,
// several of each, the warnings, --strict, --from, --model and the names.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/drummap_export.h"
#include "file_bytes.h"
#include "run_main.h"
#include "temp_dir.h"

namespace {

using Result = test::MainResult;

Result Export(std::vector<std::string> args) {
  return test::RunMain(RunDrumMapExport, "drummap-export", args);
}

std::string Golden(const std::string& name) {
  return test::ReadBytes(test::SourcePath("tests/golden/" + name));
}

// The acoustic kit's files, read back and written in another format, give
// the bytes drummap-export writes from the kit itself: names, note-name
// prefixes and the map's name all survive. (The binary map holds 11 bytes
// of each name, so it is a target only.)
TEST(DrumMapConversion, EveryFormatConvertsIntoEveryOther) {
  const char* const sources[] = {"acoustic.xml", "acoustic.midnam", "acoustic-reaper.txt",
                                 "acoustic.pitchlist"};
  const struct {
    const char* format;
    const char* golden;
  } targets[] = {{"xml", "acoustic.xml"},
                 {"binary", "acoustic.drm"},
                 {"midnam", "acoustic.midnam"},
                 {"reaper", "acoustic-reaper.txt"},
                 {"pitchlist", "acoustic.pitchlist"}};
  test::TempDir dir;
  for (const char* source : sources) {
    for (const auto& target : targets) {
      SCOPED_TRACE(std::string(source) + " -> " + target.format);
      // Under the map's name, as the wizard saves it: the note-name files'
      // titles are then the map's name.
      const std::string golden = target.golden;
      const std::string output = dir.File("Untitled" + golden.substr(golden.rfind('.')));
      const Result r = Export(
          {"--format", target.format, "-o", output, test::SourcePath("tests/golden/" + std::string(source))});
      ASSERT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.err, "");
      EXPECT_TRUE(test::ReadBytes(output) == Golden(target.golden));
    }
  }
}

// Several inputs in several formats go into a folder under their default
// names; an input that fails is named, the others are written, and one
// summary line ends the run.
TEST(DrumMapConversion, SeveralInputsIntoAFolder) {
  test::TempDir dir;
  test::WriteBytes(dir.File("a.txt"), "# Alpha\n36 Kick\n");
  test::WriteBytes(dir.File("b.csv"), "note,name\n38,Snare\n");
  test::WriteBytes(dir.File("bad.bin"), std::string("\x89PNG\0\0", 6));
  std::filesystem::create_directory(dir.File("out"));
  const Result r = Export({"--format", "midnam,pitchlist", "-o", dir.File("out"), dir.File("a.txt"),
                           dir.File("bad.bin"), dir.File("b.csv")});
  EXPECT_EQ(r.status, 1);
  const std::string out = dir.File("out") + "/";
  EXPECT_EQ(r.out,
            out + "Alpha.midnam\n" + out + "Alpha.pitchlist\n" + out + "b.midnam\n" + out + "b.pitchlist\n");
  EXPECT_EQ(r.err,
            "drummap-export: " + dir.File("bad.bin") +
                ": not a file drummap-export reads (tried the binary and the XML drum map, MIDI name "
                "document, pitch list, REAPER note names, CSV/TSV table and kit text): binary data (line 1 "
                "holds a NUL byte)\n"
                "drummap-export: 1 of 3 inputs failed\n");
  EXPECT_EQ(test::ReadBytes(out + "b.pitchlist"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Music.PitchNameList title=\"b\">\n"
            "  <Music.PitchName pitch=\"38\" name=\"[D1]Snare\"/>\n</Music.PitchNameList>\n");
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"a.txt", "b.csv", "bad.bin", "out"}));

  // A folder that does not exist yet is refused per file; the XML and the
  // binary map share .drm, so the second is refused, not written over.
  const Result both = Export({"--format", "xml,binary", "-o", dir.File("out") + "/", dir.File("a.txt")});
  EXPECT_EQ(both.status, 1);
  EXPECT_EQ(both.out, out + "Alpha.drm\n");
  EXPECT_NE(both.err.find("Alpha.drm: this run has written that file already"), std::string::npos)
      << both.err;
  // An input is never written over, also when its map's name makes its own
  // file name: the other format is still written.
  test::WriteBytes(dir.File("out/Alpha.txt"), "# Alpha\n36 Kick\n");
  const Result self =
      Export({"--format", "reaper,pitchlist", "-o", dir.File("out") + "/", dir.File("out") + "/Alpha.txt"});
  EXPECT_EQ(self.status, 1);
  EXPECT_EQ(self.out, out + "Alpha.pitchlist\n");
  EXPECT_EQ(self.err, "drummap-export: " + out + "Alpha.txt: is the input file " + out +
                          "Alpha.txt; an input is never overwritten\n");
  EXPECT_EQ(test::ReadBytes(out + "Alpha.txt"), "# Alpha\n36 Kick\n");
  const Result missing = Export({"-o", dir.File("nowhere") + "/", dir.File("a.txt")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find(dir.File("nowhere") + "/Alpha.drm: "), std::string::npos) << missing.err;
}

// Notes outside the pads are left out with a warning each, or refuse the
// input with --strict; a note named twice keeps its first name.
TEST(DrumMapConversion, WarningsAndStrict) {
  test::TempDir dir;
  test::WriteBytes(dir.File("wide.txt"), "# Wide\n12 Low\n36 Kick\n36 Kick again\n127 High\n");
  const std::string output = dir.File("wide.reaper");
  Result r = Export({"--format", "reaper", "-o", output, dir.File("wide.txt")});
  EXPECT_EQ(r.status, 0);
  const std::string input = dir.File("wide.txt");
  EXPECT_EQ(r.err, "drummap-export: warning: " + input +
                       ": note 12 \"Low\" is outside the pads' notes 24-119 and is left out\n" +
                       "drummap-export: warning: " + input +
                       ": note 36 is named twice: \"Kick\" is kept, \"Kick again\" is left out\n" +
                       "drummap-export: warning: " + input +
                       ": note 127 \"High\" is outside the pads' notes 24-119 and is left out\n");
  EXPECT_EQ(test::ReadBytes(output), "# Wide\n36\t[C1]Kick\n");

  test::WriteBytes(output, "before");
  r = Export({"--strict", "--format", "reaper", "-o", output, dir.File("wide.txt")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(
      r.err.find(input + ": --strict: 2 named notes outside the pads' notes 24-119; nothing is written\n"),
      std::string::npos)
      << r.err;
  EXPECT_EQ(test::ReadBytes(output), "before");
}

// --from, --model, --name, --keep-prefixes and the names a map gets.
TEST(DrumMapConversion, OptionsAndNames) {
  test::TempDir dir;
  test::WriteBytes(dir.File("numbered.txt"), "1 Kick\n2 Snare\n");
  test::WriteBytes(dir.File("map.drm"), Golden("acoustic.drm"));
  test::WriteBytes(dir.File("doc.midnam"),
                   "<MIDINameDocument><MasterDeviceNames><Model>One</Model>"
                   "<NoteNameList Name=\"a\"><Note Number=\"24\" Name=\"[C0]First\"/></NoteNameList>"
                   "</MasterDeviceNames><MasterDeviceNames><Model>Two</Model>"
                   "<NoteNameList Name=\"b\"><Note Number=\"24\" Name=\"Second\"/></NoteNameList>"
                   "</MasterDeviceNames></MIDINameDocument>");
  const std::string out = dir.File("out.txt");
  const struct {
    std::vector<std::string> options;
    std::string input;
    std::string written;
  } cases[] = {
      // A kit whose names begin with numbers reads as REAPER note names
      // unless --from says otherwise; a kit is Untitled, which the note-name
      // formats title after the file they are saved in.
      {{}, "numbered.txt", "# numbered\n"},
      {{"--from", "kit"}, "numbered.txt", "# out\n24\t[C0]1 Kick\n25\t[C#0]2 Snare\n"},
      {{"--from", "kit", "--name", "Mine"}, "numbered.txt", "# Mine\n24\t[C0]1 Kick\n25\t[C#0]2 Snare\n"},
      // The binary map names no map: the file's name does.
      {{"--no-note-names"}, "map.drm", "# map\n24\tKick Deep\n"},
      {{"--no-note-names", "--keep-prefixes"}, "map.drm", "# map\n24\tC0Kick Deep\n"},
      {{"--no-note-names"}, "doc.midnam", "# One\n24\tFirst\n"},
      {{"--no-note-names", "--model", "Two"}, "doc.midnam", "# Two\n24\tSecond\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input + " " + ::testing::PrintToString(c.options));
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"--format", "reaper", "-o", out, dir.File(c.input)});
    const Result r = Export(args);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string written = test::ReadBytes(out);
    EXPECT_EQ(written.substr(0, c.written.size()), c.written);
  }
  // The help states the rule between a kit and REAPER note names.
  const Result help = Export({"--help"});
  EXPECT_NE(help.out.find("A kit whose every name begins with a different\nnumber 0-127 and a blank "
                          "therefore reads as REAPER note names: give --from\nkit."),
            std::string::npos);
  // A model the document does not hold.
  const Result r = Export({"--model", "Three", "-o", out, dir.File("doc.midnam")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "drummap-export: " + dir.File("doc.midnam") +
                       ": no model 'Three' in the document (models: One, Two)\n");
}

}  // namespace

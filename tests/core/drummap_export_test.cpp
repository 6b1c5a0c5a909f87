#include "cli/drummap_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "export/export_state.h"
#include "file_bytes.h"
#include "run_main.h"
#include "temp_dir.h"
#include "writers/drum_map_format.h"

namespace {

using namespace std::string_literals;

using Result = test::MainResult;

Result Export(std::vector<std::string> args) {
  return test::RunMain(RunDrumMapExport, "drummap-export", args);
}

std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  return names;
}

// Runs the code in `folder` as the current folder.
class InFolder {
 public:
  explicit InFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~InFolder() { std::filesystem::current_path(previous_); }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  std::filesystem::path previous_;
};

// The expected files were made once and checked against the format rules;
// the native and the Windows build must both give exactly these bytes. Each
// is written under the name the wizard's save dialog proposes (the map name),
// so the note-name files' titles are the wizard's too.
TEST(DrumMapExport, ExampleKitsGiveTheKnownBytes) {
  const struct {
    const char* kit;
    std::vector<std::string> options;
    const char* expected;
  } cases[] = {
      {"acoustic", {}, "acoustic.xml"},
      {"acoustic", {"--format", "binary"}, "acoustic.drm"},
      {"electronic", {"--name", "Electro & Co", "--no-note-names"}, "electronic-plain.xml"},
      {"electronic", {"--format", "binary", "--keep-order"}, "electronic-kept.drm"},
      {"acoustic", {"--format", "midnam"}, "acoustic.midnam"},
      {"acoustic", {"--format", "reaper"}, "acoustic-reaper.txt"},
      {"acoustic", {"--format", "pitchlist"}, "acoustic.pitchlist"},
      // A Windows-1252 kit (e acute), markup in the names and the map name.
      {"electronic", {"--format", "midnam", "--name", "Electro & Co"}, "electronic.midnam"},
      {"electronic", {"--format", "reaper", "--name", "Electro & Co"}, "electronic-reaper.txt"},
      {"electronic", {"--format", "pitchlist", "--name", "Electro & Co"}, "electronic.pitchlist"},
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    std::vector<std::string> args = c.options;
    const auto name = std::find(c.options.begin(), c.options.end(), "--name");
    const std::string expected = c.expected;
    const std::string output =
        dir.File((name != c.options.end() ? name[1] : "Untitled") + expected.substr(expected.rfind('.')));
    args.insert(args.end(), {"-o", output, test::SourcePath(std::string("examples/kits/") + c.kit + ".txt")});
    const Result r = Export(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, output + "\n");
    EXPECT_TRUE(r.err.empty());
    EXPECT_TRUE(test::ReadBytes(output) ==
                test::ReadBytes(test::SourcePath(std::string("tests/golden/") + c.expected)));
  }
}

// Without -o the file is the map name with the format's extension, in the
// current folder.
TEST(DrumMapExport, DefaultOutputIsTheNameWithTheFormatsExtension) {
  test::TempDir dir;
  // Not kit.txt: on Windows that is the REAPER file Kit.txt.
  test::WriteBytes(dir.File("pads.kit"), "Kick\n");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const struct {
    const char* format;
    const char* file;
  } cases[] = {{"xml", "Kit.drm"},
               {"binary", "Kit.drm"},
               {"midnam", "Kit.midnam"},
               {"reaper", "Kit.txt"},
               {"pitchlist", "Kit.pitchlist"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    std::filesystem::remove(dir.File(c.file));
    const Result r = Export({"--format", c.format, "--name", "Kit", "pads.kit"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, std::string(c.file) + "\n");
    EXPECT_TRUE(test::Exists(dir.File(c.file)));
  }
  std::filesystem::current_path(before);
}

// The note-name formats are UTF-8. A kit that is valid UTF-8 is taken as it
// is; one name that is not makes the whole kit Windows-1252. The map name is
// decided on its own: UTF-8 when it is valid UTF-8, else Windows-1252.
TEST(DrumMapExport, KitsAreReadAsUtf8OrWindows1252) {
  const struct {
    const char* what;
    std::string kit;
    std::string name;
    std::string written;  // the REAPER note names
  } cases[] = {
      {"ASCII", "Kick\n", "Kit", "# Kit\n24\tKick\n"},
      {"UTF-8 kit", "Caf\xc3\xa9\n\xe2\x82\xac\n", "Kit \xc3\xa9",
       "# Kit \xc3\xa9\n24\tCaf\xc3\xa9\n25\t\xe2\x82\xac\n"},
      {"Windows-1252 kit", "Caf\xe9\n\x80\n", "Kit \xe9",
       "# Kit \xc3\xa9\n24\tCaf\xc3\xa9\n25\t\xe2\x82\xac\n"},
      {"one Windows-1252 name decides", "Caf\xc3\xa9\nCaf\xe9\n", "Kit",
       "# Kit\n24\tCaf\xc3\x83\xc2\xa9\n25\tCaf\xc3\xa9\n"},
      {"Windows-1252 name with a UTF-8 kit", "Caf\xc3\xa9\n", "Kit \xe9",
       "# Kit \xc3\xa9\n24\tCaf\xc3\xa9\n"},
      {"UTF-8 name with a Windows-1252 kit", "Caf\xe9\n", "Caf\xc3\xa9 Kit",
       "# Caf\xc3\xa9 Kit\n24\tCaf\xc3\xa9\n"},
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::WriteBytes(dir.File("kit.txt"), c.kit);
    const Result r = Export({"--format", "reaper", "--no-note-names", "--name", c.name, "-o",
                             dir.File("names.txt"), dir.File("kit.txt")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::ReadBytes(dir.File("names.txt")), c.written);
  }
}

TEST(DrumMapExport, HelpNamesEveryFormatAndTheTextEncoding) {
  const Result r = Export({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* text :
       {"--format xml|binary|midnam|reaper|pitchlist", "MIDI name document", "REAPER note names",
        "Studio One pitch list", "UTF-8", "Windows-1252", "--octave-of-note-60 3|4|5\n", "--fill-empty gm "})
    EXPECT_NE(r.out.find(text), std::string::npos) << text;
  const Result unknown = Export({"--format", "midi", "kit.txt"});
  EXPECT_NE(unknown.err.find("(xml, binary, midnam, reaper or pitchlist)"), std::string::npos) << unknown.err;
}

// The two options of the note names, on the command line: the octave changes
// only the labels, never a note number; GM names fill only empty pads on
// notes 35-81. The REAPER file shows both in one line a pad.
TEST(DrumMapExport, OctaveAndGeneralMidiNames) {
  test::TempDir dir;
  std::string kit = "Kick\n";                      // pad 0, note 24
  for (int pad = 1; pad < 12; ++pad) kit += "\n";  // pad 11 (note 35) empty
  kit += "My Snare\n";                             // pad 12, note 36: keeps its name
  test::WriteBytes(dir.File("kit.txt"), kit);
  const struct {
    std::vector<std::string> options;
    std::vector<std::string> lines;
  } cases[] = {
      {{}, {"24\t[C0]Kick", "36\t[C1]My Snare"}},
      {{"--octave-of-note-60", "4"}, {"24\t[C1]Kick", "36\t[C2]My Snare"}},
      {{"--octave-of-note-60=5", "--no-note-names"}, {"24\tKick", "36\tMy Snare"}},
      {{"--fill-empty", "gm"},
       {"24\t[C0]Kick", "35\t[B0]Acoustic Bass Drum", "36\t[C1]My Snare", "37\t[C#1]Side Stick",
        "81\t[A4]Open Triangle"}},
      {{"--fill-empty=gm", "--octave-of-note-60", "4"},
       {"35\t[B1]Acoustic Bass Drum", "81\t[A5]Open Triangle"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.options));
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"--format", "reaper", "-o", dir.File("names.txt"), dir.File("kit.txt")});
    const Result r = Export(args);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = test::ReadBytes(dir.File("names.txt"));
    for (const std::string& line : c.lines)
      EXPECT_NE(text.find("\n" + line + "\n"), std::string::npos) << line;
    const bool filled = !c.options.empty() && c.options[0].rfind("--fill-empty", 0) == 0;
    EXPECT_EQ(text.find("Acoustic Bass Drum") != std::string::npos, filled) << text;
  }
}

TEST(DrumMapExport, UsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--format", "midi", "kit.txt"},
      {"--format=midi", "kit.txt"},
      {"--format"},
      {"--name", std::string(56, 'n'), "kit.txt"},
      {"--name=" + std::string(56, 'n'), "kit.txt"},
      {"--bogus", "kit.txt"},
      // One file or standard output for several inputs or formats.
      {"-o", "out.xml", "a.txt", "b.txt"},
      {"-o", "-", "a.txt", "--", "b.txt"},
      {"--format", "xml,binary", "-o", "a.drm", "kit.txt"},
      {"--format", "xml,", "kit.txt"},
      {"--from", "wav", "kit.txt"},
      {"-o", std::string(200, 'p'), "kit.txt"},
      {"-o", "", "kit.txt"},
      {""},
      {"--no-note-names=yes", "kit.txt"},
      {"--keep-order=0", "kit.txt"},
      {"--octave-of-note-60", "6", "kit.txt"},
      {"--octave-of-note-60=C", "kit.txt"},
      {"--fill-empty", "xg", "kit.txt"},
      {"--version=2", "kit.txt"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const Result r = Export(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("drummap-export: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("usage: drummap-export"), std::string::npos);
    EXPECT_TRUE(r.out.empty());
  }
}

// --help and --version answer on standard output and succeed, whatever else
// is on the command line; the help names every option and format.
TEST(DrumMapExport, HelpAndVersion) {
  const std::string version = "drummap-export "s + DRUMMAP_VERSION + "\n";
  const struct {
    std::vector<std::string> args;
    bool help;
  } cases[] = {
      {{"--help"}, true},
      {{"-h"}, true},
      {{"kit.txt", "--help"}, true},
      {{"--version"}, false},
      {{"--version", "kit.txt"}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const Result r = Export(c.args);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.empty()) << r.err;
    if (!c.help) {
      EXPECT_EQ(r.out, version);
      continue;
    }
    EXPECT_EQ(r.out.rfind("usage: drummap-export", 0), 0u) << r.out;
    for (const char* option : {"--format", "--name", "--no-note-names", "--keep-order", "-o PATH",
                               "--version", "--help", "199 bytes", "Exit status"})
      EXPECT_NE(r.out.find(option), std::string::npos) << option;
    for (const DrumMapFormatInfo& format : kDrumMapFormats)
      EXPECT_NE(r.out.find(format.commandLineName), std::string::npos) << format.commandLineName;
  }
}

// Every spelling of the same request writes the same bytes: --option=value,
// "--" before the kit, an option given twice (the last counts), and an empty
// value after '=', which is empty and not the next argument. OUT stands for
// the file to write.
TEST(DrumMapExport, ArgumentSpellings) {
  test::TempDir dir;
  const InFolder inDir(dir.path());
  test::WriteBytes("-kit.txt", "Kick\n\nSnare\n");
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> same;
  } cases[] = {
      {{"--format=binary", "--name=A B", "-o", "OUT", "--", "-kit.txt"},
       {"--format", "binary", "--name", "A B", "-o", "OUT", "./-kit.txt"}},
      {{"-oOUT", "./-kit.txt"}, {"-o", "OUT", "./-kit.txt"}},
      {{"--name", "first", "--name", "second", "-o", "OUT", "./-kit.txt"},
       {"--name", "second", "-o", "OUT", "./-kit.txt"}},
      {{"--format", "binary", "--format", "xml", "-o", "OUT", "./-kit.txt"}, {"-o", "OUT", "./-kit.txt"}},
      {{"--name=", "--keep-order", "-o", "OUT", "./-kit.txt"},
       {"--name", "", "--keep-order", "-o", "OUT", "./-kit.txt"}},
      {{"--name", "--keep-order", "-o", "OUT", "./-kit.txt"},
       {"--name=--keep-order", "-o", "OUT", "./-kit.txt"}},
      {{"--name", "-o", "-o", "OUT", "./-kit.txt"}, {"--name=-o", "-o", "OUT", "./-kit.txt"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    auto writing = [](std::vector<std::string> args, const std::string& file) {
      for (std::string& a : args)
        if (const std::size_t at = a.find("OUT"); at != std::string::npos) a.replace(at, 3, file);
      return args;
    };
    const Result r = Export(writing(c.args, "a.map")), s = Export(writing(c.same, "b.map"));
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(s.status, 0) << s.err;
    EXPECT_EQ(r.out, "a.map\n");
    EXPECT_EQ(test::ReadBytes("a.map"), test::ReadBytes("b.map"));
    std::filesystem::remove("a.map");
    std::filesystem::remove("b.map");
  }
  // "--name=" gave the empty name.
  ASSERT_EQ(Export({"--name=", "--keep-order", "-o", "empty.xml", "./-kit.txt"}).status, 0);
  EXPECT_NE(test::ReadBytes("empty.xml").find("<string name=\"Name\" value=\"\"/>"), std::string::npos);
}

// Without -o the file is the map name made a file name, in the current
// folder, whatever the name holds.
TEST(DrumMapExport, DefaultOutputIsAFileInTheCurrentFolder) {
  const struct {
    std::vector<std::string> options;
    std::string file;
  } cases[] = {
      {{}, "Untitled.drm"},
      {{"--format", "binary"}, "Untitled.drm"},
      {{"--name", ""}, "Untitled.drm"},
      {{"--name", "AC/DC Kit"}, "AC_DC Kit.drm"},
      {{"--name", "../w/sub/x"}, "___w_sub_x.drm"},
      {{"--name", "..\\w\\sub\\x"}, "___w_sub_x.drm"},
      {{"--name", "C:x"}, "C_x.drm"},
      {{"--name", "tab\there"}, "tab_here.drm"},
  };
  test::TempDir dir;
  std::filesystem::create_directories(dir.path() / "run");
  std::filesystem::create_directories(dir.path() / "w" / "sub");
  test::WriteBytes(dir.File("kit.txt"), "Kick\n");
  const InFolder inRun(dir.path() / "run");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::vector<std::string> args = c.options;
    args.push_back(dir.File("kit.txt"));
    const Result r = Export(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.file + "\n");
    EXPECT_EQ(FilesIn("."), std::vector<std::string>{c.file});
    EXPECT_TRUE(FilesIn(dir.path() / "w" / "sub").empty());
    std::filesystem::remove(c.file);
  }
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"kit.txt", "run", "w"}));
}

// Only long options take their value after '=': -o takes it as the next
// argument or glued to it, so "-o=x" writes the file "=x", as getopt reads
// it.
TEST(DrumMapExport, WhichSpellingsTakeAnEqualsSign) {
  const struct {
    std::vector<std::string> args;
    const char* file;
  } cases[] = {
      {{"-o", "x.xml"}, "x.xml"},   {{"-ox.xml"}, "x.xml"},  {{"-o=x.xml"}, "=x.xml"},
      {{"-o", "=x.xml"}, "=x.xml"}, {{"--name=x"}, "x.drm"}, {{"--name", "=x"}, "=x.drm"},
      {{"--name==x"}, "=x.drm"},
  };
  test::TempDir dir;
  test::WriteBytes(dir.File("kit.txt"), "Kick\n");
  std::filesystem::create_directory(dir.path() / "run");
  const InFolder inRun(dir.path() / "run");
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--format", "xml", dir.File("kit.txt")});
    const Result r = Export(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FilesIn("."), std::vector<std::string>{c.file});
    std::filesystem::remove(c.file);
  }
}

// The kit is never the file written: not by -o, not through a link or
// another name of the same file, not by the default name (kits and REAPER
// note names are both .txt). Refused before anything is read or made.
TEST(DrumMapExport, KitIsNeverTheOutput) {
  test::TempDir dir;
  const InFolder inDir(dir.path());
  const std::string kit = test::ReadBytes(test::SourcePath("examples/kits/acoustic.txt"));
  test::WriteBytes("acoustic.txt", kit);
  std::filesystem::create_directory("sub");
  const struct {
    std::vector<std::string> args;
    const char* output;  // as the message names it
    const char* kit;
  } cases[] = {
      {{"--format", "reaper", "--name", "acoustic", "acoustic.txt"}, "acoustic.txt", "acoustic.txt"},
      {{"-o", "acoustic.txt", "acoustic.txt"}, "acoustic.txt", "acoustic.txt"},
      {{"--format", "binary", "-o", "sub/../acoustic.txt", "./acoustic.txt"},
       "sub/../acoustic.txt",
       "./acoustic.txt"},
#ifndef _WIN32
      {{"-o", "link.txt", "acoustic.txt"}, "link.txt", "acoustic.txt"},
      {{"-o", "acoustic.txt", "link.txt"}, "acoustic.txt", "link.txt"},
      {{"-o", "hard.txt", "acoustic.txt"}, "hard.txt", "acoustic.txt"},
#endif
  };
#ifndef _WIN32
  std::filesystem::create_symlink("acoustic.txt", "link.txt");
  std::filesystem::create_hard_link("acoustic.txt", "hard.txt");
#endif
  const std::vector<std::string> before = dir.List();
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const Result r = Export(c.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(r.err, "drummap-export: "s + c.output + ": is the kit file " + c.kit +
                         "; the kit is never overwritten\n");
    EXPECT_TRUE(test::ReadBytes("acoustic.txt") == kit);
    EXPECT_EQ(dir.List(), before);
  }
}

// --help, --version and the written path on a standard output that cannot
// take them: exit status 1 and the reason on standard error.
TEST(DrumMapExport, StandardOutputThatCannotBeWrittenIsAFailure) {
  test::TempDir dir;
  test::WriteBytes(dir.File("kit.txt"), "Kick\n");
  const std::vector<std::string> cases[] = {
      {"--help"},
      {"--version"},
      {"-o", dir.File("map.xml"), dir.File("kit.txt")},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    std::ostream closed(nullptr);  // as a stream whose every write fails
    const Result r = test::RunMain(RunDrumMapExport, "drummap-export", args, &closed);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("drummap-export: standard output: ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1);
  }
}

#ifndef _WIN32
// The written path on standard output shows control bytes as \xNN, like the
// messages: C0 controls, DEL, C1 controls in UTF-8 and stray bytes 80-9F.
// Other characters stay as they are.
TEST(DrumMapExport, PrintedPathIsSafeToShow) {
  const struct {
    std::string name;
    std::string shown;
  } cases[] = {
      {"red\x1b[31m.xml", "red\\x1b[31m.xml"},
      {"tab\tnew\nline\x7f.xml", "tab\\x09new\\x0aline\\x7f.xml"},
      {"csi\xC2\x9B"
       "2J.xml",
       "csi\\xc2\\x9b2J.xml"},
      {"raw\x9B"
       "2J.xml",
       "raw\\x9b2J.xml"},
      {"\xC3\xA9t\xC3\xA9 \xC5\x9Bwiat \xE2\x82\xAC.xml", "\xC3\xA9t\xC3\xA9 \xC5\x9Bwiat \xE2\x82\xAC.xml"},
      {"latin1 \xE9t\xE9.xml", "latin1 \xE9t\xE9.xml"},
  };
  test::TempDir dir;
  test::WriteBytes(dir.File("kit.txt"), "Kick\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    const Result r = Export({"-o", dir.File(c.name), dir.File("kit.txt")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, dir.File(c.shown) + "\n");
    EXPECT_TRUE(test::Exists(dir.File(c.name)));
  }
}
#endif

TEST(DrumMapExport, NameOf55BytesIsAccepted) {
  test::TempDir dir;
  test::WriteBytes(dir.File("kit.txt"), "Kick\n");
  const Result r = Export({"--name", std::string(55, 'n'), "-o", dir.File("x.xml"), dir.File("kit.txt")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(test::ReadBytes(dir.File("x.xml")).find(std::string(55, 'n') + "\"/>"), std::string::npos);
}

TEST(DrumMapExport, FailuresNameThePathOnOneLine) {
  test::TempDir dir;
  std::string tooLong;
  for (int i = 0; i < 97; ++i) tooLong += "pad\n";
  test::WriteBytes(dir.File("long.txt"), tooLong);
  test::WriteBytes(dir.File("kit.txt"), "Kick\n");
  test::WriteBytes(dir.File("utf16.txt"), "\xFF\xFEK\0i\0c\0k\0"s);
  // Not "nul.txt": on Windows that names the NUL device.
  test::WriteBytes(dir.File("nul-byte.txt"), "Kick\nSn\0are\n"s);
  const struct {
    std::vector<std::string> args;
    std::string path;
  } cases[] = {
      {{"-o", dir.File("a.xml"), dir.File("missing.txt")}, dir.File("missing.txt")},
      {{"-o", dir.File("a.xml"), dir.File("long.txt")}, dir.File("long.txt")},
      {{"-o", dir.File("a.xml"), dir.File("utf16.txt")}, dir.File("utf16.txt")},
      {{"-o", dir.File("a.xml"), dir.File("nul-byte.txt")},
       dir.File("nul-byte.txt") + ": not a file drummap-export reads"},
#ifndef _WIN32
      // Endless: refused after the first MiB (reading it is harmless).
      {{"-o", dir.File("a.xml"), "/dev/zero"}, "/dev/zero"},
#endif
      {{"-o", dir.File("nowhere/a.xml"), dir.File("kit.txt")}, dir.File("nowhere/a.xml")},
      {{"--format", "binary", "-o", dir.File("nowhere/a.drm"), dir.File("kit.txt")},
       dir.File("nowhere/a.drm")},
      {{"--format", "midnam", "-o", dir.File("nowhere/a.midnam"), dir.File("kit.txt")},
       dir.File("nowhere/a.midnam")},
      {{"--format", "reaper", "-o", dir.File("nowhere/a.txt"), dir.File("kit.txt")},
       dir.File("nowhere/a.txt")},
      {{"--format", "pitchlist", "-o", dir.File("nowhere/a.pitchlist"), dir.File("kit.txt")},
       dir.File("nowhere/a.pitchlist")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const Result r = Export(c.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(c.path), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
  EXPECT_FALSE(test::Exists(dir.File("a.xml")));
}

}  // namespace

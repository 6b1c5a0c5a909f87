#include "cli/drummap_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

struct Result {
  int code;
  std::string out;
  std::string err;
};

Result Export(std::vector<std::string> args) {
  args.insert(args.begin(), "drummap-export");
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int code = RunDrumMapExport(static_cast<int>(argv.size()), argv.data(), out, err);
  return {code, out.str(), err.str()};
}

// The expected files were made once and checked against the format rules;
// the native and the Windows build must both give exactly these bytes.
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
    const std::string output = dir.File(c.expected);
    args.insert(args.end(), {"-o", output, test::SourcePath(std::string("examples/kits/") + c.kit + ".txt")});
    const Result r = Export(args);
    ASSERT_EQ(r.code, 0) << r.err;
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
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, std::string(c.file) + "\n");
    EXPECT_TRUE(test::Exists(dir.File(c.file)));
  }
  std::filesystem::current_path(before);
}

// The note-name formats are UTF-8. A kit that is valid UTF-8 is taken as it
// is; one name that is not makes the whole kit Windows-1252. The map name is
// read like the kit, and as Windows-1252 whenever it is not valid UTF-8.
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
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::WriteBytes(dir.File("kit.txt"), c.kit);
    const Result r = Export({"--format", "reaper", "--no-note-names", "--name", c.name, "-o",
                             dir.File("names.txt"), dir.File("kit.txt")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(test::ReadBytes(dir.File("names.txt")), c.written);
  }
}

TEST(DrumMapExport, HelpNamesEveryFormatAndTheTextEncoding) {
  const Result r = Export({"--help"});
  EXPECT_EQ(r.code, 2);
  for (const char* text : {"--format xml|binary|midnam|reaper|pitchlist", "MIDI name document",
                           "REAPER note names", "Studio One pitch list", "UTF-8", "Windows-1252"})
    EXPECT_NE(r.err.find(text), std::string::npos) << text;
  const Result unknown = Export({"--format", "midi", "kit.txt"});
  EXPECT_NE(unknown.err.find("(xml, binary, midnam, reaper or pitchlist)"), std::string::npos) << unknown.err;
}

TEST(DrumMapExport, UsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--format", "midi", "kit.txt"},
      {"--format"},
      {"--name", std::string(56, 'n'), "kit.txt"},
      {"--bogus", "kit.txt"},
      {"a.txt", "b.txt"},
      {"-o", std::string(200, 'p'), "kit.txt"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const Result r = Export(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("usage: drummap-export"), std::string::npos);
    EXPECT_TRUE(r.out.empty());
  }
}

TEST(DrumMapExport, NameOf55BytesIsAccepted) {
  test::TempDir dir;
  test::WriteBytes(dir.File("kit.txt"), "Kick\n");
  const Result r = Export({"--name", std::string(55, 'n'), "-o", dir.File("x.xml"), dir.File("kit.txt")});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(test::ReadBytes(dir.File("x.xml")).find(std::string(55, 'n') + "\"/>"), std::string::npos);
}

TEST(DrumMapExport, FailuresNameThePathOnOneLine) {
  test::TempDir dir;
  std::string tooLong;
  for (int i = 0; i < 97; ++i) tooLong += "pad\n";
  test::WriteBytes(dir.File("long.txt"), tooLong);
  test::WriteBytes(dir.File("kit.txt"), "Kick\n");
  const struct {
    std::vector<std::string> args;
    std::string path;
  } cases[] = {
      {{"-o", dir.File("a.xml"), dir.File("missing.txt")}, dir.File("missing.txt")},
      {{"-o", dir.File("a.xml"), dir.File("long.txt")}, dir.File("long.txt")},
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
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(c.path), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
  EXPECT_FALSE(test::Exists(dir.File("a.xml")));
}

}  // namespace

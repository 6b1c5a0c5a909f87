#include "cli/drummap_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/export_state.h"
#include "test_support.h"
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
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    std::vector<std::string> args = c.options;
    const std::string output = dir.File(c.expected);
    args.insert(args.end(), {"-o", output, test::SourcePath(std::string("examples/kits/") + c.kit + ".txt")});
    const Result r = Export(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, output + "\n");
    EXPECT_TRUE(r.err.empty());
    EXPECT_TRUE(test::ReadBytes(output) ==
                test::ReadBytes(test::SourcePath(std::string("tests/golden/") + c.expected)));
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
      {"a.txt", "b.txt"},
      {"a.txt", "--", "b.txt"},
      {"-o", std::string(200, 'p'), "kit.txt"},
      {"-o", "", "kit.txt"},
      {""},
      {"--no-note-names=yes", "kit.txt"},
      {"--keep-order=0", "kit.txt"},
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
      {{"-o", dir.File("a.xml"), dir.File("nul-byte.txt")}, dir.File("nul-byte.txt") + ": line 2 "},
#ifndef _WIN32
      // Endless: refused after the first MiB (reading it is harmless).
      {{"-o", dir.File("a.xml"), "/dev/zero"}, "/dev/zero"},
#endif
      {{"-o", dir.File("nowhere/a.xml"), dir.File("kit.txt")}, dir.File("nowhere/a.xml")},
      {{"--format", "binary", "-o", dir.File("nowhere/a.drm"), dir.File("kit.txt")},
       dir.File("nowhere/a.drm")},
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

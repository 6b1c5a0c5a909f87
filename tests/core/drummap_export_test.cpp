#include "cli/drummap_export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

using Result = test::MainResult;

Result Export(std::vector<std::string> args) {
  return test::RunMain(RunDrumMapExport, "drummap-export", args);
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
      {"--format"},
      {"--name", std::string(56, 'n'), "kit.txt"},
      {"--bogus", "kit.txt"},
      {"a.txt", "b.txt"},
      {"-o", std::string(200, 'p'), "kit.txt"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const Result r = Export(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("usage: drummap-export"), std::string::npos);
    EXPECT_TRUE(r.out.empty());
  }
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
  const struct {
    std::vector<std::string> args;
    std::string path;
  } cases[] = {
      {{"-o", dir.File("a.xml"), dir.File("missing.txt")}, dir.File("missing.txt")},
      {{"-o", dir.File("a.xml"), dir.File("long.txt")}, dir.File("long.txt")},
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

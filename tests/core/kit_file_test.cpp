#include "cli/kit_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

TEST(KitFile, Lines) {
  const struct {
    const char* what;
    std::string text;
    std::vector<std::pair<int, std::string>> names;  // pads that are not empty
  } cases[] = {
      {"empty file", "", {}},
      {"LF", "Kick\nSnare\n", {{0, "Kick"}, {1, "Snare"}}},
      {"CR LF, no final break", "Kick\r\n\r\nHat", {{0, "Kick"}, {2, "Hat"}}},
      {"blank line is an empty pad", "\n\nTom\n", {{2, "Tom"}}},
      {"spaces and 8-bit bytes kept", "  \xe9\xff\t\n", {{0, "  \xe9\xff\t"}}},
      {"lone CR stays in the name", "a\rb\n", {{0, "a\rb"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(ParseKitText(c.text, names, error)) << error;
    ASSERT_EQ(names.size(), 96u);
    std::vector<std::string> expected(96);
    for (const auto& [pad, name] : c.names) expected[pad] = name;
    EXPECT_EQ(names, expected);
  }
}

TEST(KitFile, NinetySixLinesAreAllowedAndMoreAreNot) {
  std::string text;
  for (int i = 0; i < 96; ++i) text += "pad" + std::to_string(i) + "\n";
  std::vector<std::string> names;
  std::string error;
  ASSERT_TRUE(ParseKitText(text, names, error));
  EXPECT_EQ(names[95], "pad95");
  EXPECT_FALSE(ParseKitText(text + "x", names, error));
  EXPECT_FALSE(ParseKitText(text + "\n", names, error));
  EXPECT_NE(error.find("96"), std::string::npos);
}

TEST(KitFile, LongNameReturnedWhole) {
  std::vector<std::string> names;
  std::string error;
  ASSERT_TRUE(ParseKitText(std::string(1000, 'n') + "\nnext", names, error));
  EXPECT_EQ(names[0].size(), 1000u);
  EXPECT_EQ(names[1], "next");
}

TEST(KitFile, MissingFile) {
  test::TempDir dir;
  std::vector<std::string> names;
  std::string error;
  EXPECT_FALSE(ReadKitFile(dir.File("none.txt").c_str(), names, error));
  EXPECT_FALSE(error.empty());
}

// Reading a folder fails after it was opened (POSIX opens it); that read
// error must come back as a failure, not escape as an exception.
TEST(KitFile, FolderIsRefused) {
  test::TempDir dir;
  std::vector<std::string> names;
  std::string error;
  EXPECT_FALSE(ReadKitFile(dir.path().string().c_str(), names, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace

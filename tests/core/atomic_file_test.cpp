// How every writer fails: the target is never damaged and no temporary file
// is left behind.
#include "writers/write_seams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "export/export_state.h"
#include "every_writer.h"
#include "export_state_setup.h"
#include "file_bytes.h"
#include "temp_dir.h"
#include "writers/binary_drum_map.h"
#include "writers/midnam_document.h"
#include "writers/pitch_list.h"
#include "writers/reaper_note_names.h"
#include "writers/xml_drum_map.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

using test::Writer;

class WriterFailure : public ::testing::TestWithParam<Writer> {
 protected:
  void SetUp() override { test::ResetForExport(Target()); }
  std::string Target() const { return dir_.File("map.drm"); }

  // The size of the whole file, written elsewhere under the same name (the
  // note-name formats' title can be the file's name); the files of the
  // note-name formats are small for the empty kit.
  long long FileSize() {
    const std::string folder = dir_.File("size probe");
    fs::create_directory(folder);
    const std::string probe = (fs::path(folder) / "map.drm").string();
    CopyText(exportState.filePath, probe.c_str());
    EXPECT_TRUE(GetParam().write());
    const long long size = static_cast<long long>(test::ReadBytes(probe).size());
    fs::remove_all(folder);
    CopyText(exportState.filePath, Target().c_str());
    return size;
  }

  test::TempDir dir_;
};

const std::string kOldContent = "the drum map that was here before";

TEST_P(WriterFailure, MissingFolder) {
  test::ResetForExport(dir_.File("no such folder/map.drm"));
  EXPECT_FALSE(GetParam().write());
  EXPECT_TRUE(dir_.List().empty());
}

TEST_P(WriterFailure, ReadOnlyTargetIsLeftUnchanged) {
  test::WriteBytes(Target(), kOldContent);
  fs::permissions(Target(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_FALSE(GetParam().write());
  EXPECT_EQ(test::ReadBytes(Target()), kOldContent);
  EXPECT_EQ(dir_.List(), std::vector<std::string>{"map.drm"});
}

TEST_P(WriterFailure, TargetThatIsAFolder) {
  fs::create_directory(Target());
  EXPECT_FALSE(GetParam().write());
  EXPECT_TRUE(fs::is_directory(Target()));
  EXPECT_EQ(dir_.List(), std::vector<std::string>{"map.drm"});
}

TEST_P(WriterFailure, WriteFailureAfterOpenKeepsTheOldFile) {
  const long long size = FileSize();
  // First byte, a few lines in, and the very last byte.
  std::vector<long long> budgets = {0LL, size - 1};
  if (500 < size - 1) budgets.insert(budgets.begin() + 1, 500LL);
  for (long long budget : budgets) {
    SCOPED_TRACE(budget);
    test::WriteBytes(Target(), kOldContent);
    {
      const ScopedWriteFault fault(budget);
      EXPECT_FALSE(GetParam().write());
    }
    EXPECT_EQ(test::ReadBytes(Target()), kOldContent);
    EXPECT_EQ(dir_.List(), std::vector<std::string>{"map.drm"});
  }
}

TEST_P(WriterFailure, WriteFailureWithoutAnOldFileLeavesNothing) {
  const ScopedWriteFault fault(std::min(100LL, FileSize() - 1));
  EXPECT_FALSE(GetParam().write());
  EXPECT_TRUE(dir_.List().empty());
}

#ifdef _WIN32
TEST_P(WriterFailure, TargetHeldOpenByAnotherProgram) {
  test::WriteBytes(Target(), kOldContent);
  const HANDLE held = CreateFileA(Target().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(GetParam().write());
  CloseHandle(held);
  EXPECT_EQ(test::ReadBytes(Target()), kOldContent);
  EXPECT_EQ(dir_.List(), std::vector<std::string>{"map.drm"});
}
#endif

TEST_P(WriterFailure, SucceedsOnceTheFaultIsGone) {
  test::WriteBytes(Target(), kOldContent);
  EXPECT_TRUE(GetParam().write());
  EXPECT_NE(test::ReadBytes(Target()), kOldContent);
  EXPECT_EQ(dir_.List(), std::vector<std::string>{"map.drm"});
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, WriterFailure, ::testing::ValuesIn(test::EveryWriter()),
                         test::WriterName);

}  // namespace

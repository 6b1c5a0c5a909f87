// The folder browser behind "...": the chosen folder becomes the directory,
// unless it has no file-system path or a path too long to be read back.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "options_dialog_fixture.h"
#include "ui/resource.h"

namespace test {
namespace {

using namespace driver;

constexpr char kInstruction[] = "Please select the dir where the drum maps should be stored";
constexpr char kRefusalTitle[] = "Drum Map Export";

// A folder inside `parent` whose full path has exactly `length` characters.
std::string MakeFolderOfLength(const std::string& parent, std::size_t length) {
  const std::size_t nameLength = length - parent.size() - 1;
  std::string name(nameLength, 'f');
  for (std::size_t i = 0; i < nameLength; i += 10) name[i] = static_cast<char>('0' + i / 10 % 10);
  const std::string path = parent + "\\" + name;
  std::filesystem::create_directory(path);
  EXPECT_TRUE(std::filesystem::is_directory(path)) << path;
  return path;
}

TEST_F(OptionsDialogTest, FolderBrowserSetsTheDirectory) {
  enum class Choice { kCancel, kFolder, kComputer };
  const std::string before = Directory();
  const std::string folder = InFolder("Drum Maps");
  std::filesystem::create_directory(folder);
  const std::string longest = MakeFolderOfLength(Directory(), 254);
  const std::string tooLong = MakeFolderOfLength(Directory(), 255);
  const std::string longestWindows = MakeFolderOfLength(Directory(), MAX_PATH - 1);
  const struct {
    const char* name;
    Choice choice;
    std::string folder;
    std::string expected;
    bool refused;
  } cases[] = {
      {"cancelled", Choice::kCancel, folder, before, false},
      {"folder chosen", Choice::kFolder, folder, folder, false},
      {"path of 254 characters", Choice::kFolder, longest, longest, false},
      {"path of 255 characters", Choice::kFolder, tooLong, before, true},
      {"path of 259 characters", Choice::kFolder, longestWindows, before, true},
      {"no file-system path", Choice::kComputer, "", before, false},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    SetField(exportState.directory, before);
    Show([&](HWND dialog) {
      Click(dialog, IDC_BROWSE);
      HWND browser = WaitForWindow(kBrowserTitle);
      ASSERT_NE(browser, nullptr);
      EXPECT_EQ(BrowserInstruction(browser), kInstruction);
      EXPECT_EQ(GetWindow(browser, GW_OWNER), nullptr);
      EXPECT_TRUE(IsWindowEnabled(dialog)) << "the browser has no owner";

      const std::string folderName = std::filesystem::path(row.folder).filename().string();
      switch (row.choice) {
        case Choice::kCancel:
          ASSERT_TRUE(SelectBrowserFolder(browser, row.folder, folderName)) << BrowserSelection(browser);
          Answer(browser, IDCANCEL);
          break;
        case Choice::kFolder:
          ASSERT_TRUE(SelectBrowserFolder(browser, row.folder, folderName)) << BrowserSelection(browser);
          Answer(browser, IDOK);
          break;
        case Choice::kComputer: {
          PIDLIST_ABSOLUTE computer = nullptr;
          ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
          const bool selected = SelectBrowserItem(browser, computer, "My Computer");
          CoTaskMemFree(computer);
          ASSERT_TRUE(selected) << BrowserSelection(browser);
          // The browser disables its OK button for a folder outside the file
          // system, but its OK command still returns the item.
          Answer(browser, IDOK);
          break;
        }
      }
      ASSERT_TRUE(WaitUntilClosed(browser));
      if (row.refused) {
        HWND refusal = WaitForWindow(kRefusalTitle);
        ASSERT_NE(refusal, nullptr) << "a too long path must be refused with a message";
        EXPECT_NE(MessageText(refusal).find("too long"), std::string::npos) << MessageText(refusal);
        Answer(refusal, IDOK);
        ASSERT_TRUE(WaitUntilClosed(refusal));
      }
      ASSERT_TRUE(Flush(dialog));
      EXPECT_EQ(OpenWindowTitles(), std::vector<std::string>{kOptionsTitle});
      EXPECT_EQ(ItemText(dialog, IDC_DIRECTORY), row.expected);
      EXPECT_EQ(std::string(exportState.directory), row.expected);
      Click(dialog, IDC_CLOSE);
      EXPECT_TRUE(WaitUntilClosed(dialog));
    });
    EXPECT_EQ(std::string(exportState.directory), row.expected);
  }
}

}  // namespace
}  // namespace test

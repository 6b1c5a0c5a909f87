#include "window_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <thread>

#include "ui/resource.h"
#include "writers/drum_map_format.h"

namespace test {

using namespace driver;

void RunDriven(const std::function<void()>& modal, const std::function<void()>& script) {
  const DWORD modalThread = GetCurrentThreadId();
  std::thread scriptThread([&] {
    script();
    // Whatever the script left open fails the test and is closed, innermost
    // (enabled) window first, so that the modal call can return.
    std::set<HWND> told;
    const bool closed = WaitUntil([&] {
      bool open = false;
      for (HWND window : VisibleWindows()) {
        if (GetWindowThreadProcessId(window, nullptr) != modalThread) continue;
        open = true;
        if (!IsWindowEnabled(window) || !told.insert(window).second) continue;
        const std::string title = WindowText(window);
        ADD_FAILURE() << "window left open by the test: \"" << title << "\"";
        PostMessageA(window, WM_COMMAND, title == kOptionsTitle ? IDC_CLOSE : IDCANCEL, 0);
      }
      return !open;
    });
    if (!closed) ADD_FAILURE() << "could not close the windows left open";
  });
  modal();
  scriptThread.join();
}

void Type(HWND dialog, int id, const std::string& text) {
  EXPECT_TRUE(TypeText(dialog, id, text)) << "typing into control " << id;
}

void SelectComboItem(HWND dialog, int id, int index) {
  EXPECT_TRUE(ChooseComboItem(dialog, id, index)) << "choosing entry " << index << " of control " << id;
}

void FocusControl(HWND dialog, int id) {
  EXPECT_TRUE(MoveFocus(dialog, id)) << "moving the focus to control " << id;
}

HWND WaitForSaveDialog(HWND optionsDialog) {
  const DrumMapFormatInfo* format = FindDrumMapFormat(ComboSelection(optionsDialog, IDC_FORMAT));
  // Without a selection the save dialog offers the first format.
  return WaitForWindow((format != nullptr ? *format : kDrumMapFormats[0]).saveTitle);
}

void ChooseDirectory(HWND dialog, const std::string& folder) {
  Click(dialog, IDC_BROWSE);
  HWND browser = WaitForWindow(kBrowserTitle);
  ASSERT_NE(browser, nullptr) << "the folder browser did not appear";
  ASSERT_TRUE(SelectBrowserFolder(browser, folder, std::filesystem::path(folder).filename().string()))
      << BrowserSelection(browser);
  Answer(browser, IDOK);
  ASSERT_TRUE(WaitUntilClosed(browser));
  ASSERT_TRUE(Flush(dialog));
  ASSERT_EQ(ItemText(dialog, IDC_DIRECTORY), folder);
}

}  // namespace test

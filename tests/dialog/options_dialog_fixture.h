// Shows the real options dialog from the program's own resources, with an
// export state that points into a fresh folder, and drives it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "export/export_state.h"
#include "export_state_setup.h"
#include "temp_dir.h"
#include "ui/options_dialog.h"
#include "window_driver.h"

namespace test {

class OptionsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The host's thread has COM initialised when it starts the wizard.
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ResetForExport("");
    for (int pad = 0; pad < kPadCount; pad += 3) NamePad(pad, "Pad " + std::to_string(pad));
    SetField(exportState.directory, Directory());
  }
  void TearDown() override { CoUninitialize(); }

  // Shows the dialog as the run does, with `script` driving it from a second
  // thread; returns the dialog's result.
  INT_PTR Show(const std::function<void(HWND dialog)>& script) {
    INT_PTR result = -2;
    RunDriven(
        [&] {
          result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kOptionsDialogId), nullptr,
                                   OptionsDialogProc, 0);
          if (result == -1) ADD_FAILURE() << "DialogBoxParamA failed, error " << GetLastError();
        },
        [&] {
          HWND dialog = driver::WaitForWindow(driver::kOptionsTitle);
          ASSERT_NE(dialog, nullptr) << "the options dialog did not appear";
          script(dialog);
        });
    return result;
  }

  std::string Directory() const { return folder_.path().string(); }
  std::string InFolder(const std::string& name) const { return folder_.File(name); }
  std::vector<std::string> List() const { return folder_.List(); }

 private:
  TempDir folder_;
};

}  // namespace test

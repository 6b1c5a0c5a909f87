// Shows the options dialog with a typical export state, for the screenshot
// script: prints the dialog's place on the screen as "x y width height" once
// it is drawn, then waits until the file named by the first argument exists
// (the picture is taken) or a minute has passed, and closes the dialog.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "export/export_state.h"
#include "ui/options_dialog.h"
#include "ui/resource.h"
#include "window_driver.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: options_dialog_preview DONE-FILE\n");
    return 2;
  }
  const char* doneFile = argv[1];
  ResetExportState();
  CopyText(exportState.directory, "C:\\Users\\Public\\Documents\\Drum Maps");

  int status = 1;
  test::RunDriven(
      [] {
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kOptionsDialogId), nullptr,
                        OptionsDialogProc, 0);
      },
      [&] {
        HWND dialog = driver::WaitForWindow(driver::kOptionsTitle);
        if (dialog == nullptr) return;
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        driver::Flush(dialog);
        RECT place;
        GetWindowRect(dialog, &place);
        std::printf("%ld %ld %ld %ld\n", place.left, place.top, place.right - place.left,
                    place.bottom - place.top);
        std::fflush(stdout);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (GetFileAttributesA(doneFile) == INVALID_FILE_ATTRIBUTES &&
               std::chrono::steady_clock::now() < deadline)
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
        driver::Click(dialog, IDC_CLOSE);
        if (driver::WaitUntilClosed(dialog)) status = 0;
      });
  return status;
}

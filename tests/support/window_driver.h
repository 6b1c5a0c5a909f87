// The window driver's steps for tests (host/window_driver.h has the driver
// itself): each fails the current test when it does not work out.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "host/window_driver.h"

namespace test {

// Calls `modal` on this thread (it shows a modal window and returns when that
// ends) while `script` drives it from a second thread. Windows of this thread
// that are still open when the script returns fail the test and are closed:
// nested dialogs are cancelled, then the options dialog gets "CLOSE".
void RunDriven(const std::function<void()>& modal, const std::function<void()>& script);

// TypeText, ChooseComboItem and MoveFocus, failing the test when the input
// did not arrive.
void Type(HWND dialog, int id, const std::string& text);
void SelectComboItem(HWND dialog, int id, int index);
void FocusControl(HWND dialog, int id);

// The save dialog that "SAVE AS..." opens, titled after the format selected
// in the options dialog; null when it does not appear.
HWND WaitForSaveDialog(HWND optionsDialog);

// Chooses `folder` in the folder browser behind the options dialog's "..."
// button, as a user would, and checks that the directory field then shows it.
void ChooseDirectory(HWND dialog, const std::string& folder);

}  // namespace test

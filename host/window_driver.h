// Drives windows as a person at the keyboard would: waits for windows by
// title, types, clicks, presses keys and answers the platform's dialogs.
// Clicks and keys are posted, so that a click that opens a nested modal loop
// never blocks the driver. Used by the tests (from a second thread of the
// wizard's own process) and by the demo driver (from another process).
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace driver {

constexpr DWORD kWindowTimeoutMs = 10000;

// Titles of the windows that the wizard and the platform show.
constexpr char kOptionsTitle[] = "Korvat(tm) Drum Map Export Options";
constexpr char kSaveTitle[] = "Save a Korvat drum map file...";
constexpr char kAboutTitle[] = "About Drum Map Export";
constexpr char kErrorTitle[] = "Error";
constexpr char kBrowserTitle[] = "Browse for Folder";

// Wine's save dialog: the file name field (a ComboBoxEx holding an edit
// control) and the file type list.
constexpr int kSaveFileNameId = 0x47C;
constexpr int kSaveFilterId = 0x470;
// Wine's and Windows' message boxes keep their text in this static control.
constexpr int kMessageTextId = 0xFFFF;

// Whose windows a search looks at.
enum class Scope { kThisProcess, kAnyProcess };

// Polls `condition` until it holds (true) or the timeout passes (false).
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = kWindowTimeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// The visible top-level windows in `scope`.
std::vector<HWND> VisibleWindows(Scope scope = Scope::kThisProcess);
// A visible top-level window with exactly this title, other than `other`;
// null when none appears within the timeout.
HWND WaitForWindow(const std::string& title, HWND other = nullptr, DWORD timeoutMs = kWindowTimeoutMs,
                   Scope scope = Scope::kThisProcess);
// True once `window` is destroyed or hidden (an ended dialog is hidden first).
bool WaitUntilClosed(HWND window, DWORD timeoutMs = kWindowTimeoutMs);
// Returns once the window's thread (in this process) has taken every message
// posted to the window so far; false on timeout.
bool Flush(HWND window, DWORD timeoutMs = kWindowTimeoutMs);
// True once the window's thread, in any process, has handled every message
// sent before: the window is set up and waiting in its message loop.
bool WaitIdle(HWND window, DWORD timeoutMs = kWindowTimeoutMs);
// Titles of the visible top-level windows of this process.
std::vector<std::string> OpenWindowTitles();

std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
int ComboSelection(HWND dialog, int id);
std::vector<std::string> ComboItems(HWND dialog, int id);
// The control that has the keyboard focus in the window's thread.
HWND FocusedControl(HWND window);

// Replaces the text of an edit control by typing `text` one character at a
// time, as the keyboard would; true once it has arrived.
bool TypeText(HWND dialog, int id, const std::string& text);
// Clicks a button (posted).
void Click(HWND dialog, int id);
// Presses and releases a key in the control that has the focus (posted).
void PressKey(HWND window, UINT virtualKey);
// Picks an entry of a drop-down list with the arrow keys; true once done.
bool ChooseComboItem(HWND dialog, int id, int index);
// Moves the keyboard focus to a control, as the Tab key would; true once done.
bool MoveFocus(HWND dialog, int id);
// Sends a command to a dialog or a message box as its button would (posted).
void Answer(HWND dialog, int commandId);

// The text of a message box.
std::string MessageText(HWND box);

// The save dialog: its current folder, the file name it proposes and the
// entries of its filter list.
std::string SaveDialogFolder(HWND saveDialog);
std::string SaveDialogFileName(HWND saveDialog);
std::vector<std::string> SaveDialogFilters(HWND saveDialog);
// Confirms the save dialog; a non-empty `fileName` is put into its file name
// field first, otherwise the proposed name is accepted.
void ConfirmSave(HWND saveDialog, const std::string& fileName = "");

// The folder browser: its instruction text, the text of the folder selected
// in its tree, and the selection of a folder by path or by item list, as the
// browser's callback would select it with BFFM_SETSELECTION (then
// Answer(browser, IDOK) chooses it). The selection functions wait until the
// tree shows `expected` selected and tell whether it did.
std::string BrowserInstruction(HWND browser);
std::string BrowserSelection(HWND browser);
bool SelectBrowserFolder(HWND browser, const std::string& path, const std::string& expected);
bool SelectBrowserItem(HWND browser, PCIDLIST_ABSOLUTE item, const std::string& expected);

}  // namespace driver

#include "ui/options_dialog.h"

#include <cderr.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstring>
#include <memory>
#include <string>

#include "drummap_version.h"
#include "export/export_state.h"
#include "ui/resource.h"
#include "writers/drum_map_format.h"

namespace {

// The name field takes 55 typed characters, and all of them are read back.
constexpr int kMapNameMaxLength = kMapNameSize - 1;
// The directory field is read back with room for 254 characters, so a folder
// with a longer path cannot be used as the directory.
constexpr int kDirectoryReadSize = kDirectorySize - 1;
constexpr int kDirectoryMaxLength = kDirectoryReadSize - 1;

constexpr char kBrowseInstruction[] = "Please select the dir where the drum maps should be stored";

constexpr char kAboutCaption[] = "About Drum Map Export";
constexpr char kAboutText[] = "Korvat(tm) Drum Map Export Wizard v" DRUMMAP_VERSION_SHORT
                              " (beta)\n\n\n"
                              "Written by the author of Korvat DrumMap Export for all Vemba users\n\n\n"
                              "Thanks to everyone who tried the beta versions with their own kits\n\n\n"
                              "(all trademarks mentioned belong to their respective owners)";

constexpr char kWriteFailedCaption[] = "Error";
constexpr char kWriteFailedText[] = "Could not write to the file\nIt may be in use by another application";

constexpr char kPathTooLongCaption[] = "Drum Map Export";
constexpr char kPathTooLongText[] =
    "The path of this folder is too long for a drum map directory (at most 254 characters).\n"
    "Please choose a folder with a shorter path.";
constexpr char kFilePathTooLongText[] =
    "The full path of this file is too long for a drum map (at most 199 characters).\n"
    "Please choose a shorter folder or file name.";

// The save dialog gets the structure without the three members that Windows
// 2000 appended, as the platforms before it expect (76 bytes on 32-bit Windows).
constexpr DWORD kOpenFileNameSize = sizeof(OPENFILENAME_NT4A);
#if defined(__i386__) || defined(_M_IX86)
static_assert(kOpenFileNameSize == 76, "the pre-Windows 2000 layout is 76 bytes");
#endif

LRESULT SendItem(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}

void SetItemText(HWND dialog, int id, const char* text) {
  SendItem(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// Reads a control's text into `buffer`, at most size - 1 characters.
void GetItemText(HWND dialog, int id, char* buffer, int size) {
  SendItem(dialog, id, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer));
}

std::int32_t IsChecked(HWND dialog, int id) {
  return SendItem(dialog, id, BM_GETCHECK) == BST_CHECKED ? 1 : 0;
}

// An item list from the folder browser, freed with the shell's allocator.
struct ShellItemFree {
  void operator()(ITEMIDLIST* item) const {
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator))) {
      allocator->Free(item);
      allocator->Release();
    }
  }
};
using ShellItem = std::unique_ptr<ITEMIDLIST, ShellItemFree>;

void InitDialog(HWND dialog) {
  SendItem(dialog, IDC_MAP_NAME, EM_LIMITTEXT, kMapNameMaxLength);
  SetItemText(dialog, IDC_DIRECTORY, exportState.directory);
  SetItemText(dialog, IDC_MAP_NAME, exportState.mapName);
  // Both options start switched on, whatever the export state holds.
  SendItem(dialog, IDC_ADD_NOTE_NAMES, BM_SETCHECK, BST_CHECKED);
  SendItem(dialog, IDC_MOVE_EMPTY_PADS, BM_SETCHECK, BST_CHECKED);
  for (const DrumMapFormatInfo& format : kDrumMapFormats)
    SendItem(dialog, IDC_FORMAT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(format.listText));
  SendItem(dialog, IDC_FORMAT, CB_SETCURSEL, static_cast<WPARAM>(exportState.formatIndex));
}

void SaveAs(HWND dialog) {
  // Take the user's choices first: they stay in the export state even when
  // the save dialog is cancelled.
  GetItemText(dialog, IDC_DIRECTORY, exportState.directory, kDirectoryReadSize);
  // The map name is also the file name that the save dialog proposes.
  GetItemText(dialog, IDC_MAP_NAME, exportState.filePath, kMapNameSize);
  GetItemText(dialog, IDC_MAP_NAME, exportState.mapName, kMapNameSize);
  exportState.moveEmptyPadsToEnd = IsChecked(dialog, IDC_MOVE_EMPTY_PADS);
  exportState.addNoteNames = IsChecked(dialog, IDC_ADD_NOTE_NAMES);
  exportState.formatIndex = static_cast<std::int32_t>(SendItem(dialog, IDC_FORMAT, CB_GETCURSEL));

  // The selected format's filter, one description and pattern ended by an
  // empty pair (the string's own terminator adds the second NUL). Without a
  // selection the first format's serves; the write then fails below.
  const DrumMapFormatInfo* selected = FindDrumMapFormat(exportState.formatIndex);
  const DrumMapFormatInfo& offered = selected != nullptr ? *selected : kDrumMapFormats[0];
  std::string filter = offered.filterText;
  filter += '\0';
  filter += offered.filterPattern;
  filter += '\0';

  OPENFILENAMEA save = {};
  save.lStructSize = kOpenFileNameSize;
  // The save dialog, the about box and the writers' message are owned by the
  // window in the foreground, as the host expects of its wizards; that is the
  // options dialog while the user works in it.
  save.hwndOwner = GetForegroundWindow();
  save.lpstrFilter = filter.c_str();
  save.nFilterIndex = 1;
  save.lpstrFile = exportState.filePath;
  save.nMaxFile = kFilePathSize;
  save.lpstrInitialDir = exportState.directory;
  save.lpstrTitle = offered.saveTitle;
  save.Flags = OFN_OVERWRITEPROMPT | OFN_LONGNAMES;
  save.lpstrDefExt = offered.defaultExtension;
  if (!GetSaveFileNameA(&save)) {
    // Cancelled: the dialog stays open. A chosen path that does not fit
    // `filePath` fails the save dialog too: say so, rather than behaving as
    // if the user had cancelled. The wizard's own messages are owned by the
    // options dialog itself.
    if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
      MessageBoxA(dialog, kFilePathTooLongText, kPathTooLongCaption, MB_OK | MB_ICONEXCLAMATION);
    return;
  }

  // A confirmed file name is what makes the run store the settings, whether
  // or not the file can then be written.
  exportState.fileSaved = 1;
  if (!WriteDrumMap()) MessageBoxA(GetForegroundWindow(), kWriteFailedText, kWriteFailedCaption, MB_OK);
  EndDialog(dialog, 0);
}

void BrowseForDirectory(HWND dialog) {
  char displayName[MAX_PATH];  // required by the browser, not used
  // No owner: the options dialog stays enabled while the browser is open, as
  // the wizard has always behaved.
  BROWSEINFOA browse = {};
  browse.pszDisplayName = displayName;
  browse.lpszTitle = kBrowseInstruction;
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
  const ShellItem item(SHBrowseForFolderA(&browse));
  if (!item) return;  // cancelled

  // The shell writes up to MAX_PATH bytes, more than `directory` may take.
  char path[MAX_PATH];
  if (!SHGetPathFromIDListA(item.get(), path)) return;  // no file-system folder: keep the directory
  if (std::strlen(path) > kDirectoryMaxLength) {
    MessageBoxA(dialog, kPathTooLongText, kPathTooLongCaption, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  CopyText(exportState.directory, path);
  SetItemText(dialog, IDC_DIRECTORY, exportState.directory);
}

}  // namespace

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      InitDialog(dialog);
      return TRUE;  // the focus goes to the first tab stop, "SAVE AS..."
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          SaveAs(dialog);
          break;
        case IDC_CLOSE:
          EndDialog(dialog, 0);
          break;
        case IDC_BROWSE:
          BrowseForDirectory(dialog);
          break;
        case IDC_ABOUT:
          MessageBoxA(GetForegroundWindow(), kAboutText, kAboutCaption, MB_OK);
          break;
        default:  // Escape (IDCANCEL) and the notifications of the other controls
          break;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

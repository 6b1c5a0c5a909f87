#include "host/window_driver.h"

#include <commctrl.h>
#include <commdlg.h>

namespace driver {

namespace {

struct WindowSearch {
  const std::string* title;  // null: every visible window
  HWND other;
  Scope scope;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (search->scope == Scope::kThisProcess && process != GetCurrentProcessId()) return TRUE;
  if (!IsWindowVisible(window) || window == search->other) return TRUE;
  if (search->title == nullptr || WindowText(window) == *search->title) search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> FindWindows(const std::string* title, HWND other, Scope scope) {
  WindowSearch search{title, other, scope, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Flush: the hook sees the marker when the window's thread takes it from its
// queue, after every message posted before it.
constexpr WPARAM kFlushMarker = 0x46FD5E11;
HANDLE flushDone = nullptr;

LRESULT CALLBACK FlushHook(int code, WPARAM wParam, LPARAM lParam) {
  const MSG* msg = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && msg->message == WM_NULL && msg->wParam == kFlushMarker) SetEvent(flushDone);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string ShortText(HWND window) {
  char text[512] = "";
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

}  // namespace

std::vector<HWND> VisibleWindows(Scope scope) { return FindWindows(nullptr, nullptr, scope); }

HWND WaitForWindow(const std::string& title, HWND other, DWORD timeoutMs, Scope scope) {
  HWND window = nullptr;
  WaitUntil(
      [&] {
        const std::vector<HWND> found = FindWindows(&title, other, scope);
        window = found.empty() ? nullptr : found.front();
        return window != nullptr;
      },
      timeoutMs);
  return window;
}

bool WaitUntilClosed(HWND window, DWORD timeoutMs) {
  return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

bool Flush(HWND window, DWORD timeoutMs) {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (thread == 0) return true;  // gone: nothing left to take
  flushDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, FlushHook, nullptr, thread);
  bool flushed = false;
  if (hook != nullptr && PostMessageA(window, WM_NULL, kFlushMarker, 0))
    flushed = WaitForSingleObject(flushDone, timeoutMs) == WAIT_OBJECT_0;
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  CloseHandle(flushDone);
  flushDone = nullptr;
  return flushed;
}

bool WaitIdle(HWND window, DWORD timeoutMs) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &ignored) != 0;
}

std::vector<std::string> OpenWindowTitles() {
  std::vector<std::string> titles;
  for (HWND window : VisibleWindows()) titles.push_back(WindowText(window));
  return titles;
}

std::string WindowText(HWND window) { return ShortText(window); }

std::string ItemText(HWND dialog, int id) { return ShortText(GetDlgItem(dialog, id)); }

bool IsChecked(HWND dialog, int id) {
  return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int ComboSelection(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

std::vector<std::string> ComboItems(HWND dialog, int id) {
  std::vector<std::string> items;
  const int count = static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[512] = "";
    const LRESULT length = SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, i, 0);
    if (length >= 0 && length < static_cast<LRESULT>(sizeof text))
      SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

HWND FocusedControl(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

bool TypeText(HWND dialog, int id, const std::string& text) {
  HWND edit = GetDlgItem(dialog, id);
  PostMessageA(edit, EM_SETSEL, 0, -1);
  for (char c : text) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
  return Flush(edit);
}

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void PressKey(HWND window, UINT virtualKey) {
  HWND target = FocusedControl(window);
  if (target == nullptr) target = window;
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  PostMessageA(target, WM_KEYDOWN, virtualKey, scan | 1);
  PostMessageA(target, WM_KEYUP, virtualKey, scan | 1 | (LPARAM{3} << 30));
}

bool ChooseComboItem(HWND dialog, int id, int index) {
  HWND list = GetDlgItem(dialog, id);
  PostMessageA(list, WM_KEYDOWN, VK_HOME, 1);
  for (int i = 0; i < index; ++i) PostMessageA(list, WM_KEYDOWN, VK_DOWN, 1);
  return Flush(list);
}

bool MoveFocus(HWND dialog, int id) {
  PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
  return Flush(dialog);
}

void Answer(HWND dialog, int commandId) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(commandId, BN_CLICKED), 0);
}

std::string MessageText(HWND box) { return ItemText(box, kMessageTextId); }

std::string SaveDialogFolder(HWND saveDialog) {
  char path[MAX_PATH] = "";
  SendMessageA(saveDialog, CDM_GETFOLDERPATH, sizeof path, reinterpret_cast<LPARAM>(path));
  return path;
}

std::string SaveDialogFileName(HWND saveDialog) {
  char name[MAX_PATH] = "";
  SendMessageA(saveDialog, CDM_GETSPEC, sizeof name, reinterpret_cast<LPARAM>(name));
  return name;
}

std::vector<std::string> SaveDialogFilters(HWND saveDialog) { return ComboItems(saveDialog, kSaveFilterId); }

void ConfirmSave(HWND saveDialog, const std::string& fileName) {
  if (!fileName.empty())
    SendDlgItemMessageA(saveDialog, kSaveFileNameId, WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(fileName.c_str()));
  Answer(saveDialog, IDOK);
}

std::string BrowserInstruction(HWND browser) {
  // The instruction is the browser's only static text that is not empty.
  std::string instruction;
  for (HWND child = GetWindow(browser, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[32] = "";
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0 && !WindowText(child).empty()) instruction = WindowText(child);
  }
  return instruction;
}

std::string BrowserSelection(HWND browser) {
  HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
  const auto selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (tree == nullptr || selected == nullptr) return "";
  char text[MAX_PATH] = "";
  TVITEMA item = {};
  item.mask = TVIF_TEXT;
  item.hItem = selected;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return text;
}

// The browser's answer to the request does not reach SendMessage (a dialog
// returns DWLP_MSGRESULT), so the tree is read instead. Wine's browser misses
// the first request in a process (the tree is not yet expanded far enough),
// so the request is repeated until the tree shows the folder.
bool SelectBrowserFolder(HWND browser, const std::string& path, const std::string& expected) {
  return WaitUntil(
      [&] {
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
        return BrowserSelection(browser) == expected;
      },
      kWindowTimeoutMs);
}

bool SelectBrowserItem(HWND browser, PCIDLIST_ABSOLUTE item, const std::string& expected) {
  return WaitUntil(
      [&] {
        SendMessageA(browser, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(item));
        return BrowserSelection(browser) == expected;
      },
      kWindowTimeoutMs);
}

}  // namespace driver

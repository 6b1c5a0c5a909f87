// Drives the windows of another program from the command line, one step a
// call, for the installer tests and the screenshots: Setup's pages and
// message boxes, the wizard's dialogs. Clicks are posted, so that the tool
// never waits inside a modal loop of the other program.
//
// usage: window-tool [--timeout SECONDS] COMMAND ARGS...
//   wait TITLE              waits for the window; prints "x y width height"
//   press TITLE ID          waits until its control ID is enabled and clicks it
//   wait-text TITLE ID TEXT waits until its control ID reads TEXT
//   set-text TITLE ID TEXT  puts TEXT into its control ID, as if typed
//   message TITLE           waits for a message box so titled; prints its text
//   answer TITLE ID         waits for that message box and clicks its button ID
//   gone TITLE              waits until no window is so titled
//   run COMMAND-LINE        runs a program with exactly this command line and
//                           waits for it: Setup's /D= must be last and
//                           unquoted, even with spaces; exits with its status
//                           (126 when it cannot be started). The line is
//                           taken as wide text: any folder name reaches Setup.
//   hold PATH               opens the file without sharing it, as a program
//                           that keeps it open does; prints "held" and holds
//                           it until ended (1 when it cannot be opened)
// A window is a visible top-level window whose title begins with TITLE (Setup
// adds the page's name), other than a message box owned by another such
// window (Setup's message boxes carry Setup's title); a message box is one so
// titled, owned or not.
// Exit status: 0 done, 1 timed out (one line on standard error), 2 usage.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/window_driver.h"

namespace {

using driver::kMessageTextId;
using driver::WindowText;

DWORD timeoutMs = 30000;

template <typename Condition>
bool WaitUntil(Condition condition) {
  return driver::WaitUntil(condition, timeoutMs);
}

bool IsMessageBox(HWND window) { return GetDlgItem(window, kMessageTextId) != nullptr; }

bool Titled(HWND window, const char* title) { return WindowText(window).rfind(title, 0) == 0; }

enum class Kind { kWindow, kMessageBox };

struct Search {
  const char* title;
  Kind kind;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* search = static_cast<Search*>(reinterpret_cast<void*>(param));
  if (!IsWindowVisible(window) || !Titled(window, search->title)) return TRUE;
  HWND owner = GetWindow(window, GW_OWNER);
  const bool messageBox = IsMessageBox(window);
  // A message box without an owner is one that Setup shows before its
  // window opens.
  if (search->kind == Kind::kMessageBox ? !messageBox
                                        : messageBox && owner != nullptr && Titled(owner, search->title))
    return TRUE;
  search->found = window;
  return FALSE;
}

HWND Find(const char* title, Kind kind) {
  Search search{title, kind, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The window, once its thread has handled every message sent before.
HWND WaitFor(const char* title, Kind kind) {
  HWND window = nullptr;
  if (!WaitUntil([&] { return (window = Find(title, kind)) != nullptr; })) return nullptr;
  driver::WaitIdle(window);
  return window;
}

void Click(HWND window, int id) {
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

int Fail(const std::string& what) {
  std::fprintf(stderr, "window-tool: %s\n", what.c_str());
  return 1;
}

int Usage() {
  std::fprintf(
      stderr,
      "usage: window-tool [--timeout SECONDS] wait|press|wait-text|set-text|message|answer|gone TITLE "
      "[ID [TEXT]]\n       window-tool run COMMAND-LINE\n       window-tool hold PATH\n");
  return 2;
}

}  // namespace

// The argument `index` of this program's command line, as wide text (argv
// holds it in the ANSI code page, which loses names outside it).
std::wstring WideArgument(int index) {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::wstring argument = arguments != nullptr && index < count ? arguments[index] : L"";
  LocalFree(arguments);
  return argument;
}

int Run(std::wstring commandLine) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::fprintf(stderr, "window-tool: cannot run %ls (error %lu)\n", commandLine.c_str(), GetLastError());
    return 126;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 126;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}

int Hold(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return Fail("cannot open the file (error " + std::to_string(GetLastError()) + ")");
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(INFINITE);
  CloseHandle(file);
  return 0;
}

int main(int argc, char** argv) {
  int arg = 1;
  if (arg + 1 < argc && std::strcmp(argv[arg], "--timeout") == 0) {
    const int seconds = std::atoi(argv[arg + 1]);
    if (seconds <= 0) return Usage();
    timeoutMs = static_cast<DWORD>(seconds) * 1000;
    arg += 2;
  }
  if (argc - arg < 2) return Usage();
  const std::string command = argv[arg];
  if (command == "run" && argc - arg == 2) return Run(WideArgument(arg + 1));
  if (command == "hold" && argc - arg == 2) return Hold(WideArgument(arg + 1));
  const char* title = argv[arg + 1];
  const int extra = argc - arg - 2;
  const int id = extra >= 1 ? std::atoi(argv[arg + 2]) : 0;
  const std::string quoted = std::string("\"") + title + "\"";

  if (command == "wait" && extra == 0) {
    HWND window = WaitFor(title, Kind::kWindow);
    RECT rect;
    if (window == nullptr || !GetWindowRect(window, &rect)) return Fail("no window " + quoted);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return 0;
  }
  if (command == "press" && extra == 1) {
    HWND window = WaitFor(title, Kind::kWindow);
    if (window == nullptr) return Fail("no window " + quoted);
    if (!WaitUntil([&] {
          HWND control = GetDlgItem(window, id);
          return control != nullptr && IsWindowEnabled(control) && IsWindowVisible(control);
        }))
      return Fail(quoted + " has no enabled control " + std::to_string(id));
    Click(window, id);
    return 0;
  }
  if (command == "wait-text" && extra == 2) {
    const std::string text = argv[arg + 3];
    HWND window = WaitFor(title, Kind::kWindow);
    if (window == nullptr) return Fail("no window " + quoted);
    std::string last;
    if (!WaitUntil([&] {
          HWND control = GetDlgItem(window, id);
          last = control != nullptr ? WindowText(control) : "(no control)";
          return last == text;
        }))
      return Fail(quoted + ": control " + std::to_string(id) + " reads \"" + last + "\", not \"" + text +
                  "\"");
    return 0;
  }
  if (command == "set-text" && extra == 2) {
    HWND window = WaitFor(title, Kind::kWindow);
    if (window == nullptr) return Fail("no window " + quoted);
    if (SendDlgItemMessageA(window, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[arg + 3])) != TRUE)
      return Fail(quoted + " has no control " + std::to_string(id) + " to type into");
    return 0;
  }
  if (command == "message" && extra == 0) {
    HWND box = WaitFor(title, Kind::kMessageBox);
    if (box == nullptr) return Fail("no message box " + quoted);
    std::printf("%s\n", WindowText(GetDlgItem(box, kMessageTextId)).c_str());
    return 0;
  }
  if (command == "answer" && extra == 1) {
    HWND box = WaitFor(title, Kind::kMessageBox);
    if (box == nullptr) return Fail("no message box " + quoted);
    Click(box, id);
    return 0;
  }
  if (command == "gone" && extra == 0) {
    if (!WaitUntil([&] {
          return Find(title, Kind::kWindow) == nullptr && Find(title, Kind::kMessageBox) == nullptr;
        }))
      return Fail(quoted + " is still open");
    return 0;
  }
  return Usage();
}

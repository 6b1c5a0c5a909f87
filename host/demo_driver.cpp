// Drives the wizard's options dialog in another process, for the example run
// on a machine without a display: waits for the dialog, takes a screenshot of
// it, presses "SAVE AS...", answers the save dialog with a path and waits
// until the dialog has closed. Clicks are posted, so that the driver never
// waits inside a modal loop of the other process.
//
// usage: demo-driver [--timeout SECONDS] SCREENSHOT.bmp DRUM-MAP-PATH
// Exit status: 0 saved, 1 a step failed (one line on standard error), 2 usage.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr char kOptionsTitle[] = "Korvat(tm) Drum Map Export Options";
constexpr char kSaveTitle[] = "Save a Korvat drum map file...";
constexpr char kErrorTitle[] = "Error";
// The save dialog's file name field (a combo box holding an edit control).
constexpr int kSaveFileNameId = 0x47C;
// Message boxes keep their text in this static control.
constexpr int kMessageTextId = 0xFFFF;

std::chrono::milliseconds timeout{60000};

struct Search {
  const char* title;
  HWND other;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  if (window == search->other || !IsWindowVisible(window) || std::strcmp(text, search->title) != 0)
    return TRUE;
  search->found = window;
  return FALSE;
}

// A visible top-level window with exactly this title, other than `other`.
HWND FindTopLevel(const char* title, HWND other = nullptr) {
  Search search{title, other, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

template <typename Condition>
bool WaitUntil(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

HWND WaitForWindow(const char* title, HWND other = nullptr) {
  HWND window = nullptr;
  WaitUntil([&] { return (window = FindTopLevel(title, other)) != nullptr; });
  return window;
}

// True once the window's thread has handled every message sent before, so
// that the dialog is set up and waiting in its modal loop.
bool WaitIdle(HWND window) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored) != 0;
}

void PostCommand(HWND window, int id) {
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

// Copies the window's area of the screen into a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::string& path) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
  SelectObject(memory, previous);

  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up, as BMP files store it
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<char> pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
  const bool read = copied && GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                                        reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!read) return false;

  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  out.close();
  return static_cast<bool>(out);
}

int Fail(const std::string& what) {
  std::fprintf(stderr, "demo-driver: %s\n", what.c_str());
  return 1;
}

int Usage() {
  std::fprintf(stderr, "usage: demo-driver [--timeout SECONDS] SCREENSHOT.bmp DRUM-MAP-PATH\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> paths;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
      const int seconds = std::atoi(argv[++i]);
      if (seconds <= 0) return Usage();
      timeout = std::chrono::seconds(seconds);
    } else if (argv[i][0] == '-') {
      return Usage();
    } else {
      paths.push_back(argv[i]);
    }
  }
  if (paths.size() != 2) return Usage();
  const std::string& screenshot = paths[0];
  const std::string& drumMap = paths[1];

  HWND dialog = WaitForWindow(kOptionsTitle);
  if (dialog == nullptr) return Fail("the options dialog did not appear");
  // Let the dialog paint itself before the picture is taken.
  if (!WaitIdle(dialog)) return Fail("the options dialog does not respond");
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  if (!SaveScreenshot(dialog, screenshot)) return Fail("cannot take the screenshot " + screenshot);

  PostCommand(dialog, IDOK);  // "SAVE AS..."
  HWND save = WaitForWindow(kSaveTitle);
  if (save == nullptr) return Fail("the save dialog did not appear");
  if (!WaitIdle(save)) return Fail("the save dialog does not respond");
  SendDlgItemMessageA(save, kSaveFileNameId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(drumMap.c_str()));
  PostCommand(save, IDOK);

  // The path was chosen on purpose: an existing file is replaced. A failed
  // write shows the writer's message, which is passed on.
  std::string problem;
  const bool closed = WaitUntil([&] {
    // The overwrite question is a message box titled like the save dialog.
    if (HWND question = FindTopLevel(kSaveTitle, save); question != nullptr) PostCommand(question, IDYES);
    if (HWND error = FindTopLevel(kErrorTitle); error != nullptr) {
      char text[512] = "";
      GetDlgItemTextA(error, kMessageTextId, text, sizeof text);
      problem = text;
      PostCommand(error, IDOK);
    }
    return !IsWindow(dialog) || !IsWindowVisible(dialog);
  });
  if (!problem.empty()) return Fail("the wizard could not write " + drumMap + ": " + problem);
  if (!closed) return Fail("the options dialog did not close");
  return 0;
}

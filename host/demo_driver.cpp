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

#include "host/window_driver.h"

namespace {

using driver::Scope;

DWORD timeoutMs = 60000;

// A visible window of any process with this title, other than `other`; the
// timeout 0 only looks once.
HWND WaitForWindow(const char* title, HWND other = nullptr, DWORD wait = timeoutMs) {
  return driver::WaitForWindow(title, other, wait, Scope::kAnyProcess);
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
      timeoutMs = static_cast<DWORD>(seconds) * 1000;
    } else if (argv[i][0] == '-') {
      return Usage();
    } else {
      paths.push_back(argv[i]);
    }
  }
  if (paths.size() != 2) return Usage();
  const std::string& screenshot = paths[0];
  const std::string& drumMap = paths[1];

  HWND dialog = WaitForWindow(driver::kOptionsTitle);
  if (dialog == nullptr) return Fail("the options dialog did not appear");
  // Let the dialog paint itself before the picture is taken.
  if (!driver::WaitIdle(dialog)) return Fail("the options dialog does not respond");
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  if (!SaveScreenshot(dialog, screenshot)) return Fail("cannot take the screenshot " + screenshot);

  driver::Answer(dialog, IDOK);  // "SAVE AS..."
  HWND save = WaitForWindow(driver::kSaveTitle);
  if (save == nullptr) return Fail("the save dialog did not appear");
  if (!driver::WaitIdle(save)) return Fail("the save dialog does not respond");
  driver::ConfirmSave(save, drumMap);

  // The path was chosen on purpose: an existing file is replaced. A failed
  // write shows the writer's message, which is passed on.
  std::string reason;
  const bool closed = driver::WaitUntil(
      [&] {
        // The overwrite question is a message box titled like the save dialog.
        if (HWND question = WaitForWindow(driver::kSaveTitle, save, 0); question != nullptr)
          driver::Answer(question, IDYES);
        if (HWND error = WaitForWindow(driver::kErrorTitle, nullptr, 0); error != nullptr) {
          reason = driver::MessageText(error);
          driver::Answer(error, IDOK);
        }
        return !IsWindow(dialog) || !IsWindowVisible(dialog);
      },
      timeoutMs);
  if (!reason.empty()) return Fail("the wizard could not write " + drumMap + ": " + reason);
  if (!closed) return Fail("the options dialog did not close");
  return 0;
}

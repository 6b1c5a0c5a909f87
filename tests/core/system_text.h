// The system's own text for an error, as the tests expect it in messages.
#pragma once

#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

inline std::string SystemText(int error) { return std::strerror(error); }

#ifdef _WIN32
// The message for a Windows error, without the line break and the full stop.
inline std::string WindowsText(DWORD error) {
  char text[512] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                 sizeof text, nullptr);
  std::string line = text;
  while (!line.empty() && std::strchr("\r\n. ", line.back()) != nullptr) line.pop_back();
  return line;
}
#endif

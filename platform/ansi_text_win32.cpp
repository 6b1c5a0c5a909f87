#include <windows.h>

#include <climits>

#include "platform/ansi_text.h"
#include "writers/utf8_conversion.h"

std::string AnsiToUtf8(std::string_view text) {
  if (text.empty()) return std::string();
  // The export state's names are at most 254 bytes; the limit only keeps
  // the sizes within the calls' int.
  if (text.size() > INT_MAX / 4) return Windows1252ToUtf8(text);
  const int size = static_cast<int>(text.size());
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (wideLength <= 0) return Windows1252ToUtf8(text);
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), wideLength);
  const int utf8Length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (utf8Length <= 0) return Windows1252ToUtf8(text);
  std::string utf8(static_cast<std::size_t>(utf8Length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), utf8Length, nullptr, nullptr);
  return utf8;
}

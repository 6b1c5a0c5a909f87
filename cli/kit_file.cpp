#include "cli/kit_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "export/export_state.h"

namespace {

bool StartsWith(const std::string& text, std::size_t at, const char* prefix, std::size_t size) {
  return text.compare(at, size, prefix, size) == 0;
}

// Spaces, tabs and line ends: what editors and spreadsheets leave after the
// last line.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Closes a C file when it goes.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool ParseKitText(const std::string& text, std::vector<std::string>& names, std::string& reason) {
  names.assign(kPadCount, std::string());
  if (text.size() > kKitFileMaxBytes) {
    reason = "larger than 1 MiB (a kit file holds at most 96 pad names)";
    return false;
  }
  // After a UTF-8 byte-order mark, which is skipped, another one names the
  // text's real form. UTF-32's marks begin like UTF-16's: test them first.
  const std::size_t first = StartsWith(text, 0, "\xEF\xBB\xBF", 3) ? 3 : 0;
  if (StartsWith(text, first, "\xFF\xFE\0\0", 4) || StartsWith(text, first, "\0\0\xFE\xFF", 4)) {
    reason = "the file is UTF-32 text; save it as UTF-8 or ANSI text";
    return false;
  }
  if (StartsWith(text, first, "\xFF\xFE", 2) || StartsWith(text, first, "\xFE\xFF", 2)) {
    reason = "the file is UTF-16 text; save it as UTF-8 or ANSI text";
    return false;
  }
  const bool lf = text.find('\n', first) != std::string::npos;
  const char lineEnd = lf ? '\n' : '\r';

  std::size_t start = first;
  int line = 0;
  while (start < text.size()) {
    std::size_t end = text.find(lineEnd, start);
    const std::size_t next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos) end = text.size();
    if (lf && end > start && text[end - 1] == '\r') --end;
    if (line == kPadCount) {
      // Blank lines after the last pad are no pads.
      if (std::all_of(text.begin() + start, text.end(), IsBlank)) break;
      reason = "more than 96 lines (one pad name a line)";
      return false;
    }
    if (std::find(text.begin() + start, text.begin() + end, '\0') != text.begin() + end) {
      reason = "line " + std::to_string(line + 1) + " holds a NUL byte (is it a text file?)";
      return false;
    }
    names[line++] = text.substr(start, end - start);
    start = next;
  }
  return true;
}

bool ReadKitFile(const char* path, std::vector<std::string>& names, std::string& reason) {
  // C files keep errno: the message is the system's reason ("No such file
  // or directory", "Permission denied", "Is a directory").
  errno = 0;
  const std::unique_ptr<std::FILE, FileCloser> in(std::fopen(path, "rb"));
  if (!in) {
    reason = errno != 0 ? std::strerror(errno) : "cannot open the file";
    return false;
  }
  // One byte past the limit is enough to refuse a file that is too large,
  // and the first byte after the 96th line that is not blank one that has
  // too many lines.
  std::string text;
  char buffer[4096];
  int lineBreaks = 0;  // LFs read so far, up to the one that ends pad 95's line
  while (text.size() <= kKitFileMaxBytes) {
    const std::size_t room = kKitFileMaxBytes + 1 - text.size();
    const std::size_t got = std::fread(buffer, 1, std::min(sizeof buffer, room), in.get());
    if (got == 0) break;
    const char* end = buffer + got;
    const char* p = buffer;
    while (lineBreaks < kPadCount && (p = std::find(p, end, '\n')) != end) {
      ++p;
      ++lineBreaks;
    }
    if (lineBreaks == kPadCount) p = std::find_if_not(p, end, IsBlank);
    if (lineBreaks < kPadCount || p == end) {
      text.append(buffer, got);
    } else {
      // Text after the 96th line: its first byte is all ParseKitText needs.
      text.append(buffer, static_cast<std::size_t>(p - buffer) + 1);
      break;
    }
  }
  if (std::ferror(in.get())) {
    reason = errno != 0 ? std::strerror(errno) : "cannot read the file";
    return false;
  }
  return ParseKitText(text, names, reason);
}

Utf8Conversion KitTextConversion(const std::vector<std::string>& names) {
  // Line breaks are ASCII and never part of a character, so the whole text
  // is valid exactly when each of its lines is.
  for (const std::string& name : names)
    if (!IsValidUtf8(name)) return &Windows1252ToUtf8;
  return &Utf8AsIs;
}

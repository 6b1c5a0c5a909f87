#include "cli/kit_file.h"

#include <algorithm>
#include <fstream>

#include "export/export_state.h"

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

bool ParseKitText(const std::string& text, std::vector<std::string>& names, std::string& error) {
  names.assign(kPadCount, std::string());
  if (text.size() > kKitFileMaxBytes) {
    error = "larger than 1 MiB (a kit file holds at most 96 pad names)";
    return false;
  }
  if (StartsWith(text, "\xFF\xFE") || StartsWith(text, "\xFE\xFF")) {
    error = "the file is UTF-16 text; save it as UTF-8 or ANSI text";
    return false;
  }
  const std::size_t first = StartsWith(text, "\xEF\xBB\xBF") ? 3 : 0;
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
      error = "more than 96 lines (one pad name a line)";
      return false;
    }
    if (std::find(text.begin() + start, text.begin() + end, '\0') != text.begin() + end) {
      error = "line " + std::to_string(line + 1) + " holds a NUL byte (is it a text file?)";
      return false;
    }
    names[line++] = text.substr(start, end - start);
    start = next;
  }
  return true;
}

bool ReadKitFile(const char* path, std::vector<std::string>& names, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open the file";
    return false;
  }
  // istream::read turns a read error (a folder, a failing device) into
  // badbit; reading through stream iterators would let it escape as an
  // exception. One byte past the limit is enough to refuse a file that is
  // too large, and the start of a 97th line one that has too many lines.
  std::string text;
  char buffer[4096];
  int lineBreaks = 0;  // LFs read so far, up to the one that ends pad 95's line
  while (text.size() <= kKitFileMaxBytes) {
    const std::size_t room = kKitFileMaxBytes + 1 - text.size();
    in.read(buffer, static_cast<std::streamsize>(std::min(sizeof buffer, room)));
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    const char* end = buffer + got;
    const char* p = buffer;
    while (lineBreaks < kPadCount && (p = std::find(p, end, '\n')) != end) {
      ++p;
      ++lineBreaks;
    }
    if (lineBreaks < kPadCount || p == end) {
      text.append(buffer, got);
    } else {
      // The 97th line begins at p: its first byte is all ParseKitText needs.
      text.append(buffer, static_cast<std::size_t>(p - buffer) + 1);
      break;
    }
  }
  if (in.bad()) {
    error = "cannot read the file";
    return false;
  }
  return ParseKitText(text, names, error);
}

Utf8Conversion KitTextConversion(const std::vector<std::string>& names) {
  // Line breaks are ASCII and never part of a character, so the whole text
  // is valid exactly when each of its lines is.
  for (const std::string& name : names)
    if (!IsValidUtf8(name)) return &Windows1252ToUtf8;
  return &Utf8AsIs;
}

#include "cli/kit_file.h"

#include <fstream>

#include "export/export_state.h"

bool ParseKitText(const std::string& text, std::vector<std::string>& names, std::string& error) {
  names.assign(kPadCount, std::string());
  std::size_t start = 0;
  int line = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const std::size_t next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos) end = text.size();
    if (end > start && text[end - 1] == '\r') --end;
    if (line == kPadCount) {
      error = "more than 96 lines (one pad name a line)";
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
  // exception.
  std::string text;
  char buffer[4096];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) text.append(buffer, in.gcount());
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

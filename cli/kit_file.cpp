#include "cli/kit_file.h"

#include <fstream>
#include <iterator>

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
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "cannot read the file";
    return false;
  }
  return ParseKitText(text, names, error);
}

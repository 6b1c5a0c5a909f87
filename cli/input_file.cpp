#include "cli/input_file.h"

#include <algorithm>
#include <fstream>

bool ReadInputFile(const std::string& path, std::size_t limit, std::string& bytes, std::string& reason) {
  bytes.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    reason = "cannot open the file";
    return false;
  }
  // istream::read reports a read error (a folder, a failing device) as
  // badbit rather than by an exception.
  char buffer[65536];
  while (bytes.size() <= limit) {
    in.read(buffer, static_cast<std::streamsize>(std::min(sizeof buffer, limit + 1 - bytes.size())));
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    bytes.append(buffer, got);
  }
  if (in.bad()) {
    reason = "cannot read the file";
    return false;
  }
  if (bytes.size() > limit) {
    reason = "larger than " + std::to_string(limit / (1024 * 1024)) + " MiB, more than any drum map";
    return false;
  }
  return true;
}

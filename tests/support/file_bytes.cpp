#include "file_bytes.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace test {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(path, ignored);
}

::testing::AssertionResult SplitCrLfLines(const std::string& bytes, std::vector<std::string>& lines) {
  lines.clear();
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos)
      return ::testing::AssertionFailure() << "line " << lines.size() + 1 << " does not end in CR LF";
    const std::string line = bytes.substr(start, end - start);
    if (line.find_first_of("\r\n") != std::string::npos)
      return ::testing::AssertionFailure() << "stray CR or LF in line " << lines.size() + 1;
    lines.push_back(line);
    start = end + 2;
  }
  return ::testing::AssertionSuccess();
}

std::string SourcePath(const std::string& relative) {
#ifdef _WIN32
  // Wine maps the Unix root to drive Z:.
  return std::string("Z:") + DRUMMAP_SOURCE_DIR + "/" + relative;
#else
  return std::string(DRUMMAP_SOURCE_DIR) + "/" + relative;
#endif
}

}  // namespace test

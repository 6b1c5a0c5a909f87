#include "test_support.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "export/export_state.h"
#include "writers/drum_map_format.h"

namespace fs = std::filesystem;

namespace test {

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "drummap-";
  name += info != nullptr ? info->name() : "test";
  for (char& c : name)
    if (c == '/') c = '_';
  name += "-" + std::to_string(stamp % 1000000007) + "-" + std::to_string(counter++);
  path_ = fs::temp_directory_path() / name;
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Read-only files made by a test would stop the removal on Windows.
  for (const auto& entry : fs::recursive_directory_iterator(path_, ignored))
    fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::List() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

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

void ResetForExport(const std::string& filePath) {
  ResetExportState();
  for (int pad = 0; pad < kPadCount; ++pad) SetPadName(pad, "");
  CopyText(exportState.filePath, filePath.c_str());
}

void NamePad(int pad, const std::string& name) { SetPadName(pad, name.c_str()); }

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

void PrintTo(const Writer& writer, std::ostream* os) { *os << writer.name; }

std::vector<Writer> EveryWriter() {
  std::vector<Writer> writers;
  for (const DrumMapFormatInfo& format : kDrumMapFormats)
    writers.push_back({format.commandLineName, format.write});
  return writers;
}

std::string WriterName(const ::testing::TestParamInfo<Writer>& info) { return info.param.name; }

std::vector<int> Range(int from, int to) {
  std::vector<int> v;
  for (int i = from; i <= to; ++i) v.push_back(i);
  return v;
}

std::vector<int> Concat(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> v;
  for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
  return v;
}

MainResult RunMain(MainFunction main, const std::string& program, std::vector<std::string> args,
                   std::ostream* out) {
  args.insert(args.begin(), program);
  std::vector<const char*> argv;
  for (const auto& arg : args) argv.push_back(arg.c_str());
  std::ostringstream collected, err;
  MainResult result;
  result.status = main(static_cast<int>(argv.size()), argv.data(), out != nullptr ? *out : collected, err);
  result.out = collected.str();
  result.err = err.str();
  return result;
}

}  // namespace test

// Helpers shared by every test area: temporary folders and files, the export
// state, number lists and program runs.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace test {

// A fresh folder for one test, removed again afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Names of the files in the folder, sorted.
  std::vector<std::string> List() const;

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);

// Puts the export state into a known state: the run's defaults, all pads empty,
// the given output path.
void ResetForExport(const std::string& filePath);
void NamePad(int pad, const std::string& name);

// Splits a file into its lines; fails if any line does not end in CR LF or a
// lone CR or LF occurs.
::testing::AssertionResult SplitCrLfLines(const std::string& bytes, std::vector<std::string>& lines);

// A file of the source tree, in the form the test program opens it by.
std::string SourcePath(const std::string& relative);

// Puts `text` into a fixed buffer of the export state: zeros after it, and a
// failure when it does not fit with its terminator.
template <std::size_t N>
void SetField(char (&field)[N], const std::string& text) {
  ASSERT_LT(text.size(), N) << text;
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), text.size());
}

// A writer of one format, for tests that run once per writer; shown and
// named by the format's command-line name.
struct Writer {
  const char* name;
  bool (*write)();
};
void PrintTo(const Writer& writer, std::ostream* os);
// One Writer for each format of the format table, in its order.
std::vector<Writer> EveryWriter();
// The test name suffix of a Writer parameter.
std::string WriterName(const ::testing::TestParamInfo<Writer>& info);

// from, from + 1, ..., to.
std::vector<int> Range(int from, int to);
// The lists one after the other.
std::vector<int> Concat(std::initializer_list<std::vector<int>> parts);

// What a program's main function did: its exit status and what it printed.
struct MainResult {
  int status = -1;
  std::string out;
  std::string err;
};
using MainFunction = int (*)(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
// Runs `main` with `program` and `args` as its command line. Its standard
// output goes to `out` when one is given (then `MainResult::out` is empty).
MainResult RunMain(MainFunction main, const std::string& program, std::vector<std::string> args,
                   std::ostream* out = nullptr);

}  // namespace test

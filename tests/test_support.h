// Helpers shared by the tests of the portable core.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
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

std::string SourcePath(const std::string& relative);

}  // namespace test

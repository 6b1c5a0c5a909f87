// A fresh folder for one test, removed again afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace test {

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

}  // namespace test

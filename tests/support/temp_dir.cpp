#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>

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

}  // namespace test

// A scratch registry for the tests of the registration: two fresh keys under
// HKEY_CURRENT_USER stand in for HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE, for
// the whole process, while the object lives.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test {

class ScratchRegistry {
 public:
  ScratchRegistry();
  ~ScratchRegistry();
  ScratchRegistry(const ScratchRegistry&) = delete;
  ScratchRegistry& operator=(const ScratchRegistry&) = delete;

  bool ok() const { return classes_ != nullptr && machine_ != nullptr; }
  HKEY classes() const { return classes_; }
  HKEY machine() const { return machine_; }

 private:
  std::string path_;
  HKEY classes_ = nullptr;
  HKEY machine_ = nullptr;
};

// Every key and value beneath `root`, one line each, sorted:
//   key <path>
//   value <path> <name or "(default)"> REG_SZ "text\0"
// (the bytes as stored; zero bytes as \0, other control and non-ASCII bytes
// as \xNN).
std::vector<std::string> Snapshot(HKEY root);

// Creates the key `path` beneath `root` (with any missing keys on the way)
// and, when `valueName` is not null, sets that string value ("" for the
// default value). Returns false on any failure.
bool Put(HKEY root, const std::string& path, const char* valueName = nullptr, const std::string& text = "");

bool KeyExists(HKEY root, const std::string& path);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case, formatted here
// rather than by the platform.
std::string ClassIdText(const GUID& id);

}  // namespace test

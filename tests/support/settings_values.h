// The wizard's settings key, "Software\Ostrevane\Vemba\Config", beneath a
// root: the real HKEY_LOCAL_MACHINE of the prefix, or a scratch key standing
// in for it. Values are written and read back as the bytes they hold.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/registry_key.h"
#include "scratch_registry.h"

namespace test {

constexpr char kSettingsKey[] = "Software\\Ostrevane\\Vemba\\Config";

// One registry value as read back: the query's result, type and bytes.
struct RegValue {
  LONG result = ERROR_FILE_NOT_FOUND;
  DWORD type = REG_NONE;
  std::string bytes;
};

class SettingsValues {
 public:
  explicit SettingsValues(HKEY root) : root_(root) {}

  bool SettingsKeyExists() const;
  void CreateSettingsKey() const;
  void DeleteSettingsKey() const;
  // Number of values in the settings key; -1 when the key is missing.
  int ValueCount() const;
  // Writes exactly `bytes` (a byte that is not zero follows them in memory, so
  // text is stored without a terminator unless `bytes` ends in one).
  void SetValue(const char* name, DWORD type, const std::string& bytes) const;
  void SetDword(const char* name, DWORD value) const;
  void DeleteValue(const char* name) const;
  RegValue Value(const char* name) const;

  // Creates the key with both values, as an earlier run would have stored them.
  void Store(const std::string& directory, DWORD format) const;
  // "drumMapPath" up to its terminator and the number in "drumMapExMode";
  // nothing when the value (or the key) is missing or has another type.
  std::optional<std::string> StoredDirectory() const;
  std::optional<DWORD> StoredFormat() const;

 private:
  RegistryKey OpenSettingsKey() const;

  HKEY root_;
};

// A private stand-in for HKEY_LOCAL_MACHINE with the settings key beneath it:
// a scratch registry (scratch_registry.h) for the lifetime of the object.
class ScratchMachineKey : public ScratchRegistry, public SettingsValues {
 public:
  ScratchMachineKey();
};

}  // namespace test

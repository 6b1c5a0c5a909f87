// A private stand-in for HKEY_LOCAL_MACHINE: a fresh key under
// HKEY_CURRENT_USER that the process's HKEY_LOCAL_MACHINE is redirected into
// for the lifetime of the object, then deleted with everything in it.
#pragma once

#include <windows.h>

#include <string>

#include "platform/registry_key.h"
#include "scratch_registry.h"

namespace test {

// One registry value as read back: the query's result, type and bytes.
struct RegValue {
  LONG result = ERROR_FILE_NOT_FOUND;
  DWORD type = REG_NONE;
  std::string bytes;
};

class ScratchMachineKey {
 public:
  ScratchMachineKey();
  ~ScratchMachineKey();
  ScratchMachineKey(const ScratchMachineKey&) = delete;
  ScratchMachineKey& operator=(const ScratchMachineKey&) = delete;

  // The settings key, "Software\Ostrevane\Vemba\Config" under the stand-in.
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

 private:
  RegistryKey OpenSettingsKey() const;

  ScratchRegistry registry_;
};

}  // namespace test

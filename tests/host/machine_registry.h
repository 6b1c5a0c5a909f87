// The prefix's real machine-wide keys that registration and the settings
// write, for the end-to-end tests: regsvr32, reading the stored settings, and
// a guard that leaves those keys as it found them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "server/idrum_map_wizard.h"

namespace test {

// CLSID_DrumMapWizard as registration writes it into both key paths.
constexpr char kWizardClassId[] = "{D169D29F-53D1-4873-BD56-9082F52434D0}";
constexpr char kSettingsKey[] = "Software\\Ostrevane\\Vemba\\Config";

// Runs the platform's regsvr32 (from the system folder) with `arguments`;
// its exit status, or -1 when it could not be started or did not end within
// a minute.
int RunRegsvr32(const std::string& arguments);

bool KeyExists(HKEY root, const std::string& path);
// A value of the settings key: the bytes of "drumMapPath" up to its
// terminator, the number in "drumMapExMode"; nothing when the value (or the
// key) is missing or has another type.
std::optional<std::string> StoredDirectory();
std::optional<DWORD> StoredFormat();
// Creates the settings key with both values, as an earlier run would have.
void StoreSettings(const std::string& directory, DWORD format);
void DeleteSettings();

// For one test: removes what an interrupted run may have left (the wizard's
// registration, the settings), and on destruction unregisters the wizard,
// deletes the settings and the parent keys that did not exist before.
class MachineKeysGuard {
 public:
  explicit MachineKeysGuard(std::string module);
  ~MachineKeysGuard();
  MachineKeysGuard(const MachineKeysGuard&) = delete;
  MachineKeysGuard& operator=(const MachineKeysGuard&) = delete;

 private:
  void Clean() const;

  std::string module_;
  bool hadVemba_;
  bool hadWizardList_;
  bool hadOstrevane_;
};

}  // namespace test

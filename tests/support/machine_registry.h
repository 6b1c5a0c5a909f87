// The prefix's real machine-wide keys that registration and the settings
// write, for the end-to-end tests: regsvr32, the stored settings, and a guard
// that leaves those keys as it found them.
#pragma once

#include <windows.h>

#include <string>

#include "server/idrum_map_wizard.h"
#include "settings_values.h"

namespace test {

// CLSID_DrumMapWizard as registration writes it into both key paths.
constexpr char kWizardClassId[] = "{D169D29F-53D1-4873-BD56-9082F52434D0}";

// The settings key under the real HKEY_LOCAL_MACHINE.
inline SettingsValues MachineSettings() { return SettingsValues(HKEY_LOCAL_MACHINE); }

// Runs the platform's regsvr32 (from the system folder) with `arguments`;
// its exit status, or -1 when it could not be started or did not end within
// a minute.
int RunRegsvr32(const std::string& arguments);

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

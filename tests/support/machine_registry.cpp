#include "machine_registry.h"

#include <gtest/gtest.h>

namespace test {

namespace {

const std::string kClassKey = std::string("CLSID\\") + kWizardClassId;
const std::string kWizardKey = std::string(kWizardListKey) + "\\" + kWizardClassId;
constexpr char kVembaKey[] = "Software\\Ostrevane\\Vemba";
constexpr char kOstrevaneKey[] = "Software\\Ostrevane";

}  // namespace

int RunRegsvr32(const std::string& arguments) {
  std::string command = "regsvr32.exe " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return -1;
  DWORD status = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.hProcess, &status))
    status = static_cast<DWORD>(-1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}

MachineKeysGuard::MachineKeysGuard(std::string module) : module_(std::move(module)) {
  Clean();
  hadVemba_ = KeyExists(HKEY_LOCAL_MACHINE, kVembaKey);
  hadWizardList_ = KeyExists(HKEY_LOCAL_MACHINE, kWizardListKey);
  hadOstrevane_ = KeyExists(HKEY_LOCAL_MACHINE, kOstrevaneKey);
}

MachineKeysGuard::~MachineKeysGuard() {
  Clean();
  // RegDeleteKeyA removes only keys without subkeys: a parent that holds
  // anything else stays.
  if (!hadVemba_) RegDeleteKeyA(HKEY_LOCAL_MACHINE, kVembaKey);
  if (!hadWizardList_) RegDeleteKeyA(HKEY_LOCAL_MACHINE, kWizardListKey);
  if (!hadOstrevane_) RegDeleteKeyA(HKEY_LOCAL_MACHINE, kOstrevaneKey);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kWizardKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey));
}

void MachineKeysGuard::Clean() const {
  if (KeyExists(HKEY_CLASSES_ROOT, kClassKey) || KeyExists(HKEY_LOCAL_MACHINE, kWizardKey))
    EXPECT_EQ(RunRegsvr32("/s /u \"" + module_ + "\""), 0);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey);
}

}  // namespace test

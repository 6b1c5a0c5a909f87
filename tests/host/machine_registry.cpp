#include "machine_registry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/registry_key.h"

namespace test {

namespace {

const std::string kClassKey = std::string("CLSID\\") + kWizardClassId;
const std::string kWizardKey = std::string(kWizardListKey) + "\\" + kWizardClassId;
constexpr char kVembaKey[] = "Software\\Ostrevane\\Vemba";
constexpr char kOstrevaneKey[] = "Software\\Ostrevane";

// The value's type and bytes; false when it cannot be read.
bool QueryValue(const char* name, DWORD& type, std::string& bytes) {
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
  char data[1024];
  DWORD size = sizeof data;
  if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
      ERROR_SUCCESS)
    return false;
  bytes.assign(data, size);
  return true;
}

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

bool KeyExists(HKEY root, const std::string& path) {
  RegistryKey key;
  return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::optional<std::string> StoredDirectory() {
  DWORD type = 0;
  std::string bytes;
  if (!QueryValue("drumMapPath", type, bytes) || type != REG_SZ) return std::nullopt;
  return bytes.substr(0, bytes.find('\0'));
}

std::optional<DWORD> StoredFormat() {
  DWORD type = 0;
  std::string bytes;
  if (!QueryValue("drumMapExMode", type, bytes) || type != REG_DWORD || bytes.size() != sizeof(DWORD))
    return std::nullopt;
  DWORD format = 0;
  std::memcpy(&format, bytes.data(), sizeof format);
  return format;
}

void StoreSettings(const std::string& directory, DWORD format) {
  RegistryKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.put(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(
      RegSetValueExA(key.get(), "drumMapPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(directory.c_str()),
                     static_cast<DWORD>(directory.size() + 1)),
      ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key.get(), "drumMapExMode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&format),
                           sizeof format),
            ERROR_SUCCESS);
}

void DeleteSettings() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey); }

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
  DeleteSettings();
}

}  // namespace test

#include "scratch_machine_key.h"

#include <gtest/gtest.h>

namespace test {

namespace {

constexpr char kSettingsKey[] = "Software\\Ostrevane\\Vemba\\Config";

}  // namespace

ScratchMachineKey::ScratchMachineKey() { EXPECT_TRUE(registry_.ok()) << "no scratch registry"; }

ScratchMachineKey::~ScratchMachineKey() = default;

RegistryKey ScratchMachineKey::OpenSettingsKey() const {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(registry_.machine(), kSettingsKey, 0, KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS)
    return RegistryKey();
  return RegistryKey(handle);
}

bool ScratchMachineKey::SettingsKeyExists() const { return static_cast<bool>(OpenSettingsKey()); }

void ScratchMachineKey::CreateSettingsKey() const {
  RegistryKey key;
  EXPECT_EQ(RegCreateKeyExA(registry_.machine(), kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
}

void ScratchMachineKey::DeleteSettingsKey() const {
  EXPECT_EQ(RegDeleteTreeA(registry_.machine(), kSettingsKey), ERROR_SUCCESS);
}

int ScratchMachineKey::ValueCount() const {
  const RegistryKey key = OpenSettingsKey();
  if (!key) return -1;
  DWORD values = 0;
  EXPECT_EQ(RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  return static_cast<int>(values);
}

void ScratchMachineKey::SetValue(const char* name, DWORD type, const std::string& bytes) const {
  const RegistryKey key = OpenSettingsKey();
  ASSERT_TRUE(key) << "no settings key";
  // The registry counts a terminator the caller "forgot" when a zero byte
  // follows the data; the trailing 'X' keeps an unterminated value so.
  const std::string data = bytes + 'X';
  ASSERT_EQ(RegSetValueExA(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
}

void ScratchMachineKey::SetDword(const char* name, DWORD value) const {
  SetValue(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value));
}

void ScratchMachineKey::DeleteValue(const char* name) const {
  const RegistryKey key = OpenSettingsKey();
  ASSERT_TRUE(key) << "no settings key";
  RegDeleteValueA(key.get(), name);
}

RegValue ScratchMachineKey::Value(const char* name) const {
  RegValue value;
  const RegistryKey key = OpenSettingsKey();
  if (!key) return value;
  char buffer[1024];
  DWORD size = sizeof buffer;
  value.result =
      RegQueryValueExA(key.get(), name, nullptr, &value.type, reinterpret_cast<BYTE*>(buffer), &size);
  if (value.result == ERROR_SUCCESS) value.bytes.assign(buffer, size);
  return value;
}

}  // namespace test

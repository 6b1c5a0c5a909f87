#include "settings_values.h"

#include <gtest/gtest.h>

#include <cstring>

namespace test {

RegistryKey SettingsValues::OpenSettingsKey() const {
  RegistryKey key;
  if (RegOpenKeyExA(root_, kSettingsKey, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) return RegistryKey();
  return key;
}

bool SettingsValues::SettingsKeyExists() const { return static_cast<bool>(OpenSettingsKey()); }

void SettingsValues::CreateSettingsKey() const {
  RegistryKey key;
  EXPECT_EQ(RegCreateKeyExA(root_, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            key.put(), nullptr),
            ERROR_SUCCESS);
}

void SettingsValues::DeleteSettingsKey() const {
  EXPECT_EQ(RegDeleteTreeA(root_, kSettingsKey), ERROR_SUCCESS);
}

int SettingsValues::ValueCount() const {
  const RegistryKey key = OpenSettingsKey();
  if (!key) return -1;
  DWORD values = 0;
  EXPECT_EQ(RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  return static_cast<int>(values);
}

void SettingsValues::SetValue(const char* name, DWORD type, const std::string& bytes) const {
  const RegistryKey key = OpenSettingsKey();
  ASSERT_TRUE(key) << "no settings key";
  // The registry counts a terminator the caller "forgot" when a zero byte
  // follows the data; the trailing 'X' keeps an unterminated value so.
  const std::string data = bytes + 'X';
  ASSERT_EQ(RegSetValueExA(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
}

void SettingsValues::SetDword(const char* name, DWORD value) const {
  SetValue(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value));
}

void SettingsValues::DeleteValue(const char* name) const {
  const RegistryKey key = OpenSettingsKey();
  ASSERT_TRUE(key) << "no settings key";
  RegDeleteValueA(key.get(), name);
}

RegValue SettingsValues::Value(const char* name) const {
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

void SettingsValues::Store(const std::string& directory, DWORD format) const {
  CreateSettingsKey();
  SetValue("drumMapPath", REG_SZ, directory + '\0');
  SetDword("drumMapExMode", format);
}

std::optional<std::string> SettingsValues::StoredDirectory() const {
  const RegValue value = Value("drumMapPath");
  if (value.result != ERROR_SUCCESS || value.type != REG_SZ) return std::nullopt;
  return value.bytes.substr(0, value.bytes.find('\0'));
}

std::optional<DWORD> SettingsValues::StoredFormat() const {
  const RegValue value = Value("drumMapExMode");
  if (value.result != ERROR_SUCCESS || value.type != REG_DWORD || value.bytes.size() != sizeof(DWORD))
    return std::nullopt;
  DWORD format = 0;
  std::memcpy(&format, value.bytes.data(), sizeof format);
  return format;
}

ScratchMachineKey::ScratchMachineKey() : SettingsValues(machine()) {
  EXPECT_TRUE(ok()) << "no scratch registry";
}

}  // namespace test

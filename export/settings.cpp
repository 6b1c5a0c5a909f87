#include "export/settings.h"

#include <windows.h>

#include <cstring>

#include "export/export_state.h"
#include "platform/registry_fault_hook.h"
#include "platform/registry_key.h"
#include "writers/drum_map_format.h"

namespace {

constexpr char kSettingsKey[] = "Software\\Ostrevane\\Vemba\\Config";
constexpr char kPathValue[] = "drumMapPath";
constexpr char kFormatValue[] = "drumMapExMode";
constexpr char kDefaultPath[] = "C:\\";
// A stored directory of at most 254 characters and its terminator loads.
constexpr DWORD kPathQuerySize = 255;

// Opens the settings key, creating it when it is missing. Only a key that
// existed before this call is returned open: a key just created is closed
// again at once and stays empty. A key that cannot be opened or created gives
// an empty RegistryKey and nothing to close.
RegistryKey OpenExistingSettingsKey() {
  if (InjectedRegistryFault(RegistryCall::kCreateKey, HKEY_LOCAL_MACHINE, kSettingsKey, KEY_ALL_ACCESS) !=
      ERROR_SUCCESS)
    return RegistryKey();
  HKEY handle = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &handle, &disposition) != ERROR_SUCCESS)
    return RegistryKey();
  RegistryKey key(handle);
  if (disposition != REG_OPENED_EXISTING_KEY) return RegistryKey();
  return key;
}

// Puts the default directory back into `storedPath` and into the value. A
// failed query may have left part of the value in the buffer.
void StoreDefaultPath(HKEY key) {
  CopyText(exportState.storedPath, kDefaultPath);
  RegSetValueExA(key, kPathValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(kDefaultPath),
                 sizeof kDefaultPath);
}

void LoadPath(HKEY key) {
  char* const stored = exportState.storedPath;
  DWORD size = kPathQuerySize;
  if (RegQueryValueExA(key, kPathValue, nullptr, nullptr, reinterpret_cast<BYTE*>(stored), &size) !=
      ERROR_SUCCESS) {
    StoreDefaultPath(key);  // missing, or longer than the buffer
    return;
  }
  // Another program may have stored the text without its terminator, or with
  // bytes after an early one: the text ends at the first zero within the bytes
  // returned, and nothing after it survives in either buffer. Text without a
  // zero that fills the whole buffer is 255 characters or more: too long, as
  // a terminated value of that length.
  if (size > kPathQuerySize) size = kPathQuerySize;
  const void* zero = std::memchr(stored, '\0', size);
  if (zero == nullptr && size == kPathQuerySize) {
    StoreDefaultPath(key);
    return;
  }
  const std::size_t length = zero != nullptr ? static_cast<const char*>(zero) - stored : size;
  std::memset(stored + length, 0, kStoredPathSize - length);
  CopyText(exportState.directory, stored);
}

void LoadFormat(HKEY key) {
  // The reported type is not examined: whatever bytes are found (up to 4)
  // form the number.
  DWORD mode = 0;
  DWORD size = sizeof mode;
  if (RegQueryValueExA(key, kFormatValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&mode), &size) !=
      ERROR_SUCCESS) {
    const DWORD xml = 0;
    RegSetValueExA(key, kFormatValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&xml), sizeof xml);
    return;
  }
  exportState.formatIndex = FormatIndexFromStoredMode(mode);
}

}  // namespace

void LoadSettings() {
  const RegistryKey key = OpenExistingSettingsKey();
  if (!key) return;
  LoadPath(key.get());
  LoadFormat(key.get());
}

void SaveSettings() {
  const RegistryKey key = OpenExistingSettingsKey();
  if (!key) return;
  // Stored from a terminated copy, so the byte count never runs past the field.
  char directory[kDirectorySize];
  CopyText(directory, exportState.directory);
  RegSetValueExA(key.get(), kPathValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(directory),
                 static_cast<DWORD>(std::strlen(directory) + 1));
  const DWORD format = static_cast<DWORD>(exportState.formatIndex);
  RegSetValueExA(key.get(), kFormatValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&format),
                 sizeof format);
}

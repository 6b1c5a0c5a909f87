#include "server/registration.h"

#include <objbase.h>

#include <cstring>

#include "platform/hresult.h"
#include "platform/registry_fault_hook.h"
#include "platform/registry_key.h"
#include "server/idrum_map_wizard.h"

namespace {

constexpr int kClassIdTextSize = 40;  // StringFromGUID2 needs 39 with the terminator
constexpr int kKeyPathSize = 128;     // the longest path is 67 characters
constexpr int kKeyNameSize = 256;     // a registry key name has at most 255 characters

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case, as the platform writes it.
struct ClassIdText {
  explicit ClassIdText(const CLSID& classId) { StringFromGUID2(classId, text, kClassIdTextSize); }
  wchar_t text[kClassIdTextSize];
};

void ClassKeyPath(const ClassIdText& classId, char (&path)[kKeyPathSize]) {
  wsprintfA(path, "CLSID\\%ls", classId.text);
}

void WizardKeyPath(const ClassIdText& classId, char (&path)[kKeyPathSize]) {
  wsprintfA(path, "%s\\%ls", kWizardListKey, classId.text);
}

// The registry calls of the registration, each open to an injected failure.

LSTATUS CreateKey(HKEY parent, const char* path, RegistryKey& key) {
  if (const LSTATUS fault = InjectedRegistryFault(RegistryCall::kCreateKey, parent, path, MAXIMUM_ALLOWED))
    return fault;
  return RegCreateKeyA(parent, path, key.put());
}

LSTATUS SetDefaultValue(HKEY key, const char* text) {
  if (const LSTATUS fault = InjectedRegistryFault(RegistryCall::kSetValue, key, "")) return fault;
  // Stores the text with its terminator.
  return RegSetValueA(key, nullptr, REG_SZ, text, static_cast<DWORD>(lstrlenA(text)));
}

// The module's path, as the wide text it is: the ANSI call would store a
// name outside the ANSI code page as another path ("?" or a look-alike).
LSTATUS SetDefaultValue(HKEY key, const wchar_t* text) {
  if (const LSTATUS fault = InjectedRegistryFault(RegistryCall::kSetValue, key, "")) return fault;
  return RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t)));
}

LSTATUS SetStringValue(HKEY key, const char* name, const char* text) {
  if (const LSTATUS fault = InjectedRegistryFault(RegistryCall::kSetValue, key, name)) return fault;
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(lstrlenA(text) + 1));
}

LSTATUS OpenKey(HKEY parent, const char* name, RegistryKey& key) {
  if (const LSTATUS fault = InjectedRegistryFault(RegistryCall::kOpenKey, parent, name, MAXIMUM_ALLOWED))
    return fault;
  return RegOpenKeyExA(parent, name, 0, MAXIMUM_ALLOWED, key.put());
}

void DeleteKey(HKEY parent, const char* name) {
  if (InjectedRegistryFault(RegistryCall::kDeleteKey, parent, name) != ERROR_SUCCESS) return;
  RegDeleteKeyA(parent, name);
}

}  // namespace

HRESULT ReadModulePath(HMODULE module, wchar_t (&path)[kModulePathSize]) {
  const DWORD length = GetModuleFileNameW(module, path, kModulePathSize);
  if (length == 0) {
    path[0] = '\0';
    return ResultFromError(GetLastError());
  }
  // A name that fills the whole buffer was cut.
  if (length >= static_cast<DWORD>(kModulePathSize)) {
    path[0] = '\0';
    return ResultFromError(ERROR_INSUFFICIENT_BUFFER);
  }
  return S_OK;
}

HRESULT RegisterWizardClass(CLSID classId, const char* className, const wchar_t* modulePath,
                            const wchar_t* threadingModel, const wchar_t* serverKeyName) {
  const ClassIdText classIdText(classId);
  char classKeyPath[kKeyPathSize];
  ClassKeyPath(classIdText, classKeyPath);
  // The threading model and the server key name come in as wide strings, like
  // the class id text; "%ls" turns each into the narrow text that the ANSI
  // registry calls take.
  char serverKeyPath[kKeyNameSize];
  wsprintfA(serverKeyPath, "%ls", serverKeyName);
  char threadingModelText[kKeyNameSize];
  wsprintfA(threadingModelText, "%ls", threadingModel);

  RegistryKey classKey;
  if (const LSTATUS error = CreateKey(HKEY_CLASSES_ROOT, classKeyPath, classKey))
    return ResultFromError(error);
  if (const LSTATUS error = SetDefaultValue(classKey.get(), className)) return ResultFromError(error);
  RegistryKey serverKey;
  if (const LSTATUS error = CreateKey(classKey.get(), serverKeyPath, serverKey))
    return ResultFromError(error);
  if (const LSTATUS error = SetDefaultValue(serverKey.get(), modulePath)) return ResultFromError(error);
  if (const LSTATUS error = SetStringValue(serverKey.get(), "ThreadingModel", threadingModelText))
    return ResultFromError(error);
  classKey.Close();
  serverKey.Close();

  char wizardKeyPath[kKeyPathSize];
  WizardKeyPath(classIdText, wizardKeyPath);
  RegistryKey wizardKey;
  if (const LSTATUS error = CreateKey(HKEY_LOCAL_MACHINE, wizardKeyPath, wizardKey))
    return ResultFromError(error);
  return S_OK;
}

HRESULT UnregisterWizardClass(CLSID classId) {
  const ClassIdText classIdText(classId);
  char path[kKeyPathSize];
  ClassKeyPath(classIdText, path);
  DeleteKeyTree(HKEY_CLASSES_ROOT, path);
  WizardKeyPath(classIdText, path);
  DeleteKeyTree(HKEY_LOCAL_MACHINE, path);
  return S_OK;
}

// A walk of its own rather than RegDeleteTreeA: every open and delete goes
// through the fault hook, and a subkey that survives its deletion ends the
// walk instead of failing the whole unregistration.
HRESULT DeleteKeyTree(HKEY parent, const char* subkey) {
  if (lstrlenA(subkey) == 0) return E_FAIL;
  RegistryKey key;
  // Missing, or not ours to open: nothing to delete.
  if (OpenKey(parent, subkey, key) != ERROR_SUCCESS) return S_OK;
  // Each pass deletes the first subkey, so index 0 always names the next
  // one, unless that subkey survived its deletion: then it comes back first
  // and the walk ends instead of trying it forever.
  char previous[kKeyNameSize] = "";
  for (;;) {
    char name[kKeyNameSize];
    DWORD nameSize = kKeyNameSize;
    FILETIME lastWrite;
    if (RegEnumKeyExA(key.get(), 0, name, &nameSize, nullptr, nullptr, nullptr, &lastWrite) != ERROR_SUCCESS)
      break;
    if (std::strcmp(name, previous) == 0) break;
    DeleteKeyTree(key.get(), name);
    std::memcpy(previous, name, nameSize + 1);
  }
  key.Close();
  DeleteKey(parent, subkey);
  return S_OK;
}

// A stand-in for the wizard module whose registration fails part-way: it
// writes the wizard's class key, then reports that access was denied. The
// installer tests build a Setup around it, to see that a failed registration
// leaves nothing behind and an installed copy as it was.
#include <windows.h>

namespace {

constexpr char kClassKey[] = "CLSID\\{D169D29F-53D1-4873-BD56-9082F52434D0}";

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

HRESULT WINAPI DllRegisterServer() {
  HKEY key = nullptr;
  if (RegCreateKeyA(HKEY_CLASSES_ROOT, kClassKey, &key) == ERROR_SUCCESS) {
    RegSetValueA(key, nullptr, REG_SZ, "half registered", 15);
    RegCloseKey(key);
  }
  return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
}

HRESULT WINAPI DllUnregisterServer() {
  RegDeleteKeyA(HKEY_CLASSES_ROOT, kClassKey);
  return S_OK;
}

}  // extern "C"

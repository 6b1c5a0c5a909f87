// Stand-ins for the wizard module whose registration goes wrong. Built as
// it is, the registration fails part-way: it writes the wizard's class key,
// then reports that access was denied. Built with WRONG_PATH, it registers a
// path other than its own and reports success, as a module that writes its
// path through the ANSI code page does for some folder names. The installer
// tests build a Setup around each, to see that Setup leaves nothing behind
// and an installed copy as it was.
#include <windows.h>

namespace {

constexpr char kClassKey[] = "CLSID\\{D169D29F-53D1-4873-BD56-9082F52434D0}";

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

#ifdef WRONG_PATH
HRESULT WINAPI DllRegisterServer() {
  HKEY key = nullptr;
  if (RegCreateKeyA(HKEY_CLASSES_ROOT, "CLSID\\{D169D29F-53D1-4873-BD56-9082F52434D0}\\InprocServer32",
                    &key) != ERROR_SUCCESS)
    return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
  const char path[] = "C:\\Program Files\\Elsewhere\\KorvatDrumMapExport.dll";
  RegSetValueA(key, nullptr, REG_SZ, path, sizeof path - 1);
  RegCloseKey(key);
  return S_OK;
}
#else
HRESULT WINAPI DllRegisterServer() {
  HKEY key = nullptr;
  if (RegCreateKeyA(HKEY_CLASSES_ROOT, kClassKey, &key) == ERROR_SUCCESS) {
    RegSetValueA(key, nullptr, REG_SZ, "half registered", 15);
    RegCloseKey(key);
  }
  return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
}
#endif

HRESULT WINAPI DllUnregisterServer() {
  RegDeleteKeyA(HKEY_CLASSES_ROOT, kClassKey);
  return S_OK;
}

}  // extern "C"

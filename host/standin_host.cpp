// A stand-in for the drum sampler: finds the registered wizards, creates
// each through COM, shows its name and runs it with a kit read from a kit
// file.
#include "host/standin_host.h"

#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/kit_file.h"
#include "host/standin_kit.h"
#include "platform/registry_key.h"
#include "server/idrum_map_wizard.h"

namespace {

// The class ids listed under the wizard list, in registry order.
std::vector<CLSID> RegisteredWizards() {
  std::vector<CLSID> wizards;
  RegistryKey list;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWizardListKey, 0, KEY_READ, list.put()) != ERROR_SUCCESS)
    return wizards;
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD size = sizeof name;
    if (RegEnumKeyExA(list.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    wchar_t wide[64];
    CLSID clsid;
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, wide, 64) > 0 && SUCCEEDED(CLSIDFromString(wide, &clsid)))
      wizards.push_back(clsid);
  }
  return wizards;
}

// An HRESULT as the platform's documentation writes it: 0x80004005.
std::string HresultText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

std::string ClassIdText(const CLSID& clsid) {
  wchar_t wide[40];
  StringFromGUID2(clsid, wide, 40);
  char text[40];
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
  return text;
}

// The host's main window: the wizard's dialog is owned by the foreground
// window, as in the real host.
HWND CreateMainWindow() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "StandinHostWindow";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassA(&wc);
  HWND window = CreateWindowA(wc.lpszClassName, kStandinHostTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                              480, 320, nullptr, nullptr, wc.hInstance, nullptr);
  SetForegroundWindow(window);
  return window;
}

int Usage(std::ostream& err) {
  err << "usage: standin-host [--list] KIT\n";
  return 2;
}

}  // namespace

int RunStandinHost(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  bool listOnly = false;
  const char* kitPath = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--list") == 0) {
      listOnly = true;
    } else if (argv[i][0] == '-' || kitPath != nullptr) {
      return Usage(err);
    } else {
      kitPath = argv[i];
    }
  }
  if (kitPath == nullptr && !listOnly) return Usage(err);

  std::vector<std::string> names;
  std::string reason;
  if (kitPath != nullptr && !ReadKitFile(kitPath, names, reason)) {
    err << "standin-host: " << kitPath << ": " << reason << '\n';
    return 1;
  }

  if (FAILED(CoInitialize(nullptr))) return 1;
  const std::vector<CLSID> wizards = RegisteredWizards();
  if (wizards.empty()) out << "no wizard registered" << std::endl;
  HWND window = listOnly || wizards.empty() ? nullptr : CreateMainWindow();
  int status = wizards.empty() ? 3 : 0;
  for (const CLSID& clsid : wizards) {
    IDrumMapWizard* wizard = nullptr;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDrumMapWizard,
                                        reinterpret_cast<void**>(&wizard));
    if (FAILED(hr)) {
      out << ClassIdText(clsid) << ": cannot be created (" << HresultText(hr) << ")" << std::endl;
      status = 1;
      continue;
    }
    char name[256] = {};
    wizard->GetName(name);
    // Flushed: a user at the console sees the name before the dialog opens.
    out << ClassIdText(clsid) << ": " << name << std::endl;
    if (!listOnly) {
      StandinKit kit(names);
      const HRESULT result = wizard->Run(&kit);
      out << "run returned " << HresultText(result) << " after " << kit.padRequests() << " pad requests"
          << std::endl;
      if (result != S_OK) status = 1;
    }
    wizard->Release();
  }
  if (window != nullptr) DestroyWindow(window);
  CoUninitialize();
  return status;
}

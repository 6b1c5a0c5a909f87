// The module's entry points: DllMain and the four COM server exports.
#include "server/module.h"

#include <objbase.h>
#include <olectl.h>

#include <atomic>

#include "server/guids.h"
#include "server/registration.h"
#include "server/wizard_factory.h"

namespace {

std::atomic<HINSTANCE> moduleInstance{nullptr};
std::atomic<LONG> liveObjects{0};

}  // namespace

HINSTANCE ModuleInstance() { return moduleInstance.load(); }

void CountObjectCreated() { ++liveObjects; }
void CountObjectDestroyed() { --liveObjects; }
LONG LiveObjectCount() { return liveObjects.load(); }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/) {
  moduleInstance = instance;
  return TRUE;
}

// Every class id is served by the wizard's factory: the module has one class,
// and the COM runtime asks it only for the class id that registration wrote
// beside its path, so there is nothing to tell apart.
STDAPI DllGetClassObject(REFCLSID /*classId*/, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  WizardFactory* factory = WizardFactory::Create();
  if (factory == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = static_cast<IClassFactory*>(factory)->QueryInterface(iid, out);
  if (FAILED(result)) factory->Discard();
  return result;
}

STDAPI DllCanUnloadNow() { return LiveObjectCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  // Only a successful CoInitialize (S_OK or S_FALSE) is balanced: after a
  // failure, CoUninitialize would undo the calling thread's own set-up.
  const HRESULT initialised = CoInitialize(nullptr);
  wchar_t modulePath[kModulePathSize];
  HRESULT result = ReadModulePath(ModuleInstance(), modulePath);
  if (SUCCEEDED(result))
    result = RegisterWizardClass(CLSID_DrumMapWizard, "VB Wizard", modulePath, L"Both", L"InprocServer32");
  if (SUCCEEDED(initialised)) CoUninitialize();
  return result;
}

STDAPI DllUnregisterServer() {
  const HRESULT initialised = CoInitialize(nullptr);
  UnregisterWizardClass(CLSID_DrumMapWizard);
  if (SUCCEEDED(initialised)) CoUninitialize();
  return S_OK;
}

#include "server/drum_map_wizard.h"

#include <cstring>
#include <new>

#include "export/export_run.h"
#include "server/module.h"

DrumMapWizard* DrumMapWizard::Create(IUnknown* outer) { return new (std::nothrow) DrumMapWizard(outer); }

HRESULT STDMETHODCALLTYPE DrumMapWizard::InnerQueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IDrumMapWizard) return Answer(static_cast<IDrumMapWizard*>(this), out);
  if (iid == IID_IUnknown) return Answer(Identity(), out);
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE DrumMapWizard::Run(HostKit* kit) { return RunExport(ModuleInstance(), kit); }

std::int32_t STDMETHODCALLTYPE DrumMapWizard::GetName(char* buffer) {
  if (buffer == nullptr) return 0;
  std::memcpy(buffer, kWizardName, kWizardNameSize);
  return kWizardNameSize;
}

#include "server/wizard_factory.h"

#include <objbase.h>

#include <new>

#include "server/drum_map_wizard.h"

WizardFactory* WizardFactory::Create() { return new (std::nothrow) WizardFactory(); }

HRESULT STDMETHODCALLTYPE WizardFactory::InnerQueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IClassFactory) return Answer(static_cast<IClassFactory*>(this), out);
  if (iid == IID_IUnknown) return Answer(Identity(), out);
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE WizardFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  // An aggregated wizard lives only as long as its outer object holds its
  // InnerUnknown; any other interface of it would forward every reference to
  // the outer object and leave the wizard without an owner.
  if (outer != nullptr && iid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
  DrumMapWizard* wizard = DrumMapWizard::Create(outer);
  if (wizard == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = wizard->InnerQueryInterface(iid, out);
  if (FAILED(result)) wizard->Discard();
  return result;
}

HRESULT STDMETHODCALLTYPE WizardFactory::LockServer(BOOL lock) {
  return CoLockObjectExternal(static_cast<IClassFactory*>(this), lock, FALSE);
}

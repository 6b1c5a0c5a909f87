// The class factory of the wizard: every DllGetClassObject request gets a new
// one, and each CreateInstance makes a new wizard.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include "server/unknown_base.h"

class WizardFactory final : public UnknownBase, public IClassFactory {
 public:
  // A new factory with no reference yet, or null when memory runs out.
  static WizardFactory* Create();

  HRESULT STDMETHODCALLTYPE InnerQueryInterface(REFIID iid, void** out) override;

  // IClassFactory; the IUnknown slots forward to the owner.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return Owner()->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return Owner()->AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return Owner()->Release(); }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  // While locked, the platform's reference keeps the factory, and so the
  // module, alive.
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  WizardFactory() : UnknownBase(nullptr) {}
  ~WizardFactory() override = default;
};

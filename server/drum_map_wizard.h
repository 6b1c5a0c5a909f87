// The wizard object: its name for the host's list and its run.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include <cstdint>

#include "server/idrum_map_wizard.h"
#include "server/unknown_base.h"

class DrumMapWizard final : public UnknownBase, public IDrumMapWizard {
 public:
  // A new wizard with no reference yet, owned by `outer` when it is not
  // null; null when memory runs out.
  static DrumMapWizard* Create(IUnknown* outer);

  HRESULT STDMETHODCALLTYPE InnerQueryInterface(REFIID iid, void** out) override;

  // IDrumMapWizard; the IUnknown slots forward to the owner.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return Owner()->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return Owner()->AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return Owner()->Release(); }
  HRESULT STDMETHODCALLTYPE Run(HostKit* kit) override;
  std::int32_t STDMETHODCALLTYPE GetName(char* buffer) override;

 private:
  explicit DrumMapWizard(IUnknown* outer) : UnknownBase(outer) {}
  ~DrumMapWizard() override = default;
};

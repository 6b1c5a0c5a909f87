// The wizard interface of the host's plug-in contract, for the host and for
// anything else that drives the module: the three IUnknown slots, then Run
// and GetName.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include <cstdint>

#include "export/host_kit.h"
#include "drummap_product.h"
#include "server/guids.h"

struct IDrumMapWizard : public IUnknown {
  // Performs the export with the host's kit: the pad names, the options
  // dialog, the settings. Returns S_OK once the dialog has closed, a failure
  // HRESULT when the run could not take place (see export/export_run.h).
  virtual HRESULT STDMETHODCALLTYPE Run(HostKit* kit) = 0;
  // Copies the display name with its terminating zero into `buffer`, which
  // holds at least kWizardNameSize bytes, and returns the number of bytes
  // written.
  virtual std::int32_t STDMETHODCALLTYPE GetName(char* buffer) = 0;
};

// The host's list of wizards under HKEY_LOCAL_MACHINE: one empty subkey per
// wizard, named by its class id. Registration writes it; the host reads it.
inline constexpr char kWizardListKey[] = DRUMMAP_WIZARD_LIST_KEY;

inline constexpr char kWizardName[] = DRUMMAP_PRODUCT_NAME;
inline constexpr std::int32_t kWizardNameSize = sizeof kWizardName;  // 22, terminator included

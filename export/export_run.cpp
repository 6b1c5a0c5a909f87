#include "export/export_run.h"

#include <atomic>

#include "export/export_state.h"
#include "export/settings.h"
#include "platform/ansi_text.h"
#include "platform/hresult.h"
#include "ui/options_dialog.h"
#include "writers/utf8_conversion.h"

namespace {

// All runs share the one export state, and the class is registered "Both":
// a second run while one is in progress (nested, or from another thread) is
// refused before it touches anything.
std::atomic<bool> runInProgress{false};

class RunClaim {
 public:
  RunClaim() : claimed_(!runInProgress.exchange(true)) {}
  ~RunClaim() {
    if (claimed_) runInProgress = false;
  }
  RunClaim(const RunClaim&) = delete;
  RunClaim& operator=(const RunClaim&) = delete;
  bool claimed() const { return claimed_; }

 private:
  const bool claimed_;
};

}  // namespace

HRESULT RunExport(HINSTANCE resources, HostKit* kit) {
  if (kit == nullptr) return E_POINTER;
  const RunClaim claim;
  if (!claim.claimed()) return ResultFromError(ERROR_BUSY);

  ResetExportState();
  // GetPad exactly once per pad, in ascending order; each name is copied
  // before the next call, so the host's record need not outlive it.
  for (std::int32_t pad = 0; pad < kPadCount; ++pad)
    SetPadName(pad, PadRecordName(kit->table->GetPad(kit, pad)));
  LoadSettings();
  // The host's names are in the system's ANSI code page; the note-name
  // formats get them in UTF-8.
  const ScopedUtf8Conversion conversion(&AnsiToUtf8);
  // The dialog does the rest, writing included. It is owned by the window in
  // the foreground, which is the host's window that started the wizard.
  SetLastError(ERROR_SUCCESS);
  if (DialogBoxParamA(resources, MAKEINTRESOURCEA(kOptionsDialogId), GetForegroundWindow(), OptionsDialogProc,
                      0) == -1) {
    return ResultFromError(GetLastError());
  }
  if (exportState.fileSaved != 0) SaveSettings();
  return S_OK;
}

#include "export/export_run.h"

#include "export/export_state.h"
#include "export/settings.h"
#include "platform/ansi_text.h"
#include "ui/options_dialog.h"
#include "writers/utf8_conversion.h"

HRESULT RunExport(HINSTANCE resources, HostKit* kit) {
  ResetExportState();
  // GetPad exactly once per pad, in ascending order; each name is copied
  // before the next call, so the host's record need not outlive it.
  for (std::int32_t pad = 0; pad < kPadCount; ++pad)
    SetPadName(pad, PadRecordName(kit->table->GetPad(kit, pad)));
  LoadSettings();
  // The host's names are in the system's ANSI code page; the note-name
  // formats get them in UTF-8.
  const ScopedUtf8Conversion conversion(&AnsiToUtf8);
  // The dialog does the rest, writing included; its result says nothing that
  // fileSaved does not.
  DialogBoxParamA(resources, MAKEINTRESOURCEA(kOptionsDialogId), GetForegroundWindow(), OptionsDialogProc, 0);
  if (exportState.fileSaved != 0) SaveSettings();
  return S_OK;
}

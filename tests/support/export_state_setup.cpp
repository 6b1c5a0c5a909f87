#include "export_state_setup.h"

#include "export/export_state.h"

namespace test {

void ResetForExport(const std::string& filePath) {
  ResetExportState();
  for (int pad = 0; pad < kPadCount; ++pad) SetPadName(pad, "");
  CopyText(exportState.filePath, filePath.c_str());
}

void NamePad(int pad, const std::string& name) { SetPadName(pad, name.c_str()); }

}  // namespace test

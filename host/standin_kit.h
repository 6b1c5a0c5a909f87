// A kit object built from a kit file, laid out as the host's kit contract
// requires: a table whose fourth slot is GetPad, and pad records that keep
// the name pointer at byte offset 104.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "export/host_kit.h"

// A pad record as the host lays it out; the bytes before the name pointer
// stand for the host's own fields and are never read by the wizard.
struct PadRecord {
  unsigned char hostFields[kPadRecordNameOffset];
  const char* name;
};
static_assert(offsetof(PadRecord, name) == kPadRecordNameOffset, "the name pointer must sit at byte 104");

class StandinKit : public HostKit {
 public:
  explicit StandinKit(std::vector<std::string> names);

  // Serves GetPad; counts the requests for the host's report.
  PadRecord* Pad(std::int32_t index);
  int padRequests() const { return padRequests_; }

 private:
  std::vector<std::string> names_;
  std::vector<PadRecord> records_;
  int padRequests_ = 0;
};

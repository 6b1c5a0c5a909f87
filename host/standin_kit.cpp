#include "host/standin_kit.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

PadRecord* STDMETHODCALLTYPE GetPad(HostKit* kit, std::int32_t index) {
  return static_cast<StandinKit*>(kit)->Pad(index);
}

// The host's own first three operations are left empty: the wizard must
// never call them.
const HostKitTable kTable = {{nullptr, nullptr, nullptr}, &GetPad};

}  // namespace

StandinKit::StandinKit(std::vector<std::string> names) : names_(std::move(names)), records_(names_.size()) {
  table = &kTable;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    std::memset(records_[i].hostFields, 0xA5, sizeof records_[i].hostFields);
    records_[i].name = names_[i].c_str();
  }
}

PadRecord* StandinKit::Pad(std::int32_t index) {
  ++padRequests_;
  if (index < 0 || static_cast<std::size_t>(index) >= records_.size()) {
    // The wizard broke the kit contract; nothing sensible can be returned.
    std::fprintf(stderr, "standin-host: GetPad called with index %d\n", static_cast<int>(index));
    std::abort();
  }
  return &records_[static_cast<std::size_t>(index)];
}

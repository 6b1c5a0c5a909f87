// The host's kit object, as far as the wizard relies on it. The kit is the
// host's: the wizard calls only GetPad, the fourth slot of the kit's table,
// reads one field of the record it returns, and keeps no pointer to either.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

struct HostKit;
struct PadRecord;  // laid out by the host; only the name pointer is read

struct HostKitTable {
  void* hostSlots[3];  // the host's own operations; never called
  PadRecord*(STDMETHODCALLTYPE* GetPad)(HostKit* kit, std::int32_t index);
};

// COM style: the object's first member points to its table, and every
// operation receives the object as its first argument.
struct HostKit {
  const HostKitTable* table;
};

// Where a PadRecord keeps the pointer to the pad's NUL-terminated name (an
// empty string for a pad without a name).
constexpr std::size_t kPadRecordNameOffset = 104;

// The pad's name; a null record or a null name pointer counts as a pad
// without a name rather than taking the host down with it.
inline const char* PadRecordName(const PadRecord* record) {
  if (record == nullptr) return "";
  const char* name;
  std::memcpy(&name, reinterpret_cast<const unsigned char*>(record) + kPadRecordNameOffset, sizeof name);
  return name != nullptr ? name : "";
}

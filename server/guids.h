// The identifiers of the wizard: the class that this module serves and the
// wizard interface of the host's plug-in contract.
#pragma once

#include <windows.h>

#include "drummap_product.h"

namespace guid_text {

constexpr int HexValue(char c) {
  return c >= '0' && c <= '9'   ? c - '0'
         : c >= 'A' && c <= 'F' ? c - 'A' + 10
         : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                : -1;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as the registry writes class ids.
constexpr bool IsGuidText(const char (&text)[39]) {
  if (text[0] != '{' || text[37] != '}') return false;
  for (int i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != '-' : HexValue(text[i]) < 0) return false;
  }
  return true;
}

constexpr unsigned long Hex(const char (&text)[39], int from, int digits) {
  unsigned long value = 0;
  for (int i = from; i < from + digits; ++i)
    value = value * 16 + static_cast<unsigned long>(HexValue(text[i]));
  return value;
}

constexpr unsigned char Byte(const char (&text)[39], int from) {
  return static_cast<unsigned char>(Hex(text, from, 2));
}

constexpr GUID FromText(const char (&text)[39]) {
  return GUID{Hex(text, 1, 8),
              static_cast<unsigned short>(Hex(text, 10, 4)),
              static_cast<unsigned short>(Hex(text, 15, 4)),
              {Byte(text, 20), Byte(text, 22), Byte(text, 25), Byte(text, 27), Byte(text, 29), Byte(text, 31),
               Byte(text, 33), Byte(text, 35)}};
}

}  // namespace guid_text

// CLSID_DrumMapWizard comes from its registry form, which cmake/Product.cmake
// holds once for the module and for Setup.
static_assert(guid_text::IsGuidText(DRUMMAP_CLSID_TEXT), "DRUMMAP_CLSID is not a class id");
inline constexpr GUID CLSID_DrumMapWizard = guid_text::FromText(DRUMMAP_CLSID_TEXT);

// {3676EA9A-E029-4BF8-B25D-DBB60429B77B}
inline constexpr GUID IID_IDrumMapWizard = {
    0x3676EA9A, 0xE029, 0x4BF8, {0xB2, 0x5D, 0xDB, 0xB6, 0x04, 0x29, 0xB7, 0x7B}};

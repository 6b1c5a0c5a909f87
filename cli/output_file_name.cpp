#include "cli/output_file_name.h"

#include <algorithm>
#include <cstring>

namespace {

bool CannotStandInFileName(unsigned char c) {
  return c < 0x20 || c == 0x7F || std::strchr("/\\:*?\"<>|", c) != nullptr;
}

bool IsWindowsDeviceName(std::string stem) {
  for (char& c : stem)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  // COM0-COM9 and LPT0-LPT9, and the superscript digits 1, 2 and 3 of the
  // ANSI code page.
  return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
         std::strchr("0123456789\xB9\xB2\xB3", stem[3]) != nullptr && stem[3] != '\0';
}

}  // namespace

std::string DefaultOutputFileName(const std::string& mapName, const char* extension) {
  std::string name = mapName.empty() ? "Untitled" : mapName;
  for (char& c : name)
    if (CannotStandInFileName(static_cast<unsigned char>(c))) c = '_';
  // No hidden file, and nothing another program's command line takes for an
  // option.
  for (std::size_t i = 0; i < name.size() && name[i] == '.'; ++i) name[i] = '_';
  if (name[0] == '-') name[0] = '_';
  // "NUL.x.drm" names the device too: what counts is the part before the
  // first dot, without the trailing spaces that Windows ignores there.
  std::size_t stem = std::min(name.find('.'), name.size());
  while (stem > 0 && name[stem - 1] == ' ') --stem;
  if (IsWindowsDeviceName(name.substr(0, stem))) name.insert(stem, "_");
  return name + "." + extension;
}

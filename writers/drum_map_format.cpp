#include "writers/drum_map_format.h"

#include <cstring>

#include "export/export_state.h"
#include "writers/binary_drum_map.h"
#include "writers/xml_drum_map.h"

// Both sequencer editions open their drum maps through the same file type,
// so the two formats share the filter and the extension.
const std::array<DrumMapFormatInfo, kDrumMapFormatCount> kDrumMapFormats = {{
    {DrumMapFormat::kXml, "KorvatVQ/VL (XML Style)", "xml", "Korvat drum map(*.drm)", "*.drm", "drm",
     &WriteXmlDrumMap},
    {DrumMapFormat::kBinary, "Korvat 5.x", "binary", "Korvat drum map(*.drm)", "*.drm", "drm",
     &WriteBinaryDrumMap},
}};

const DrumMapFormatInfo* FindDrumMapFormat(std::int32_t formatIndex) {
  if (formatIndex < 0 || formatIndex >= kDrumMapFormatCount) return nullptr;
  return &kDrumMapFormats[static_cast<std::size_t>(formatIndex)];
}

const DrumMapFormatInfo* FindDrumMapFormat(const char* commandLineName) {
  for (const DrumMapFormatInfo& info : kDrumMapFormats)
    if (std::strcmp(info.commandLineName, commandLineName) == 0) return &info;
  return nullptr;
}

std::int32_t FormatIndexFromStoredMode(std::uint32_t mode) {
  return static_cast<std::int32_t>(mode == 1 ? DrumMapFormat::kBinary : DrumMapFormat::kXml);
}

bool WriteDrumMap() {
  const DrumMapFormatInfo* info = FindDrumMapFormat(exportState.formatIndex);
  return info != nullptr && info->write();
}

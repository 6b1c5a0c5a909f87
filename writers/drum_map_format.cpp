#include "writers/drum_map_format.h"

#include <cstring>

#include "export/export_state.h"
#include "writers/binary_drum_map.h"
#include "writers/midnam_document.h"
#include "writers/pitch_list.h"
#include "writers/reaper_note_names.h"
#include "writers/xml_drum_map.h"

// Both sequencer editions open their drum maps through the same file type,
// so the two formats share the filter, the extension and the save dialog's
// title; each of the other sequencers' files is saved under its own.
constexpr std::array<DrumMapFormatInfo, kDrumMapFormatCount> kDrumMapFormats = {{
    {DrumMapFormat::kXml, "KorvatVQ/VL (XML Style)", "xml", "the XML drum map", "Korvat drum map(*.drm)",
     "*.drm", "drm", "Save a Korvat drum map file...", &WriteXmlDrumMap},
    {DrumMapFormat::kBinary, "Korvat 5.x", "binary", "the binary drum map", "Korvat drum map(*.drm)", "*.drm",
     "drm", "Save a Korvat drum map file...", &WriteBinaryDrumMap},
    {DrumMapFormat::kMidiNameDocument, "MIDI name document (.midnam)", "midnam", "a MIDI name document",
     "MIDI name document (*.midnam)", "*.midnam", "midnam", "Save a MIDI name document...",
     &WriteMidiNameDocument},
    {DrumMapFormat::kReaperNoteNames, "REAPER note names (.txt)", "reaper", "REAPER note names",
     "REAPER note names (*.txt)", "*.txt", "txt", "Save REAPER note names...", &WriteReaperNoteNames},
    {DrumMapFormat::kPitchList, "Studio One pitch list (.pitchlist)", "pitchlist", "a Studio One pitch list",
     "Studio One pitch list (*.pitchlist)", "*.pitchlist", "pitchlist", "Save a Studio One pitch list...",
     &WritePitchList},
}};

// A format's list index, its stored value and its enum value are one number.
constexpr bool RowsFollowTheEnum() {
  for (std::size_t row = 0; row < kDrumMapFormats.size(); ++row)
    if (static_cast<std::size_t>(kDrumMapFormats[row].format) != row) return false;
  return true;
}
static_assert(RowsFollowTheEnum(), "kDrumMapFormats must list the formats in the order of DrumMapFormat");

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
  // The settings store the list index; a value that names no format is XML.
  if (mode < static_cast<std::uint32_t>(kDrumMapFormatCount)) return static_cast<std::int32_t>(mode);
  return static_cast<std::int32_t>(DrumMapFormat::kXml);
}

bool WriteDrumMap() {
  const DrumMapFormatInfo* info = FindDrumMapFormat(exportState.formatIndex);
  return info != nullptr && info->write();
}

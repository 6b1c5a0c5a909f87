// The formats the wizard and drummap-export write, the two drum maps of the
// sequencer and the note names of three other sequencers: how each is
// offered (the options dialog's list, the command line, the save dialog's
// filter and default extension) and the one call that writes the selected one.
#pragma once

#include <array>
#include <cstdint>

enum class DrumMapFormat : std::int32_t {
  kXml = 0,               // the XML drum map of the newer sequencer editions
  kBinary = 1,            // the fixed-size binary .drm drum map of the older edition
  kMidiNameDocument = 2,  // MIDI name document (.midnam): Ardour, Digital Performer and others
  kReaperNoteNames = 3,   // REAPER's note names (.txt)
  kPitchList = 4,         // Studio One's pitch list (.pitchlist)
};

struct DrumMapFormatInfo {
  DrumMapFormat format;
  const char* listText;          // the entry in the options dialog's format list
  const char* commandLineName;   // the value of drummap-export's --format
  const char* description;       // what drummap-export's help calls it
  const char* filterText;        // the save dialog's description of the files
  const char* filterPattern;     // and their pattern
  const char* defaultExtension;  // appended by the save dialog, without the dot
  const char* saveTitle;         // the save dialog's title
  bool (*write)();
};

constexpr int kDrumMapFormatCount = 5;

// Every format, in the order of the options dialog's list: the list index is
// `formatIndex`.
extern const std::array<DrumMapFormatInfo, kDrumMapFormatCount> kDrumMapFormats;

// The format at a list index, or null for an index that names none.
const DrumMapFormatInfo* FindDrumMapFormat(std::int32_t formatIndex);
// The format with this command-line name, or null.
const DrumMapFormatInfo* FindDrumMapFormat(const char* commandLineName);

// The format that a stored "drumMapExMode" value selects. The meaning of
// every value ever stored is kept: 1 is the binary drum map, 2, 3 and 4 the
// note-name formats in the order above, any other value the XML drum map.
std::int32_t FormatIndexFromStoredMode(std::uint32_t mode);

// Writes `exportState.filePath` in the format that `exportState.formatIndex`
// names. False when the file could not be written completely (any existing
// file is then left as it was), and when the index names no format: then
// nothing is written at all.
bool WriteDrumMap();

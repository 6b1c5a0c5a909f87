#include "cli/drum_map_reading.h"

#include "cli/input_file.h"
#include "cli/kit_file.h"
#include "export/export_state.h"
#include "writers/binary_drum_map_reader.h"
#include "writers/input_detection.h"
#include "writers/midnam_document_reader.h"
#include "writers/note_table_reader.h"
#include "writers/notes_to_pads.h"
#include "writers/pitch_list_reader.h"
#include "writers/reaper_note_names_reader.h"
#include "writers/utf8_conversion.h"
#include "writers/xml_drum_map_reader.h"
#include "writers/xml_reader.h"

namespace {

constexpr const char* kTried =
    "not a file drummap-export reads (tried the binary and the XML drum map, MIDI name document, pitch list, "
    "REAPER note names, CSV/TSV table and kit text): ";

// At most `limit` bytes of `text`; UTF-8 text is cut before a character, not
// inside one.
std::string Cut(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  if (IsValidUtf8(text))
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

bool ReadXmlInput(const std::string& bytes, const InputSettings& settings, InputFormat format,
                  DrumMapInput& map, std::string& reason) {
  // The drum map is 8-bit text; the MIDI name document and the pitch list
  // are UTF-8.
  const XmlText text = format == InputFormat::kXml ? XmlText::kBytes : XmlText::kUtf8;
  XmlElement root;
  if (!ParseXml(bytes, text, root, reason)) return false;
  switch (format) {
    case InputFormat::kXml:
      return ReadXmlDrumMap(root, map, reason);
    case InputFormat::kMidnam:
      return ReadMidiNameDocument(root, settings.read, map, reason);
    default:
      return ReadPitchList(root, map, reason);
  }
}

}  // namespace

std::string FileStem(const std::string& path) {
  std::string name =
      path.substr(path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

bool ReadInput(const std::string& path, const InputSettings& settings, InputMap& map, std::string& reason) {
  map = InputMap();
  std::string bytes;
  return ReadInputFile(path, kInputFileMaxBytes, bytes, reason) &&
         ReadInputBytes(bytes, settings, map, reason);
}

bool ReadInputBytes(const std::string& bytes, const InputSettings& settings, InputMap& map,
                    std::string& reason) {
  map = InputMap();
  if (bytes.size() > kInputFileMaxBytes) {
    reason =
        "larger than " + std::to_string(kInputFileMaxBytes / (1024 * 1024)) + " MiB, more than any drum map";
    return false;
  }
  map.format = settings.format;
  if (!settings.formatGiven && !DetectInputFormat(bytes, settings.read.octaveOfNote60, map.format, reason)) {
    reason = kTried + reason;
    return false;
  }

  if (map.format == InputFormat::kKit) {
    // Kit text is read exactly as ever: names as they are, no name of its own.
    if (!ParseKitText(bytes, map.pads, reason)) return false;
    return true;
  }

  DrumMapInput input;
  bool read = false;
  switch (map.format) {
    case InputFormat::kBinary:
      read = ReadBinaryDrumMap(bytes, input, reason);
      break;
    case InputFormat::kReaper:
      read = ReadReaperNoteNames(bytes, input, reason);
      break;
    case InputFormat::kTable:
      read = ReadNoteTable(bytes, settings.read.octaveOfNote60, input, reason);
      break;
    default:
      read = ReadXmlInput(bytes, settings, map.format, input, reason);
      break;
  }
  if (!read) return false;
  PadNames pads = NotesToPads(input, settings.read.octaveOfNote60, settings.keepPrefixes);
  map.pads.reserve(kPadCount);
  // Cut, and without the blank a cut may leave at the end.
  for (const std::string& name : pads.names) map.pads.push_back(OneLineName(Cut(name, kPadNameMaxLength)));
  map.mapName = OneLineName(Cut(OneLineName(input.mapName), kMapNameSize - 1));
  map.warnings = std::move(pads.warnings);
  map.notesOutsidePads = pads.notesOutsidePads;
  return true;
}

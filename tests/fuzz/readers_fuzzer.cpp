// Fuzz target for the readers: arbitrary bytes are read as drummap-export
// reads an input (found by content, or as the format a byte picks), and
// whatever is read is written again in one format and read back. A violated
// property aborts, so libFuzzer keeps the input as a crash.
//
// Input layout (missing bytes count as 0):
//   byte 0   bits 0-2 --from (0 found by content, 1-7 kit, xml, binary,
//            midnam, reaper, pitchlist, csv), bit 3 --keep-prefixes,
//            bits 4-5 the octave of note 60 (0 and 3: 3, 1: 4, 2: 5)
//   byte 1   the format written again, modulo 5
//   byte 2   the length of --model, modulo 16
//   then     --model, then the file
//
// Properties: reading never crashes, hangs or fails without a reason; the
// names read are at most 254 bytes and, from any input but a kit, one line
// without blanks at the ends; written in a format and read back they are
// found as that format and are the same text (the binary map: the same
// after a second trip, within its 11 bytes); the map's name comes back too.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/drum_map_reading.h"
#include "cli/kit_file.h"
#include "export/export_state.h"
#include "writers/drum_map_format.h"
#include "writers/named_notes.h"
#include "writers/notes_to_pads.h"
#include "writers/utf8_conversion.h"
#include "writers/write_capture.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail = std::string()) {
  std::fprintf(stderr, "readers_fuzzer: %s %s\n", what, detail.c_str());
  std::abort();
}

using Pads = std::vector<std::string>;

struct Map {
  Pads pads;
  std::string name;
};

std::string Write(const Map& map, std::int32_t format) {
  ResetExportState();
  const ScopedUtf8Conversion conversion(KitTextConversion(map.pads), &Utf8AsIs);
  for (int pad = 0; pad < kPadCount; ++pad) SetPadName(pad, map.pads[static_cast<std::size_t>(pad)].c_str());
  CopyText(exportState.mapName, map.name.c_str());
  CopyText(exportState.filePath, "-");
  exportState.addNoteNames = 1;
  exportState.formatIndex = format;
  std::string bytes;
  const ScopedWriteCapture capture(bytes);
  if (!WriteDrumMap()) Fail("a write into memory failed");
  return bytes;
}

Map ReadBack(const std::string& bytes, std::int32_t format) {
  static const InputFormat kFormats[] = {InputFormat::kXml, InputFormat::kBinary, InputFormat::kMidnam,
                                         InputFormat::kReaper, InputFormat::kPitchList};
  InputMap read;
  std::string reason;
  if (!ReadInputBytes(bytes, InputSettings(), read, reason))
    Fail("what was written does not read back:", reason);
  if (read.format != kFormats[format]) Fail("what was written is found as", InputFormatName(read.format));
  if (!read.warnings.empty()) Fail("what was written reads with a warning:", read.warnings[0]);
  return Map{read.pads, read.mapName};
}

Pads Text(const Pads& pads) {
  const Utf8Conversion conversion = KitTextConversion(pads);
  Pads text;
  for (const std::string& name : pads) text.push_back(conversion(name));
  return text;
}

// The first pad whose names differ, for the report.
std::string Difference(const Pads& a, const Pads& b) {
  for (std::size_t pad = 0; pad < a.size() && pad < b.size(); ++pad)
    if (a[pad] != b[pad])
      return "pad " + std::to_string(pad) + ": '" + a[pad] + "' (" + std::to_string(a[pad].size()) +
             " bytes) and '" + b[pad] + "' (" + std::to_string(b[pad].size()) + " bytes)";
  return "a different number of pads";
}

// The map's name is taken on its own: valid UTF-8 as UTF-8, else
// Windows-1252.
std::string NameText(const Map& map) { return Utf8AsIs(map.name); }

// UTF-8 text cut to at most `limit` bytes before a character, without a
// blank the cut leaves at the end: 8-bit names grow in UTF-8, and a pad
// holds 254 bytes, a map name 55.
std::string Fit(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return OneLineName(text.substr(0, end));
}

// What the note-name formats write of names (named_notes.h: C1 control
// characters as U+FFFD), held to a pad's bytes.
Pads AsNoteNames(Pads pads) {
  for (std::string& name : pads) name = Fit(NoteNameText(name), kPadNameMaxLength);
  return pads;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const unsigned flags = size > 0 ? data[0] : 0;
  const std::int32_t format = static_cast<std::int32_t>((size > 1 ? data[1] : 0) % kDrumMapFormatCount);
  const std::size_t modelLength = (size > 2 ? data[2] : 0) % 16;
  const std::size_t modelStart = std::min<std::size_t>(3, size);
  const std::string model = input.substr(modelStart, modelLength);
  const std::string file = input.substr(std::min(size, modelStart + modelLength));

  InputSettings settings;
  static const InputFormat kFrom[] = {InputFormat::kKit,    InputFormat::kXml,    InputFormat::kBinary,
                                      InputFormat::kMidnam, InputFormat::kReaper, InputFormat::kPitchList,
                                      InputFormat::kTable};
  settings.formatGiven = (flags & 7) != 0;
  if (settings.formatGiven) settings.format = kFrom[(flags & 7) - 1];
  settings.keepPrefixes = (flags & 8) != 0;
  const unsigned octave = (flags >> 4) & 3;
  settings.read.octaveOfNote60 = octave == 1 ? 4 : octave == 2 ? 5 : 3;
  settings.read.model = model;

  InputMap read;
  std::string reason;
  if (!ReadInputBytes(file, settings, read, reason)) {
    if (reason.empty() || reason.find('\n') != std::string::npos) Fail("a refusal without a one-line reason");
    return 0;
  }
  if (read.pads.size() != static_cast<std::size_t>(kPadCount)) Fail("not 96 pads");
  const bool kit = read.format == InputFormat::kKit;
  for (const std::string& name : read.pads) {
    if (kit) continue;
    if (name.size() > static_cast<std::size_t>(kPadNameMaxLength)) Fail("a name longer than 254 bytes");
    if (name != OneLineName(name)) Fail("a name not on one line or with blanks at its ends:", name);
  }
  if (!kit && read.mapName.size() >= static_cast<std::size_t>(kMapNameSize)) Fail("a map name too long");

  // The names as the export state holds them: at most 254 bytes.
  Map first{read.pads, read.mapName};
  for (std::string& name : first.pads) name = name.substr(0, kPadNameMaxLength);
  const Map once = ReadBack(Write(first, format), format);
  const Map twice = ReadBack(Write(once, format), format);
  if (Text(twice.pads) != Text(once.pads))
    Fail("a second trip changed the names:", Difference(Text(once.pads), Text(twice.pads)));
  if (format != static_cast<std::int32_t>(DrumMapFormat::kBinary)) {
    // The XML drum map holds the bytes read; the note-name formats hold
    // UTF-8, in which 8-bit names grow.
    const bool utf8 = format != static_cast<std::int32_t>(DrumMapFormat::kXml);
    const Pads expectedPads = utf8 ? AsNoteNames(Text(first.pads)) : Text(first.pads);
    if (!kit && Text(once.pads) != expectedPads)
      Fail("a trip changed the names:", Difference(expectedPads, Text(once.pads)));
    const std::string name = NameText(once);
    const std::string nameRead = OneLineName(NameText(first));
    const bool untitled = utf8 && nameRead.empty();
    const std::string expected = untitled ? "Untitled"
                                 : utf8   ? Fit(NoteNameText(nameRead), kMapNameSize - 1)
                                          : nameRead;
    if (name != expected && !kit) Fail("the map's name changed:", name);
  }
  return 0;
}

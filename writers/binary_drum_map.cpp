#include "writers/binary_drum_map.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "export/export_state.h"
#include "writers/atomic_file.h"
#include "writers/drum_map_order.h"
#include "writers/note_name.h"

namespace {

constexpr int kRecordSize = 24;
constexpr int kNameFieldWidth = 11;
constexpr int kBlockHeaderSize = 10;

using Bytes = std::array<char, kBinaryDrumMapSize>;

// Block headers: tag, entry count (2 bytes) and entry length (4 bytes), both
// big-endian, written as the format's constants.
constexpr char kNotesHeader[kBlockHeaderSize] = {'D', '1', '0', '3', 0, char(0x80), 0, 0, 0, 0x18};
constexpr char kOrderHeader[kBlockHeaderSize] = {'D', '2', '0', '0', 0, 1, 0, 0, 0, char(0x80)};
constexpr char kEndHeader[kBlockHeaderSize] = {'S', '0', '0', '0', 0, 0, 0, 0, 0, 0};

// The fixed bytes of a note record; n goes to offsets 2, 9 and 10, the name
// field to 12..22, and offset 23 stays 0.
constexpr char kRecordTemplate[kRecordSize] = {0x00, 0x09, 0, 0x07, 0x0A, 0x78, 0x46, 0x5A, 0x6E, 0, 0, 0x00};

// The 11-character name field: note name (if wanted) and as much of the pad
// name as fits, left-aligned and filled with '-'. Notes without a pad get
// eleven hyphens.
void FillNameField(char* field, int note) {
  std::memset(field, '-', kNameFieldWidth);
  const int pad = note - kFirstPadNote;
  if (pad < 0 || pad >= kPadCount) return;
  char text[kNameFieldWidth + 1] = {};
  std::size_t length = 0;
  if (exportState.addNoteNames == 1) {
    FormatNoteName(text, note, exportState.octaveOfNote60);
    length = std::strlen(text);
  }
  const char* name = exportState.padNames[pad];
  while (length < kNameFieldWidth && *name != '\0') text[length++] = *name++;
  std::memcpy(field, text, length);
}

void WriteRecord(char* record, int note) {
  std::memcpy(record, kRecordTemplate, kRecordSize);
  record[2] = record[9] = record[10] = static_cast<char>(note);
  FillNameField(record + 12, note);
}

}  // namespace

bool WriteBinaryDrumMap() {
  Bytes bytes{};
  char* out = bytes.data();
  std::memcpy(out, kNotesHeader, kBlockHeaderSize);
  out += kBlockHeaderSize;
  for (int note = 0; note < kNoteCount; ++note, out += kRecordSize) WriteRecord(out, note);
  std::memcpy(out, kOrderHeader, kBlockHeaderSize);
  out += kBlockHeaderSize;
  for (const std::uint8_t position : BinaryNotePositions()) *out++ = static_cast<char>(position);
  std::memcpy(out, kEndHeader, kBlockHeaderSize);

  AtomicFile file(exportState.filePath);
  if (!file.IsOpen()) return false;
  file.Write(bytes.data(), bytes.size());
  return file.Commit();
}

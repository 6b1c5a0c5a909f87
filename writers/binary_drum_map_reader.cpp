#include "writers/binary_drum_map_reader.h"

#include <cstring>
#include <vector>

#include "writers/binary_drum_map.h"
#include "writers/utf8_conversion.h"

namespace {

constexpr std::size_t kHeaderSize = 10;
constexpr std::size_t kRecordSize = 24;
constexpr std::size_t kRecords = 128;
constexpr std::size_t kNameOffset = 12;
constexpr std::size_t kNameWidth = 11;
constexpr char kNotesHeader[kHeaderSize] = {'D', '1', '0', '3', 0, char(0x80), 0, 0, 0, 0x18};

// The length of `name` without the '-' filling and blanks among it: "Hat -"
// is written "Hat -------" and read "Hat", so reading again what was
// written gives the same.
std::size_t WithoutFilling(std::string_view name) {
  std::size_t end = name.size();
  while (end > 0 && (name[end - 1] == '-' || static_cast<unsigned char>(name[end - 1]) <= ' ')) --end;
  return end;
}

// The length of `name` without an incomplete UTF-8 character at its end;
// its whole length when it has none.
std::size_t WithoutCutCharacter(std::string_view name) {
  std::size_t start = name.size();
  while (start > 0 && (static_cast<unsigned char>(name[start - 1]) & 0xC0) == 0x80) --start;
  if (start == 0) return name.size();
  const unsigned char lead = static_cast<unsigned char>(name[--start]);
  const std::size_t needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return needed <= name.size() - start ? name.size() : start;
}

// The names were UTF-8 when each is valid UTF-8 once a character cut at the
// end of a full field is dropped, and one holds a character beyond ASCII
// after that: then the cut characters go. 8-bit text (Windows-1252) stays
// as it is.
void DropCutCharacters(std::vector<InputNote>& notes) {
  bool beyondAscii = false;
  for (const InputNote& note : notes) {
    const std::string_view name(note.name);
    const std::string_view kept =
        name.substr(0, name.size() == kNameWidth ? WithoutCutCharacter(name) : name.size());
    if (!IsValidUtf8(kept)) return;
    for (const char c : kept) beyondAscii = beyondAscii || static_cast<unsigned char>(c) >= 0x80;
  }
  if (!beyondAscii) return;
  for (InputNote& note : notes)
    if (note.name.size() == kNameWidth) note.name.resize(WithoutCutCharacter(note.name));
  for (InputNote& note : notes) note.name.resize(WithoutFilling(note.name));
}

}  // namespace

bool LooksLikeBinaryDrumMap(std::string_view bytes) {
  return bytes.substr(0, 4) == std::string_view("D103", 4);
}

bool ReadBinaryDrumMap(std::string_view bytes, DrumMapInput& map, std::string& reason) {
  map = DrumMapInput();
  map.prefix = NotePrefix::kBare;
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kNotesHeader, kHeaderSize) != 0) {
    reason = "not a binary drum map (its first block is not 128 note records)";
    return false;
  }
  if (bytes.size() != static_cast<std::size_t>(kBinaryDrumMapSize)) {
    reason = "a binary drum map of " + std::to_string(bytes.size()) + " bytes, not " +
             std::to_string(kBinaryDrumMapSize) + (bytes.size() < 3230u ? " (cut short?)" : "");
    return false;
  }
  for (std::size_t i = 0; i < kRecords; ++i) {
    const std::string_view record = bytes.substr(kHeaderSize + i * kRecordSize, kRecordSize);
    const int note = static_cast<unsigned char>(record[2]);
    if (note > 127) {
      reason =
          "note record " + std::to_string(i + 1) + " gives the note " + std::to_string(note) + ", not 0-127";
      return false;
    }
    std::string_view name = record.substr(kNameOffset, kNameWidth);
    name = name.substr(0, name.find('\0'));
    name = name.substr(0, WithoutFilling(name));
    if (!name.empty()) map.notes.push_back({note, std::string(name)});
  }
  DropCutCharacters(map.notes);
  return true;
}

#include "writers/named_notes.h"

#include "export/export_state.h"
#include "writers/note_name.h"
#include "writers/utf8_conversion.h"
#include "writers/write_capture.h"

namespace {

constexpr char kDefaultTitle[] = "Untitled";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The file's name without folder and extension. Both separators count: the
// wizard's paths use '\', drummap-export's may use '/'.
std::string_view FileStem(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  const std::size_t dot = path.rfind('.');
  if (dot != std::string_view::npos && dot > 0) path = path.substr(0, dot);
  return path;
}

}  // namespace

std::string NoteNameText(std::string_view utf8) {
  std::size_t first = 0, last = utf8.size();
  while (first < last && IsBlank(utf8[first])) ++first;
  while (last > first && IsBlank(utf8[last - 1])) --last;
  std::string out;
  out.reserve(last - first);
  for (std::size_t i = first; i < last; ++i) {
    // U+0080-U+009F are C2 80 to C2 9F.
    if (utf8[i] == '\xC2' && i + 1 < last && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
        static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out += utf8[i];
    }
  }
  return out;
}

std::vector<NamedNote> NamedNotes() {
  std::vector<NamedNote> notes;
  for (int pad = 0; pad < kPadCount; ++pad) {
    const std::string name = NoteNameText(ExportTextToUtf8(exportState.padNames[pad]));
    if (name.empty()) continue;
    const int note = pad + kFirstPadNote;
    std::string label;
    if (exportState.addNoteNames == 1) label = BracketedNoteName(note, exportState.octaveOfNote60);
    notes.push_back({note, label + name});
  }
  return notes;
}

std::string NoteNamesTitle() {
  const std::string mapName = NoteNameText(UserTextToUtf8(exportState.mapName));
  if (!mapName.empty() && mapName != kDefaultTitle) return mapName;
  if (!WritesAreCaptured()) {
    // Converted first: in a double-byte ANSI code page '\' can be the second
    // byte of a character.
    const std::string stem = NoteNameText(FileStem(UserTextToUtf8(exportState.filePath)));
    if (!stem.empty()) return stem;
  }
  return mapName.empty() ? kDefaultTitle : mapName;
}

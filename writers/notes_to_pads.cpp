#include "writers/notes_to_pads.h"

#include "writers/input_text.h"
#include "writers/note_name.h"
#include "writers/utf8_conversion.h"

namespace {

// The prefix that "Add note names" writes before the name of `note`, in the
// input's style; empty for notes without a note name.
std::string OwnPrefix(int note, NotePrefix style, std::int32_t octaveOfNote60) {
  if (style == NotePrefix::kNone || note < kFirstPadNote || note >= kFirstPadNote + kPadCount) return {};
  if (style == NotePrefix::kBracketed) return BracketedNoteName(note, octaveOfNote60);
  char name[kNoteNameSize];
  FormatNoteName(name, note, octaveOfNote60);
  return name;
}

// Quoted for a warning: at most 40 bytes of it.
std::string Quoted(const std::string& name) {
  return "\"" + (name.size() > 40 ? name.substr(0, 40) + "..." : name) + "\"";
}

}  // namespace

std::string OneLineName(const std::string& name) {
  std::string line = name;
  for (char& c : line)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  // U+FFFE and U+FFFF are no XML characters: the writers of the XML formats
  // put U+FFFD in their place, and so does reading.
  if (IsValidUtf8(line)) {
    for (std::size_t i = 0; i + 2 < line.size(); ++i)
      if (line.compare(i, 2, "\xEF\xBF") == 0 && (line[i + 2] == '\xBE' || line[i + 2] == '\xBF'))
        line[i + 2] = '\xBD';
  }
  return std::string(TrimBlanks(line));
}

PadNames NotesToPads(const DrumMapInput& input, std::int32_t octaveOfNote60, bool keepPrefixes) {
  PadNames pads;
  bool named[kNoteCount] = {};
  std::string firstName[kNoteCount];
  for (const InputNote& entry : input.notes) {
    if (entry.note < 0 || entry.note >= kNoteCount) continue;
    std::string name = OneLineName(entry.name);
    const std::string prefix =
        keepPrefixes ? std::string() : OwnPrefix(entry.note, input.prefix, octaveOfNote60);
    if (!prefix.empty() && name.compare(0, prefix.size(), prefix) == 0)
      name = std::string(TrimBlanks(std::string_view(name).substr(prefix.size())));
    if (name.empty()) continue;
    if (named[entry.note]) {
      pads.warnings.push_back("note " + std::to_string(entry.note) + " is named twice: " +
                              Quoted(firstName[entry.note]) + " is kept, " + Quoted(name) + " is left out");
      continue;
    }
    named[entry.note] = true;
    firstName[entry.note] = name;
    const int pad = entry.note - kFirstPadNote;
    if (pad < 0 || pad >= kPadCount) {
      ++pads.notesOutsidePads;
      pads.warnings.push_back("note " + std::to_string(entry.note) + " " + Quoted(name) +
                              " is outside the pads' notes 24-119 and is left out");
      continue;
    }
    pads.names[static_cast<std::size_t>(pad)] = name;
  }
  return pads;
}

#include "writers/reaper_note_names_reader.h"

#include "writers/input_text.h"

namespace {

enum class LineKind { kEmpty, kComment, kNote, kControl, kOther };

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What a line is; for a note line its number (digits as written) and name,
// for a comment its text.
LineKind Classify(std::string_view line, std::string_view& number, std::string_view& rest) {
  line = TrimBlanks(line);
  if (line.empty()) return LineKind::kEmpty;
  if (line[0] == '#' || line.substr(0, 2) == "//") {
    rest = TrimBlanks(line.substr(line[0] == '#' ? 1 : 2));
    return LineKind::kComment;
  }
  std::size_t digits = 0;
  while (digits < line.size() && IsDigit(line[digits])) ++digits;
  if (digits > 0 && digits < line.size() && IsBlank(line[digits])) {
    number = line.substr(0, digits);
    rest = TrimBlanks(line.substr(digits));
    return LineKind::kNote;
  }
  if (digits > 0 && digits == line.size()) {  // a number without a name
    number = line;
    rest = {};
    return LineKind::kNote;
  }
  if (line.size() > 2 && (line[0] == 'C' || line[0] == 'c') && (line[1] == 'C' || line[1] == 'c') &&
      IsDigit(line[2]))
    return LineKind::kControl;
  return LineKind::kOther;
}

}  // namespace

bool LooksLikeReaperNoteNames(std::string_view text, bool& firstIsComment) {
  firstIsComment = false;
  bool first = true;
  bool anyNote = false;
  bool seen[128] = {};
  for (const std::string_view line : InputLines(text)) {
    std::string_view number, rest;
    const LineKind kind = Classify(line, number, rest);
    if (kind == LineKind::kEmpty) continue;
    if (first && kind == LineKind::kComment) {
      firstIsComment = true;
      return true;
    }
    first = false;
    if (kind == LineKind::kOther) return false;
    if (kind != LineKind::kNote) continue;
    int note;
    if (!ParseNoteNumber(number, note) || seen[note]) return false;
    seen[note] = true;
    anyNote = true;
  }
  return anyNote;
}

bool ReadReaperNoteNames(std::string_view text, DrumMapInput& map, std::string& reason) {
  map = DrumMapInput();
  map.prefix = NotePrefix::kBracketed;
  bool named = false;
  int lineNumber = 0;
  for (const std::string_view line : InputLines(text)) {
    ++lineNumber;
    std::string_view number, rest;
    switch (Classify(line, number, rest)) {
      case LineKind::kEmpty:
      case LineKind::kControl:
        break;
      case LineKind::kComment:
        if (!named) map.mapName.assign(rest);
        named = true;
        break;
      case LineKind::kNote: {
        int note;
        if (!ParseNoteNumber(number, note)) {
          reason = "line " + std::to_string(lineNumber) + ": the note " + std::string(number.substr(0, 10)) +
                   " is not a note number 0-127";
          return false;
        }
        if (line.find('\0') != std::string_view::npos) {
          reason = "line " + std::to_string(lineNumber) + " holds a NUL byte (is it a text file?)";
          return false;
        }
        if (!rest.empty()) map.notes.push_back({note, std::string(rest)});
        break;
      }
      case LineKind::kOther:
        reason = "line " + std::to_string(lineNumber) +
                 " is neither a comment (# or //), a note line (number, blanks, name) nor a CC line";
        return false;
    }
  }
  return true;
}

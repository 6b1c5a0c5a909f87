#include "writers/note_table_reader.h"

#include <vector>

#include "writers/input_text.h"

namespace {

char Separator(const std::vector<std::string_view>& lines) {
  for (const std::string_view line : lines) {
    if (TrimBlanks(line).empty()) continue;
    for (const char c : {'\t', ',', ';'})
      if (line.find(c) != std::string_view::npos) return c;
    return '\0';
  }
  return '\0';
}

// One field from the start of `line`: quoted or up to the separator (or
// the end with `rest`). `line` moves past the field and its separator.
bool Field(std::string_view& line, char separator, bool rest, std::string& field) {
  field.clear();
  const std::string_view trimmed = separator == '\t' ? line : TrimBlanks(line);
  if (!trimmed.empty() && trimmed.front() == '"') {
    std::size_t i = 1;
    for (;; ++i) {
      if (i >= trimmed.size()) return false;  // no closing quote
      if (trimmed[i] != '"') {
        field += trimmed[i];
      } else if (i + 1 < trimmed.size() && trimmed[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        break;
      }
    }
    std::string_view after = trimmed.substr(i + 1);
    const std::size_t next = after.find(separator);
    line = next == std::string_view::npos ? std::string_view() : after.substr(next + 1);
    return true;
  }
  const std::size_t end = rest ? std::string_view::npos : line.find(separator);
  field.assign(line.substr(0, end));
  line = end == std::string_view::npos ? std::string_view() : line.substr(end + 1);
  return true;
}

bool ParseNote(const std::string& field, std::int32_t octaveOfNote60, int& note) {
  const std::string_view text = TrimBlanks(field);
  return ParseNoteNumber(text, note) || ParseNoteName(text, octaveOfNote60, note);
}

bool StartsWithDigit(std::string_view line) {
  line = TrimBlanks(line);
  if (!line.empty() && line[0] == '"') line.remove_prefix(1);
  return !line.empty() && line[0] >= '0' && line[0] <= '9';
}

enum class Row { kEmpty, kNote, kOther, kBadQuote };

Row ParseRow(std::string_view line, char separator, std::int32_t octaveOfNote60, int& note,
             std::string& name) {
  if (TrimBlanks(line).empty()) return Row::kEmpty;
  if (separator == '\0' || line.find(separator) == std::string_view::npos) return Row::kOther;
  std::string first;
  if (!Field(line, separator, false, first)) return Row::kBadQuote;
  if (!ParseNote(first, octaveOfNote60, note)) return Row::kOther;
  if (!Field(line, separator, true, name)) return Row::kBadQuote;
  return Row::kNote;
}

}  // namespace

bool LooksLikeNoteTable(std::string_view text, std::int32_t octaveOfNote60) {
  const std::vector<std::string_view> lines = InputLines(text);
  const char separator = Separator(lines);
  bool first = true;
  bool any = false;
  for (const std::string_view line : lines) {
    int note;
    std::string name;
    const Row row = ParseRow(line, separator, octaveOfNote60, note, name);
    if (row == Row::kEmpty) continue;
    if (row == Row::kNote) {
      any = true;
    } else if (!(first && row == Row::kOther && !StartsWithDigit(line) &&
                 line.find(separator) != line.npos)) {
      return false;
    }
    first = false;
  }
  return any;
}

bool ReadNoteTable(std::string_view text, std::int32_t octaveOfNote60, DrumMapInput& map,
                   std::string& reason) {
  map = DrumMapInput();
  const std::vector<std::string_view> lines = InputLines(text);
  const char separator = Separator(lines);
  bool first = true;
  int lineNumber = 0;
  for (const std::string_view line : lines) {
    ++lineNumber;
    int note;
    std::string name;
    const Row row = ParseRow(line, separator, octaveOfNote60, note, name);
    if (row == Row::kEmpty) continue;
    // A header names its columns; a number there is a note out of range.
    const bool header = first && row == Row::kOther && !StartsWithDigit(line);
    first = false;
    if (header) continue;
    if (line.find('\0') != std::string_view::npos) {
      reason = "line " + std::to_string(lineNumber) + " holds a NUL byte (is it a text file?)";
      return false;
    }
    if (row == Row::kBadQuote) {
      reason = "line " + std::to_string(lineNumber) + ": a quoted field is not closed";
      return false;
    }
    if (row == Row::kOther) {
      reason = "line " + std::to_string(lineNumber) +
               ": no note (0-127 or a name such as C1 or D#2) and separator at its start";
      return false;
    }
    if (!name.empty()) map.notes.push_back({note, name});
  }
  return true;
}

#include "writers/input_text.h"

std::vector<std::string_view> InputLines(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool ParseNoteNumber(std::string_view text, int& note) {
  if (text.empty() || text.size() > 3) return false;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > 127) return false;
  note = value;
  return true;
}

bool ParseNoteName(std::string_view text, std::int32_t octaveOfNote60, int& note) {
  static const int kSteps[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (text.size() < 2 || text.size() > 4) return false;
  char letter = text[0];
  if (letter >= 'a' && letter <= 'g') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'G') return false;
  int pitch = kSteps[letter - 'A'];
  std::size_t i = 1;
  if (text[i] == '#') {
    ++pitch;
    ++i;
  } else if (text[i] == 'b') {
    --pitch;
    ++i;
  }
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  if (i + 1 != text.size() || text[i] < '0' || text[i] > '9') return false;
  int octave = text[i] - '0';
  if (negative) octave = -octave;
  if (octaveOfNote60 < 3 || octaveOfNote60 > 5) octaveOfNote60 = 3;
  // Note 60 is C<octaveOfNote60>.
  const int value = 60 + (octave - octaveOfNote60) * 12 + pitch;
  if (value < 0 || value > 127) return false;
  note = value;
  return true;
}

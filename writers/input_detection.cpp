#include "writers/input_detection.h"

#include <algorithm>

#include "writers/binary_drum_map_reader.h"
#include "writers/input_text.h"
#include "writers/note_table_reader.h"
#include "writers/reaper_note_names_reader.h"

namespace {

std::string_view AfterBomAndSpace(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  const std::size_t start = bytes.find_first_not_of(" \t\r\n");
  return start == std::string_view::npos ? std::string_view() : bytes.substr(start);
}

}  // namespace

std::string XmlRootName(std::string_view bytes) {
  std::string_view text = AfterBomAndSpace(bytes);
  while (text.size() > 1 && text[0] == '<') {
    const char* end = text.substr(0, 4) == "<!--" ? "-->"
                      : text[1] == '?'            ? "?>"
                      : text[1] == '!'            ? ">"
                                                  : nullptr;
    if (end == nullptr) {
      const std::size_t length = std::min(text.find_first_of(" \t\r\n/>", 1), text.size());
      return std::string(text.substr(1, length - 1));
    }
    const std::size_t found = text.find(end);
    if (found == std::string_view::npos) return std::string();
    text = AfterBomAndSpace(text.substr(found + std::string_view(end).size()));
  }
  return std::string();
}

bool DetectInputFormat(std::string_view bytes, std::int32_t octaveOfNote60, InputFormat& format,
                       std::string& reason) {
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
    reason = "UTF-16 text, which is not read; save it as UTF-8";
    return false;
  }
  if (LooksLikeBinaryDrumMap(bytes)) {
    format = InputFormat::kBinary;
    return true;
  }
  const std::string_view text = AfterBomAndSpace(bytes);
  if (!text.empty() && text[0] == '<') {
    const std::string root = XmlRootName(bytes);
    if (root == "DrumMap") {
      format = InputFormat::kXml;
    } else if (root == "MIDINameDocument") {
      format = InputFormat::kMidnam;
    } else if (root == "Music.PitchNameList") {
      format = InputFormat::kPitchList;
    } else {
      reason = root.empty() ? "an XML file without a root element"
                            : "an XML file with the root element <" + root.substr(0, 40) + ">";
      return false;
    }
    return true;
  }
  if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos) {
    const auto line = std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(nul), '\n') + 1;
    reason = "binary data (line " + std::to_string(line) + " holds a NUL byte)";
    return false;
  }
  bool firstIsComment = false;
  if (LooksLikeReaperNoteNames(bytes, firstIsComment)) {
    format = InputFormat::kReaper;
  } else if (LooksLikeNoteTable(bytes, octaveOfNote60)) {
    format = InputFormat::kTable;
  } else {
    format = InputFormat::kKit;
  }
  return true;
}

// Fuzz target for hostile kits: arbitrary bytes become a kit file, the
// options and a map name; the export state is filled as drummap-export fills
// it, both drum maps and the three note-name files are written, and every
// property of the files is checked against what went in. A violated property
// aborts, so libFuzzer keeps the input as a crash.
//
// Input layout (missing bytes count as 0):
//   byte 0   bit 0 note names, bit 1 move empty pads to end, bit 2 a write
//            fault in the XML map, bit 3 a write fault in the binary map,
//            bit 4 General MIDI names for empty pads, bits 5-6 the octave of
//            note 60 (0 and 3: 3, 1: 4, 2: 5), bit 7 a write fault in the
//            note-name files
//   byte 1   length of the map name, modulo 56
//   byte 2   where the write fault strikes
//   then     the map name, then the kit text (through ParseKitText)
//
// The kit is read as UTF-8 when all of it is valid UTF-8, else as
// Windows-1252, through the same choice as drummap-export's; the map name is
// decided on its own, as drummap-export decides it. Every MIDI name document
// is validated against the document type kept in tests/dtd.
//
// Expected values come from the export state as it was filled, not from the
// raw input: a NUL byte inside the map name ends it (a kit with a NUL byte
// in a line is refused).

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/valid.h>

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/kit_file.h"
#include "export/export_state.h"
#include "writers/write_seams.h"
#include "writers/binary_drum_map.h"
#include "writers/general_midi_percussion.h"
#include "writers/midnam_document.h"
#include "writers/pitch_list.h"
#include "writers/reaper_note_names.h"
#include "writers/utf8_conversion.h"
#include "writers/xml_drum_map.h"

namespace fs = std::filesystem;

namespace {

constexpr char kDirectorySentinel[] = "directory that no export touches";
constexpr int kXmlLines = 1814;
constexpr int kNameFieldWidth = 11;

// ---------------------------------------------------------------------------
// The fuzzer's own folder and the five targets in it, reused by every input.

fs::path folder;
std::string xmlPath;
std::string binaryPath;
std::string midnamPath;
std::string reaperPath;
std::string pitchListPath;
// The saved files' name without the extension: the note-name files' title
// while the map name is the default or empty.
constexpr char kFileStem[] = "map";

xmlDtd* midnamDtd = nullptr;

void RemoveFolder() {
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

// Reports a violated property and aborts, for libFuzzer to save the input.
[[noreturn]] __attribute__((format(printf, 1, 2))) void Fail(const char* format, ...) {
  std::fputs("drum_map_fuzzer: ", stderr);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  RemoveFolder();
  std::abort();
}

#define CHECK(condition, ...)            \
  do {                                   \
    if (!(condition)) Fail(__VA_ARGS__); \
  } while (0)

bool ReadFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  bytes.resize(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  return static_cast<bool>(in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())));
}

// The folder holds the targets written so far and nothing else: no temporary
// file survives an export, failed or not.
void CheckFolderHoldsOnlyTargets() {
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string path = entry.path().string();
    CHECK(path == xmlPath || path == binaryPath || path == midnamPath || path == reaperPath ||
              path == pitchListPath,
          "stray file left behind: %s", path.c_str());
  }
}

// ---------------------------------------------------------------------------
// The input, split.

struct Input {
  bool noteNames = false;
  bool moveEmptyPads = false;
  bool xmlFault = false;
  bool binaryFault = false;
  bool fillGeneralMidi = false;
  int octaveOfNote60 = 3;
  bool noteNameFault = false;
  unsigned faultByte = 0;
  std::string mapName;  // up to 55 bytes, may hold NULs
  std::string kit;
};

Input Split(const std::uint8_t* data, std::size_t size) {
  auto at = [&](std::size_t i) -> unsigned { return i < size ? data[i] : 0u; };
  Input in;
  in.noteNames = (at(0) & 1) != 0;
  in.moveEmptyPads = (at(0) & 2) != 0;
  in.xmlFault = (at(0) & 4) != 0;
  in.binaryFault = (at(0) & 8) != 0;
  in.fillGeneralMidi = (at(0) & 16) != 0;
  static const int kOctaves[4] = {3, 4, 5, 3};
  in.octaveOfNote60 = kOctaves[(at(0) >> 5) & 3];
  in.noteNameFault = (at(0) & 128) != 0;
  in.faultByte = at(2);
  const std::size_t rest = size > 3 ? size - 3 : 0;
  const std::size_t nameLength = std::min<std::size_t>(at(1) % kMapNameSize, rest);
  const char* text = reinterpret_cast<const char*>(data) + (size - rest);
  in.mapName.assign(text, nameLength);
  in.kit.assign(text + nameLength, rest - nameLength);
  return in;
}

// ---------------------------------------------------------------------------
// The kit text: a UTF-8 byte-order mark skipped, UTF-16 refused; line k names
// pad k; lines end in LF or CR LF, or in CR where no LF is in the text; at
// most 96 lines, no NUL byte in them, at most 1 MiB.

// What the kit file rules make of a text: its lines (with no limit on their
// number), or why it is refused.
struct KitModel {
  std::vector<std::string> lines;
  std::string refusal;  // a part of the reason ParseKitText must give; empty if accepted
};

KitModel ModelKit(const std::string& text) {
  KitModel kit;
  if (text.size() > kKitFileMaxBytes) {
    kit.refusal = "1 MiB";
    return kit;
  }
  const std::string body = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text;
  const std::string head = body.substr(0, 4);
  if (head == std::string("\xFF\xFE\0\0", 4) || head == std::string("\0\0\xFE\xFF", 4)) {
    kit.refusal = "UTF-32";
    return kit;
  }
  if (head.compare(0, 2, "\xFF\xFE") == 0 || head.compare(0, 2, "\xFE\xFF") == 0) {
    kit.refusal = "UTF-16";
    return kit;
  }
  const bool crOnly = body.find('\n') == std::string::npos;
  // Byte by byte: a line is closed by its break; a final line without one
  // counts too.
  std::string line;
  bool open = false;
  for (std::size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    const bool lineBreak = crOnly ? c == '\r' : c == '\n';
    if (!lineBreak) {
      line += c;
      open = true;
      continue;
    }
    kit.lines.push_back(line);
    line.clear();
    open = false;
  }
  if (open) kit.lines.push_back(line);
  // In an LF text a CR before the line's end belongs to the line break.
  if (!crOnly)
    for (std::string& l : kit.lines)
      if (!l.empty() && l.back() == '\r') l.pop_back();
  // Lines of spaces and tabs after the 96th are no pads (their CRs too).
  while (kit.lines.size() > static_cast<std::size_t>(kPadCount) &&
         kit.lines.back().find_first_not_of(" \t\r") == std::string::npos)
    kit.lines.pop_back();
  for (std::size_t k = 0; k < kit.lines.size(); ++k) {
    if (k == static_cast<std::size_t>(kPadCount)) {
      kit.refusal = "more than 96 lines";
      break;
    }
    if (kit.lines[k].find('\0') != std::string::npos) {
      kit.refusal = "line " + std::to_string(k + 1) + " ";
      break;
    }
  }
  return kit;
}

// Parses the kit; returns false when ParseKitText refused it (rightly, and
// for the right reason).
bool ParseKit(const std::string& text, std::vector<std::string>& names) {
  std::string reason;
  const bool parsed = ParseKitText(text, names, reason);
  const KitModel kit = ModelKit(text);
  CHECK(parsed == kit.refusal.empty(), "ParseKitText answered %d for %zu lines (expected: %s)", parsed,
        kit.lines.size(), kit.refusal.empty() ? "accepted" : kit.refusal.c_str());
  if (!parsed) {
    CHECK(reason.find(kit.refusal) != std::string::npos && reason.find('\n') == std::string::npos,
          "refused with '%s', expected a reason with '%s' on one line", reason.c_str(), kit.refusal.c_str());
    return false;
  }
  CHECK(names.size() == static_cast<std::size_t>(kPadCount), "%zu names instead of 96", names.size());
  for (int pad = 0; pad < kPadCount; ++pad) {
    const std::string expected = pad < static_cast<int>(kit.lines.size()) ? kit.lines[pad] : std::string();
    CHECK(names[pad] == expected, "pad %d parsed wrongly", pad);
  }
  return true;
}

// ---------------------------------------------------------------------------
// Filling the export state, as drummap-export does.

void FillExportState(const Input& in, const std::vector<std::string>& names) {
  ResetExportState();
  for (int pad = 0; pad < kPadCount; ++pad) SetPadName(pad, names[pad].c_str());
  std::strcpy(exportState.mapName, in.mapName.c_str());
  exportState.addNoteNames = in.noteNames ? 1 : 0;
  exportState.moveEmptyPadsToEnd = in.moveEmptyPads ? 1 : 0;
  exportState.octaveOfNote60 = in.octaveOfNote60;
}

bool AllZero(const char* bytes, std::size_t size) {
  return std::all_of(bytes, bytes + size, [](char c) { return c == '\0'; });
}

// Every slot holds its name cut to 254 bytes and zeros after it, whatever
// the previous input left there; no field beside the slots was touched.
void CheckExportState(const Input& in, const std::vector<std::string>& names) {
  for (int pad = 0; pad < kPadCount; ++pad) {
    const char* slot = exportState.padNames[pad];
    const std::size_t length = std::min<std::size_t>(std::strlen(names[pad].c_str()), kPadNameMaxLength);
    CHECK(std::memcmp(slot, names[pad].data(), length) == 0, "pad %d: name not copied", pad);
    CHECK(AllZero(slot + length, kPadNameSize - length), "pad %d: slot not cleared after the name", pad);
  }
  CHECK(std::strcmp(exportState.storedPath, "C:\\") == 0 &&
            AllZero(exportState.storedPath + 3, kStoredPathSize - 3),
        "storedPath overwritten");
  CHECK(std::strcmp(exportState.directory, kDirectorySentinel) == 0, "directory overwritten");
  CHECK(std::strcmp(exportState.mapName, in.mapName.c_str()) == 0, "map name not stored");
  CHECK(exportState.formatIndex == 0 && exportState.fileSaved == 0, "formatIndex or fileSaved overwritten");
  CHECK(exportState.octaveOfNote60 == in.octaveOfNote60, "octave of note 60 not stored");
}

// General MIDI names went exactly into the empty pads of notes 35-81.
void CheckGeneralMidiFill(const std::vector<std::string>& names) {
  for (int pad = 0; pad < kPadCount; ++pad) {
    const int note = pad + kFirstPadNote;
    const std::string before =
        names[pad].substr(0, std::min<std::size_t>(std::strlen(names[pad].c_str()), kPadNameMaxLength));
    const char* general = GeneralMidiPercussionName(note);
    const std::string expected = before.empty() && general != nullptr ? general : before;
    CHECK(exportState.padNames[pad] == expected, "pad %d after the General MIDI fill", pad);
    CHECK(AllZero(exportState.padNames[pad] + expected.size(), kPadNameSize - expected.size()),
          "pad %d: slot not cleared after the General MIDI name", pad);
  }
}

// ---------------------------------------------------------------------------
// What the files must say, computed from the export state.

struct Expected {
  std::string mapName;
  std::array<std::string, kPadCount> padNames;
  bool noteNames;
  bool moveEmptyPads;
  int octaveOfNote60;
  Utf8Conversion toUtf8;  // the kit's, for the note-name files
  bool kitIsUtf8;
};

// The kit's conversion to UTF-8, chosen for each input as drummap-export
// chooses it.
Utf8Conversion kitConversion = nullptr;
bool kitIsUtf8 = false;

Expected ExpectedFromState() {
  Expected e;
  e.mapName = exportState.mapName;
  for (int pad = 0; pad < kPadCount; ++pad) e.padNames[pad] = exportState.padNames[pad];
  e.noteNames = exportState.addNoteNames == 1;
  e.moveEmptyPads = exportState.moveEmptyPadsToEnd == 1;
  e.octaveOfNote60 = exportState.octaveOfNote60;
  e.toUtf8 = kitConversion;
  e.kitIsUtf8 = kitIsUtf8;
  return e;
}

bool IsPadNote(int note) { return note >= kFirstPadNote && note < kFirstPadNote + kPadCount; }

std::string NoteName(int note, int octaveOfNote60) {
  static const char* const kPitches[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  const int a = note - kFirstPadNote;
  return std::string(kPitches[a % 12]) + static_cast<char>('0' + a / 12 + octaveOfNote60 - 3);
}

// Notes in display order: the named pads first, then the rest in the order
// of `groups` ("E" empty pads, "L" notes 0-23, "H" notes 120-127).
std::vector<int> DisplayOrder(const Expected& e, const char* groups) {
  std::vector<int> order;
  if (!e.moveEmptyPads) {
    for (int note = 0; note < kNoteCount; ++note) order.push_back(note);
    return order;
  }
  for (int pad = 0; pad < kPadCount; ++pad)
    if (!e.padNames[pad].empty()) order.push_back(pad + kFirstPadNote);
  for (const char* g = groups; *g != '\0'; ++g) {
    if (*g == 'E') {
      for (int pad = 0; pad < kPadCount; ++pad)
        if (e.padNames[pad].empty()) order.push_back(pad + kFirstPadNote);
    } else {
      const int first = *g == 'L' ? 0 : kFirstPadNote + kPadCount;
      const int last = *g == 'L' ? kFirstPadNote : kNoteCount;
      for (int note = first; note < last; ++note) order.push_back(note);
    }
  }
  return order;
}

void CheckPermutation(const std::vector<int>& values, const char* what) {
  CHECK(values.size() == static_cast<std::size_t>(kNoteCount), "%s: %zu entries", what, values.size());
  std::array<bool, kNoteCount> seen{};
  for (const int v : values) {
    CHECK(v >= 0 && v < kNoteCount && !seen[v], "%s: not a permutation of 0..127 (%d)", what, v);
    seen[v] = true;
  }
}

// ---------------------------------------------------------------------------
// The binary drum map.

std::string ExpectedNameField(const Expected& e, int note) {
  std::string text;
  if (IsPadNote(note)) {
    if (e.noteNames) text = NoteName(note, e.octaveOfNote60);
    text += e.padNames[note - kFirstPadNote];
  }
  text.resize(std::min<std::size_t>(text.size(), kNameFieldWidth));
  text.resize(kNameFieldWidth, '-');
  return text;
}

void CheckBinary(const std::string& bytes, const Expected& e) {
  CHECK(bytes.size() == static_cast<std::size_t>(kBinaryDrumMapSize), "binary map of %zu bytes",
        bytes.size());
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  static const unsigned char kHeaders[3][10] = {{'D', '1', '0', '3', 0, 0x80, 0, 0, 0, 0x18},
                                                {'D', '2', '0', '0', 0, 1, 0, 0, 0, 0x80},
                                                {'S', '0', '0', '0', 0, 0, 0, 0, 0, 0}};
  static const int kHeaderOffsets[3] = {0, 3082, 3220};
  for (int h = 0; h < 3; ++h)
    CHECK(std::memcmp(b + kHeaderOffsets[h], kHeaders[h], 10) == 0, "block header at %d", kHeaderOffsets[h]);

  static const struct {
    int offset;
    unsigned char value;
  } kConstants[] = {{0, 0x00}, {1, 0x09}, {3, 0x07}, {4, 0x0A},  {5, 0x78},
                    {6, 0x46}, {7, 0x5A}, {8, 0x6E}, {11, 0x00}, {23, 0x00}};
  for (int note = 0; note < kNoteCount; ++note) {
    const unsigned char* record = b + 10 + 24 * note;
    for (const auto& c : kConstants)
      CHECK(record[c.offset] == c.value, "note %d: byte %d is 0x%02x", note, c.offset, record[c.offset]);
    CHECK(record[2] == note && record[9] == note && record[10] == note, "note %d: note number", note);
    CHECK(std::find(record + 12, record + 23, '\0') == record + 23, "note %d: NUL inside the name field",
          note);
    const std::string field(reinterpret_cast<const char*>(record + 12), kNameFieldWidth);
    CHECK(field == ExpectedNameField(e, note), "note %d: name field", note);
  }

  std::vector<int> positions(b + 3092, b + 3092 + kNoteCount);
  CheckPermutation(positions, "binary order table");
  const std::vector<int> order = DisplayOrder(e, "LEH");
  for (int i = 0; i < kNoteCount; ++i)
    CHECK(positions[order[i]] == i, "binary order table: note %d at %d, not %d", order[i],
          positions[order[i]], i);
}

// ---------------------------------------------------------------------------
// The XML drum map.

// What a reader gets back for a name: the file is read as ISO-8859-1, so
// each byte is one character; control bytes other than TAB, LF and CR were
// written as spaces. Returned in UTF-8, as libxml2 hands it out.
std::string ReadBack(const std::string& name) {
  std::string out;
  for (const char ch : name) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      out += ' ';
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// The bytes the XML drum map holds for a text: the text itself, except from a
// kit read as UTF-8, where a name cut at 254 bytes loses the character the
// cut split and U+FFFE and U+FFFF become spaces (a text that is not UTF-8
// even so keeps its bytes).
std::string XmlDrumMapText(const Expected& e, const std::string& text) {
  if (!e.kitIsUtf8) return text;
  std::string whole = text;
  if (whole.size() == static_cast<std::size_t>(kPadNameMaxLength))
    for (int drop = 0; drop < 3 && !IsValidUtf8(whole); ++drop) whole.pop_back();
  if (!IsValidUtf8(whole)) return text;
  for (const char* nonCharacter : {"\xEF\xBF\xBE", "\xEF\xBF\xBF"})
    for (std::size_t at; (at = whole.find(nonCharacter)) != std::string::npos;) whole.replace(at, 3, " ");
  return whole;
}

std::string ExpectedXmlName(const Expected& e, int note) {
  if (!IsPadNote(note)) return std::string();
  std::string name = e.noteNames ? "[" + NoteName(note, e.octaveOfNote60) + "]" : std::string();
  return name + ReadBack(XmlDrumMapText(e, e.padNames[note - kFirstPadNote]));
}

void CheckXmlLines(const std::string& bytes) {
  int lines = 0;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    CHECK(end != std::string::npos, "XML line %d does not end in CR LF", lines + 1);
    CHECK(bytes.find_first_of("\r\n", start) == end, "stray CR or LF in XML line %d", lines + 1);
    ++lines;
    start = end + 2;
  }
  CHECK(lines == kXmlLines, "XML map of %d lines", lines);
}

std::vector<xmlNode*> Elements(xmlNode* parent) {
  std::vector<xmlNode*> elements;
  for (xmlNode* n = parent->children; n != nullptr; n = n->next)
    if (n->type == XML_ELEMENT_NODE) elements.push_back(n);
  return elements;
}

bool Is(const xmlNode* node, const char* element) {
  return std::strcmp(reinterpret_cast<const char*>(node->name), element) == 0;
}

// An attribute's value; `present` says whether it was there at all.
std::string Attribute(xmlNode* node, const char* name, bool* present = nullptr) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  if (present != nullptr) *present = value != nullptr;
  if (value == nullptr) return std::string();
  std::string text(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return text;
}

int Number(xmlNode* node) {
  const std::string text = Attribute(node, "value");
  CHECK(!text.empty() && text.size() <= 3 && text.find_first_not_of("0123456789") == std::string::npos,
        "number '%s'", text.c_str());
  return std::atoi(text.c_str());
}

// Whether the element's attribute name is `name`; looked up in place, since
// this runs some thousand times per map.
bool HasName(xmlNode* node, const char* name) {
  const xmlAttr* attribute = xmlHasProp(node, reinterpret_cast<const xmlChar*>("name"));
  if (attribute == nullptr) return false;
  const xmlNode* text = attribute->children;
  if (text != nullptr && text->type == XML_TEXT_NODE && text->next == nullptr)
    return xmlStrEqual(text->content, reinterpret_cast<const xmlChar*>(name)) != 0;
  return Attribute(node, "name") == name;
}

// The element among `elements` whose attribute name is `name`.
xmlNode* Named(const std::vector<xmlNode*>& elements, const char* name) {
  for (xmlNode* n : elements)
    if (HasName(n, name)) return n;
  Fail("no element named %s", name);
}

void CheckXmlDocument(xmlNode* root, const Expected& e) {
  CHECK(Is(root, "DrumMap"), "root element %s", reinterpret_cast<const char*>(root->name));
  const std::vector<xmlNode*> top = Elements(root);
  CHECK(top.size() == 5, "%zu elements under DrumMap", top.size());
  CHECK(Is(top[0], "string") && HasName(top[0], "Name"), "map name element");
  bool present = false;
  const std::string mapName = Attribute(top[0], "value", &present);
  CHECK(present && mapName == ReadBack(XmlDrumMapText(e, e.mapName)), "map name reads back as '%s'",
        mapName.c_str());

  const std::vector<xmlNode*> items = Elements(Named(top, "Map"));
  CHECK(items.size() == static_cast<std::size_t>(kNoteCount), "%zu map entries", items.size());
  for (int note = 0; note < kNoteCount; ++note) {
    const std::vector<xmlNode*> fields = Elements(items[note]);
    CHECK(Is(items[note], "item") && fields.size() == 11, "map entry %d has %zu fields", note, fields.size());
    CHECK(Number(Named(fields, "INote")) == note && Number(Named(fields, "ONote")) == note &&
              Number(Named(fields, "DisplayNote")) == note,
          "map entry %d: note numbers", note);
    xmlNode* nameField = Named(fields, "Name");
    const std::string name = Attribute(nameField, "value", &present);
    CHECK(Is(nameField, "string") && present && name == ExpectedXmlName(e, note),
          "map entry %d: name reads back as '%s'", note, name.c_str());
  }

  std::vector<int> order;
  for (xmlNode* item : Elements(Named(top, "Order"))) order.push_back(Number(item));
  CheckPermutation(order, "XML order list");
  CHECK(order == DisplayOrder(e, "ELH"), "XML order list is not in the expected order");
}

void CheckXml(const std::string& bytes, const Expected& e) {
  CheckXmlLines(bytes);
  // The file declares no encoding; its names are 8-bit bytes.
  xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "drum-map.xml", "ISO-8859-1",
                              XML_PARSE_NONET);
  CHECK(doc != nullptr, "the XML map is not well-formed");
  CheckXmlDocument(xmlDocGetRootElement(doc), e);
  xmlFreeDoc(doc);
}

// ---------------------------------------------------------------------------
// The note-name files: the named pads in note order, their names in UTF-8.

using NoteList = std::vector<std::pair<int, std::string>>;

std::size_t CodePoints(const std::string& utf8) {
  return static_cast<std::size_t>(std::count_if(
      utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// A text in UTF-8 through the kit's conversion. A UTF-8 kit's text comes out
// as it went in (a name cut to 254 bytes loses at most an incomplete last
// character); a Windows-1252 kit's has one character for each byte.
std::string ToUtf8(const Expected& e, const std::string& text, bool padName) {
  const std::string utf8 = e.toUtf8(text);
  CHECK(IsValidUtf8(utf8), "a conversion gave text that is not UTF-8");
  if (!padName) return utf8;
  if (e.kitIsUtf8) {
    const bool cut = text.size() == static_cast<std::size_t>(kPadNameMaxLength) &&
                     utf8.size() < text.size() && text.size() - utf8.size() <= 3 &&
                     text.compare(0, utf8.size(), utf8) == 0;
    CHECK(utf8 == text || cut, "a UTF-8 name changed on its way");
  } else {
    CHECK(CodePoints(utf8) == text.size(), "a Windows-1252 name of %zu bytes became %zu characters",
          text.size(), CodePoints(utf8));
  }
  return utf8;
}

// A name as the note-name formats take it: without leading and trailing
// spaces and TABs, the C1 control characters (U+0080-U+009F) as U+FFFD.
std::string Tidied(const std::string& utf8) {
  const std::size_t first = utf8.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  const std::string trimmed = utf8.substr(first, utf8.find_last_not_of(" \t") - first + 1);
  std::string out;
  for (std::size_t i = 0; i < trimmed.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(trimmed[i]);
    if (c == 0xC2 && i + 1 < trimmed.size() && (static_cast<unsigned char>(trimmed[i + 1]) & 0xE0) == 0x80) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// The named pads, labelled as in the XML drum map, before each format treats
// control characters. A name of blanks only names no pad.
NoteList ExpectedNotes(const Expected& e) {
  NoteList notes;
  for (int pad = 0; pad < kPadCount; ++pad) {
    if (e.padNames[pad].empty()) continue;
    const std::string name = Tidied(ToUtf8(e, e.padNames[pad], true));
    if (name.empty()) continue;
    const int note = pad + kFirstPadNote;
    const std::string label = e.noteNames ? "[" + NoteName(note, e.octaveOfNote60) + "]" : std::string();
    notes.emplace_back(note, label + name);
  }
  return notes;
}

// The title of the three note-name files: the map name, read as UTF-8 when
// it is valid UTF-8 and as Windows-1252 otherwise, or the files' name while
// that is empty or the default.
std::string ExpectedTitle(const Expected& e) {
  const std::string mapName = Tidied(Utf8AsIs(e.mapName));
  return mapName.empty() || mapName == "Untitled" ? kFileStem : mapName;
}

// What an XML reader gets back: control characters other than TAB, LF and CR
// became spaces, U+FFFE and U+FFFF became U+FFFD.
std::string XmlReadBack(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      out += ' ';
    } else if (c == 0xEF && utf8.compare(i, 2, "\xEF\xBF") == 0 && i + 2 < utf8.size() &&
               (utf8[i + 2] == '\xBE' || utf8[i + 2] == '\xBF')) {
      out += "\xEF\xBF\xBD";
      i += 2;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// REAPER's lines: every control character became a space.
std::string LineReadBack(const std::string& utf8) {
  std::string out = utf8;
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return out;
}

std::string Content(xmlNode* node) {
  xmlChar* value = xmlNodeGetContent(node);
  std::string text(value != nullptr ? reinterpret_cast<const char*>(value) : "");
  xmlFree(value);
  return text;
}

// Elements with these names, in this order.
std::vector<xmlNode*> ElementsNamed(xmlNode* parent, const std::vector<const char*>& names) {
  const std::vector<xmlNode*> elements = Elements(parent);
  CHECK(elements.size() == names.size(), "%zu elements under %s instead of %zu", elements.size(),
        reinterpret_cast<const char*>(parent->name), names.size());
  for (std::size_t i = 0; i < names.size(); ++i)
    CHECK(Is(elements[i], names[i]), "%s where %s belongs", reinterpret_cast<const char*>(elements[i]->name),
          names[i]);
  return elements;
}

// <element Number="n" Name="..."/> and the like, read into a list.
NoteList ReadNotes(xmlNode* list, const char* element, const char* number, const char* name) {
  NoteList notes;
  for (xmlNode* n : Elements(list)) {
    CHECK(Is(n, element), "a %s among the notes", reinterpret_cast<const char*>(n->name));
    const std::string value = Attribute(n, number);
    CHECK(!value.empty() && value.size() <= 3 && value.find_first_not_of("0123456789") == std::string::npos,
          "note number '%s'", value.c_str());
    bool present = false;
    const std::string text = Attribute(n, name, &present);
    CHECK(present, "a note without a name");
    notes.emplace_back(std::atoi(value.c_str()), text);
  }
  return notes;
}

void CheckNotes(const NoteList& got, const NoteList& expected, std::string (*readBack)(const std::string&),
                const char* what) {
  CHECK(got.size() == expected.size(), "%s: %zu notes instead of %zu", what, got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    CHECK(got[i].first == expected[i].first, "%s: note %zu is number %d, not %d", what, i, got[i].first,
          expected[i].first);
    CHECK(got[i].second == readBack(expected[i].second), "%s: note %d reads back as '%s'", what, got[i].first,
          got[i].second.c_str());
  }
}

xmlDoc* ReadUtf8Xml(const std::string& bytes, const char* what) {
  CHECK(bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0) == 0, "%s: no UTF-8 declaration",
        what);
  // The declared encoding is the one read.
  xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), what, nullptr, XML_PARSE_NONET);
  CHECK(doc != nullptr, "%s is not well-formed", what);
  return doc;
}

void CheckMidnam(const std::string& bytes, const Expected& e) {
  static const char kDoctype[] =
      "<!DOCTYPE MIDINameDocument PUBLIC \"-//MIDI Manufacturers Association//DTD MIDINameDocument 1.0//EN\" "
      "\"http://www.midi.org/dtds/MIDINameDocument10.dtd\">\n";
  xmlDoc* doc = ReadUtf8Xml(bytes, "the MIDI name document");
  CHECK(bytes.find(kDoctype) == bytes.find('\n') + 1, "no document type after the declaration");
  xmlNode* root = xmlDocGetRootElement(doc);
  CHECK(Is(root, "MIDINameDocument"), "root element %s", reinterpret_cast<const char*>(root->name));
  const std::vector<xmlNode*> top = ElementsNamed(root, {"Author", "MasterDeviceNames"});
  CHECK(!Content(top[0]).empty(), "no author");
  const NoteList expected = ExpectedNotes(e);
  std::vector<const char*> deviceNames = {"Manufacturer", "Model", "CustomDeviceMode", "ChannelNameSet"};
  if (!expected.empty()) deviceNames.push_back("NoteNameList");
  const std::vector<xmlNode*> device = ElementsNamed(top[1], deviceNames);
  CHECK(!Content(device[0]).empty(), "no manufacturer");
  const std::string title = Content(device[1]);
  CHECK(title == XmlReadBack(ExpectedTitle(e)), "Model reads back as '%s'", title.c_str());

  CHECK(Attribute(device[2], "Name") == "Default", "device mode name");
  const std::vector<xmlNode*> mode = ElementsNamed(device[2], {"ChannelNameSetAssignments"});
  const std::vector<xmlNode*> assignments = Elements(mode[0]);
  CHECK(assignments.size() == 16, "%zu channel assignments", assignments.size());
  for (int channel = 1; channel <= 16; ++channel) {
    xmlNode* a = assignments[channel - 1];
    CHECK(Is(a, "ChannelNameSetAssign") && Attribute(a, "Channel") == std::to_string(channel) &&
              Attribute(a, "NameSet") == title,
          "channel %d's assignment", channel);
  }
  std::vector<const char*> setNames = {"AvailableForChannels", "PatchBank"};
  if (!expected.empty()) setNames.insert(setNames.begin() + 1, "UsesNoteNameList");
  const std::vector<xmlNode*> nameSet = ElementsNamed(device[3], setNames);
  CHECK(Attribute(device[3], "Name") == title, "the name set's name");
  const std::vector<xmlNode*> channels = Elements(nameSet[0]);
  CHECK(channels.size() == 16, "%zu available channels", channels.size());
  for (int channel = 1; channel <= 16; ++channel) {
    xmlNode* c = channels[channel - 1];
    CHECK(Is(c, "AvailableChannel") && Attribute(c, "Channel") == std::to_string(channel) &&
              Attribute(c, "Available") == "true",
          "channel %d not available", channel);
  }
  const std::vector<xmlNode*> bank = ElementsNamed(nameSet.back(), {"PatchNameList"});
  CHECK(Attribute(nameSet.back(), "Name") == title && Attribute(bank[0], "Name") == title,
        "the patch bank's names");
  CHECK(Elements(bank[0]).empty(), "a patch in the patch name list");
  if (!expected.empty()) {
    CHECK(Attribute(nameSet[1], "Name") == title && Attribute(device[4], "Name") == title,
          "the note name list's names");
    CheckNotes(ReadNotes(device[4], "Note", "Number", "Name"), expected, XmlReadBack, "MIDI name document");
  }
  xmlValidCtxt* validation = xmlNewValidCtxt();
  const bool valid = xmlValidateDtd(validation, doc, midnamDtd) == 1;
  xmlFreeValidCtxt(validation);
  CHECK(valid, "the MIDI name document is not valid for its document type");
  xmlFreeDoc(doc);
}

void CheckPitchList(const std::string& bytes, const Expected& e) {
  xmlDoc* doc = ReadUtf8Xml(bytes, "the pitch list");
  xmlNode* root = xmlDocGetRootElement(doc);
  CHECK(Is(root, "Music.PitchNameList"), "root element %s", reinterpret_cast<const char*>(root->name));
  bool present = false;
  const std::string title = Attribute(root, "title", &present);
  CHECK(present && title == XmlReadBack(ExpectedTitle(e)), "title reads back as '%s'", title.c_str());
  CheckNotes(ReadNotes(root, "Music.PitchName", "pitch", "name"), ExpectedNotes(e), XmlReadBack,
             "pitch list");
  xmlFreeDoc(doc);
}

void CheckReaper(const std::string& bytes, const Expected& e) {
  CHECK(IsValidUtf8(bytes), "REAPER note names that are not UTF-8");
  CHECK(bytes.rfind("\xEF\xBB\xBF", 0) != 0, "a byte-order mark");
  CHECK(bytes.find('\r') == std::string::npos, "a CR in the REAPER note names");
  CHECK(!bytes.empty() && bytes.back() == '\n', "the last line has no LF");
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = bytes.find('\n', start);
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  CHECK(lines[0] == "# " + LineReadBack(ExpectedTitle(e)), "the comment line");
  NoteList notes;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::size_t tab = lines[i].find('\t');
    CHECK(tab != std::string::npos && tab > 0 && tab <= 3 && lines[i].find_first_not_of("0123456789") == tab,
          "line %zu: no note number and TAB", i + 1);
    notes.emplace_back(std::atoi(lines[i].substr(0, tab).c_str()), lines[i].substr(tab + 1));
  }
  CheckNotes(notes, ExpectedNotes(e), LineReadBack, "REAPER note names");
}

// ---------------------------------------------------------------------------
// Writing.

using Writer = bool (*)();
using Checker = void (*)(const std::string&, const Expected&);

// A write that fails part-way returns false and leaves the target exactly as
// it was; one that gets through (the fault struck past the end) must be whole.
// Returns whether it got through.
bool WriteWithFault(Writer write, Checker check, const std::string& path, long long budget,
                    const Expected& e) {
  std::string before;
  const bool existed = ReadFile(path, before);
  bool written;
  {
    const ScopedWriteFault fault(budget);
    written = write();
  }
  std::string after;
  const bool exists = ReadFile(path, after);
  if (written) {
    CHECK(exists, "reported written, but no file");
    check(after, e);
  } else {
    CHECK(exists == existed && after == before, "a failed write changed %s", path.c_str());
  }
  CheckFolderHoldsOnlyTargets();
  return written;
}

// Writes without a fault; returns the size of the file.
std::size_t Write(Writer write, Checker check, const std::string& path, const Expected& e) {
  CHECK(write(), "could not write %s", path.c_str());
  std::string bytes;
  CHECK(ReadFile(path, bytes), "written, but cannot read %s", path.c_str());
  check(bytes, e);
  CheckFolderHoldsOnlyTargets();
  return bytes.size();
}

void Export(int formatIndex, Writer write, Checker check, const std::string& path, bool fault,
            long long budget) {
  std::strcpy(exportState.filePath, path.c_str());
  exportState.formatIndex = formatIndex;
  const Expected e = ExpectedFromState();
  static ExportState before;
  before = exportState;
  const bool gotThrough = fault && WriteWithFault(write, check, path, budget, e);
  const std::size_t size = Write(write, check, path, e);
  // The fault fails the write exactly when it strikes before the last byte.
  CHECK(!fault || gotThrough == (budget >= static_cast<long long>(size)),
        "a write fault after %lld of %zu bytes: reported %s", budget, size,
        gotThrough ? "written" : "failed");
  CHECK(std::memcmp(&before, &exportState, sizeof before) == 0, "a writer changed the export state");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern = (fs::temp_directory_path() / "drum_map_fuzzer-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) Fail("cannot create a folder from %s", pattern.c_str());
  folder = pattern;
  xmlPath = (folder / "map.xml").string();
  binaryPath = (folder / "map.drm").string();
  midnamPath = (folder / "map.midnam").string();
  reaperPath = (folder / "map.txt").string();
  pitchListPath = (folder / "map.pitchlist").string();
  CHECK(pitchListPath.size() < static_cast<std::size_t>(kFilePathSize), "temporary folder path too long: %s",
        folder.c_str());
  std::atexit(RemoveFolder);
  std::strcpy(exportState.directory, kDirectorySentinel);
  xmlInitParser();
  midnamDtd = xmlParseDTD(nullptr, BAD_CAST DRUMMAP_MIDNAM_DTD);
  CHECK(midnamDtd != nullptr, "cannot load %s", DRUMMAP_MIDNAM_DTD);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Input in = Split(data, size);
  std::vector<std::string> names;
  if (!ParseKit(in.kit, names)) return 0;

  FillExportState(in, names);
  CheckExportState(in, names);
  if (in.fillGeneralMidi) {
    FillEmptyPadsWithGeneralMidiNames();
    CheckGeneralMidiFill(names);
  }
  kitConversion = KitTextConversion(names);
  kitIsUtf8 = kitConversion == &Utf8AsIs;
  const ScopedUtf8Conversion conversion(kitConversion, &Utf8AsIs);

  Export(0, WriteXmlDrumMap, CheckXml, xmlPath, in.xmlFault, in.faultByte * 256LL);
  Export(1, WriteBinaryDrumMap, CheckBinary, binaryPath, in.binaryFault, in.faultByte * 13LL);
  Export(2, WriteMidiNameDocument, CheckMidnam, midnamPath, in.noteNameFault, in.faultByte * 32LL);
  Export(3, WriteReaperNoteNames, CheckReaper, reaperPath, in.noteNameFault, in.faultByte * 4LL);
  Export(4, WritePitchList, CheckPitchList, pitchListPath, in.noteNameFault, in.faultByte * 8LL);
  return 0;
}

// The three note-name formats (MIDI name document, REAPER note names, Studio
// One pitch list), read back with a real XML parser where they are XML, every
// MIDI name document validated against the MIDI Manufacturers Association's
// document type (tests/dtd): every part their readers need, exactly the named
// pads with the kit's numbers and names in UTF-8, the title they share,
// escaping, blanks, hostile kits, and the two note-name options (octave of
// note 60, General MIDI names) in these and the two drum maps.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/valid.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cli/drummap_export.h"
#include "export/export_state.h"
#include "export_state_setup.h"
#include "file_bytes.h"
#include "run_main.h"
#include "temp_dir.h"
#include "writers/write_capture.h"
#include "writers/binary_drum_map.h"
#include "writers/drum_map_format.h"
#include "writers/general_midi_percussion.h"
#include "writers/utf8_conversion.h"

// Shows a format by its command-line name in test output.
void PrintTo(DrumMapFormat format, std::ostream* os) {
  *os << FindDrumMapFormat(static_cast<std::int32_t>(format))->commandLineName;
}

namespace {

using Notes = std::vector<std::pair<int, std::string>>;

// What a reader of the file gets: the title (the MIDI name document's Model,
// the REAPER comment, the pitch list's title) and the notes in file order.
struct NoteNames {
  std::string title;
  Notes notes;
};

// ---------------------------------------------------------------------------
// libxml2 helpers.

struct XmlDoc {
  explicit XmlDoc(const std::string& bytes)
      : doc(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "file.xml", nullptr,
                          XML_PARSE_NONET)) {}
  ~XmlDoc() { xmlFreeDoc(doc); }
  XmlDoc(const XmlDoc&) = delete;
  XmlDoc& operator=(const XmlDoc&) = delete;
  xmlDocPtr doc;
};

std::vector<xmlNodePtr> Elements(xmlNodePtr parent) {
  std::vector<xmlNodePtr> elements;
  for (xmlNodePtr n = parent->children; n != nullptr; n = n->next)
    if (n->type == XML_ELEMENT_NODE) elements.push_back(n);
  return elements;
}

std::string NameOf(xmlNodePtr node) { return reinterpret_cast<const char*>(node->name); }

// An attribute's value; "<missing>" when there is none.
std::string Attr(xmlNodePtr node, const char* name) {
  xmlChar* value = xmlGetProp(node, BAD_CAST name);
  if (value == nullptr) return "<missing>";
  std::string text(reinterpret_cast<char*>(value));
  xmlFree(value);
  return text;
}

std::string Content(xmlNodePtr node) {
  xmlChar* value = xmlNodeGetContent(node);
  std::string text(value != nullptr ? reinterpret_cast<char*>(value) : "");
  xmlFree(value);
  return text;
}

// The element children of `parent`, which must have exactly these names in
// this order.
::testing::AssertionResult Children(xmlNodePtr parent, const std::vector<std::string>& names,
                                    std::vector<xmlNodePtr>& children) {
  children = Elements(parent);
  std::vector<std::string> found;
  for (xmlNodePtr child : children) found.push_back(NameOf(child));
  if (found != names)
    return ::testing::AssertionFailure() << NameOf(parent) << " holds " << ::testing::PrintToString(found);
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult StartsWith(const std::string& bytes, const std::string& head) {
  if (bytes.compare(0, head.size(), head) != 0)
    return ::testing::AssertionFailure() << "the file starts with \"" << bytes.substr(0, head.size()) << "\"";
  return ::testing::AssertionSuccess();
}

// Exactly 16 elements, one per channel 1-16 in order, each as `check` wants.
template <typename Check>
::testing::AssertionResult EveryChannel(const std::vector<xmlNodePtr>& elements, const char* element,
                                        Check check) {
  if (elements.size() != 16) return ::testing::AssertionFailure() << elements.size() << " " << element;
  for (int channel = 1; channel <= 16; ++channel) {
    xmlNodePtr e = elements[channel - 1];
    if (NameOf(e) != element || Attr(e, "Channel") != std::to_string(channel) || !check(e))
      return ::testing::AssertionFailure() << element << " for channel " << channel << " is wrong";
  }
  return ::testing::AssertionSuccess();
}

// ---------------------------------------------------------------------------
// Validation against the document type, from the copies in tests/dtd (the
// document's own reference to midi.org is never fetched).

void CollectValidityError(void* context, const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  *static_cast<std::string*>(context) += text;
}

::testing::AssertionResult ValidMidiNameDocument(const std::string& bytes) {
  static const xmlDtdPtr dtd =
      xmlParseDTD(nullptr, BAD_CAST test::SourcePath("tests/dtd/MIDINameDocument10.dtd").c_str());
  if (dtd == nullptr)
    return ::testing::AssertionFailure() << "tests/dtd/MIDINameDocument10.dtd does not load";
  const XmlDoc xml(bytes);
  if (xml.doc == nullptr) return ::testing::AssertionFailure() << "not well-formed";
  xmlValidCtxtPtr context = xmlNewValidCtxt();
  std::string errors;
  context->userData = &errors;
  context->error = &CollectValidityError;
  context->warning = &CollectValidityError;
  const bool valid = xmlValidateDtd(context, xml.doc, dtd) == 1;
  xmlFreeValidCtxt(context);
  if (!valid || !errors.empty()) return ::testing::AssertionFailure() << "not valid: " << errors;
  return ::testing::AssertionSuccess();
}

// ---------------------------------------------------------------------------
// The three readers. Each checks the file's whole structure.

constexpr char kXmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// Notes as <element Number/pitch="n" Name/name="..."/>, n within 0..127.
::testing::AssertionResult ReadNotes(xmlNodePtr list, const char* element, const char* number,
                                     const char* name, Notes& notes) {
  for (xmlNodePtr n : Elements(list)) {
    if (NameOf(n) != element) return ::testing::AssertionFailure() << "a " << NameOf(n) << " among the notes";
    const std::string value = Attr(n, number);
    if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos || std::stoi(value) > 127)
      return ::testing::AssertionFailure() << "note number \"" << value << "\"";
    if (Attr(n, name) == "<missing>") return ::testing::AssertionFailure() << "a note without a name";
    notes.emplace_back(std::stoi(value), Attr(n, name));
  }
  return ::testing::AssertionSuccess();
}

// The MIDI name document, with everything Ardour needs.
::testing::AssertionResult ReadMidnam(const std::string& bytes, NoteNames& out) {
  if (auto r =
          StartsWith(bytes, std::string(kXmlDeclaration) +
                                "<!DOCTYPE MIDINameDocument PUBLIC \"-//MIDI Manufacturers Association//DTD "
                                "MIDINameDocument 1.0//EN\" \"http://www.midi.org/dtds/"
                                "MIDINameDocument10.dtd\">\n");
      !r)
    return r;
  if (auto r = ValidMidiNameDocument(bytes); !r) return r;
  const XmlDoc xml(bytes);
  if (xml.doc == nullptr) return ::testing::AssertionFailure() << "not well-formed";
  const xmlDtdPtr dtd = xmlGetIntSubset(xml.doc);
  if (dtd == nullptr || std::strcmp(reinterpret_cast<const char*>(dtd->name), "MIDINameDocument") != 0)
    return ::testing::AssertionFailure() << "no document type MIDINameDocument";
  xmlNodePtr root = xmlDocGetRootElement(xml.doc);
  if (NameOf(root) != "MIDINameDocument") return ::testing::AssertionFailure() << "root " << NameOf(root);
  std::vector<xmlNodePtr> top, device, mode, assignments, nameSet, channels, bank;
  if (auto r = Children(root, {"Author", "MasterDeviceNames"}, top); !r) return r;
  if (Content(top[0]).empty()) return ::testing::AssertionFailure() << "no author";
  const std::vector<xmlNodePtr> deviceChildren = Elements(top[1]);
  const bool hasNotes = deviceChildren.size() == 5;
  std::vector<std::string> deviceNames = {"Manufacturer", "Model", "CustomDeviceMode", "ChannelNameSet"};
  if (hasNotes) deviceNames.push_back("NoteNameList");
  if (auto r = Children(top[1], deviceNames, device); !r) return r;
  if (Content(device[0]) != "Ostrevane")
    return ::testing::AssertionFailure() << "Manufacturer " << Content(device[0]);
  out.title = Content(device[1]);
  if (out.title.empty()) return ::testing::AssertionFailure() << "an empty Model";

  // The device mode assigns the one name set to every channel.
  if (Attr(device[2], "Name") != "Default")
    return ::testing::AssertionFailure() << "mode " << Attr(device[2], "Name");
  if (auto r = Children(device[2], {"ChannelNameSetAssignments"}, mode); !r) return r;
  const std::string setName = Attr(device[3], "Name");
  assignments = Elements(mode[0]);
  if (auto r = EveryChannel(assignments, "ChannelNameSetAssign",
                            [&](xmlNodePtr e) { return Attr(e, "NameSet") == setName; });
      !r)
    return r;

  // The name set: every channel, the note list by name, a patch bank with an
  // empty patch name list (a patch without a bank select would land in a
  // bank of its own in Ardour).
  std::vector<std::string> setNames = {"AvailableForChannels", "PatchBank"};
  if (hasNotes) setNames.insert(setNames.begin() + 1, "UsesNoteNameList");
  if (auto r = Children(device[3], setNames, nameSet); !r) return r;
  channels = Elements(nameSet[0]);
  if (auto r = EveryChannel(channels, "AvailableChannel",
                            [](xmlNodePtr e) { return Attr(e, "Available") == "true"; });
      !r)
    return r;
  if (auto r = Children(nameSet.back(), {"PatchNameList"}, bank); !r) return r;
  if (!Elements(bank[0]).empty()) return ::testing::AssertionFailure() << "a patch in the patch name list";
  if (Attr(nameSet.back(), "Name") == "<missing>" || Attr(bank[0], "Name") == "<missing>")
    return ::testing::AssertionFailure() << "an unnamed patch bank or patch name list";
  for (const std::string& name : {setName, Attr(nameSet.back(), "Name"), Attr(bank[0], "Name")})
    if (name != out.title) return ::testing::AssertionFailure() << "a list named \"" << name << "\"";

  if (!hasNotes) return ::testing::AssertionSuccess();
  const std::string listName = Attr(device[4], "Name");
  if (Attr(nameSet[1], "Name") != listName || listName != out.title)
    return ::testing::AssertionFailure() << "the note name list \"" << listName << "\" is not the one used";
  if (Elements(device[4]).empty()) return ::testing::AssertionFailure() << "a note name list without notes";
  return ReadNotes(device[4], "Note", "Number", "Name", out.notes);
}

::testing::AssertionResult ReadPitchList(const std::string& bytes, NoteNames& out) {
  if (auto r = StartsWith(bytes, kXmlDeclaration); !r) return r;
  const XmlDoc xml(bytes);
  if (xml.doc == nullptr) return ::testing::AssertionFailure() << "not well-formed";
  xmlNodePtr root = xmlDocGetRootElement(xml.doc);
  if (NameOf(root) != "Music.PitchNameList") return ::testing::AssertionFailure() << "root " << NameOf(root);
  out.title = Attr(root, "title");
  return ReadNotes(root, "Music.PitchName", "pitch", "name", out.notes);
}

// UTF-8 without a byte-order mark, LF line ends, "# " and the title, then a
// number, a TAB and a name on each line.
::testing::AssertionResult ReadReaper(const std::string& bytes, NoteNames& out) {
  if (!IsValidUtf8(bytes)) return ::testing::AssertionFailure() << "not UTF-8";
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return ::testing::AssertionFailure() << "a byte-order mark";
  if (bytes.find('\r') != std::string::npos) return ::testing::AssertionFailure() << "a CR";
  if (bytes.empty() || bytes.back() != '\n') return ::testing::AssertionFailure() << "no LF at the end";
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = bytes.find('\n', start);
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  if (lines[0].compare(0, 2, "# ") != 0) return ::testing::AssertionFailure() << "first line " << lines[0];
  out.title = lines[0].substr(2);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0 || line.find_first_not_of("0123456789") != tab ||
        line.find('\t', tab + 1) != std::string::npos || tab + 1 == line.size())
      return ::testing::AssertionFailure() << "line " << i + 1 << " is \"" << line << "\"";
    out.notes.emplace_back(std::stoi(line.substr(0, tab)), line.substr(tab + 1));
  }
  return ::testing::AssertionSuccess();
}

struct NoteNameFormat {
  const char* name;
  DrumMapFormat format;
  ::testing::AssertionResult (*read)(const std::string&, NoteNames&);
  bool xml;
};

const NoteNameFormat kNoteNameFormats[] = {
    {"MIDI name document", DrumMapFormat::kMidiNameDocument, &ReadMidnam, true},
    {"REAPER note names", DrumMapFormat::kReaperNoteNames, &ReadReaper, false},
    {"pitch list", DrumMapFormat::kPitchList, &ReadPitchList, true},
};

class NoteNameFormats : public ::testing::Test {
 protected:
  void SetUp() override { test::ResetForExport(Target()); }
  std::string Target() const { return dir_.File("names"); }

  // Writes the file in `format` and reads it back.
  NoteNames Write(const NoteNameFormat& format) {
    exportState.formatIndex = static_cast<std::int32_t>(format.format);
    EXPECT_TRUE(WriteDrumMap());
    NoteNames names;
    EXPECT_TRUE(format.read(test::ReadBytes(Target()), names));
    return names;
  }

  test::TempDir dir_;
};

TEST_F(NoteNameFormats, ExactlyTheNamedPadsInNoteOrderWithTheirNumbersAndNames) {
  test::NamePad(0, "Kick");
  test::NamePad(2, "Snare");
  test::NamePad(50, " ");  // a name of blanks only is no name
  test::NamePad(95, "Crash");
  std::strcpy(exportState.mapName, "My Kit");
  for (const NoteNameFormat& format : kNoteNameFormats) {
    SCOPED_TRACE(format.name);
    const NoteNames names = Write(format);
    EXPECT_EQ(names.title, "My Kit");
    EXPECT_EQ(names.notes, (Notes{{24, "[C0]Kick"}, {26, "[D0]Snare"}, {119, "[B7]Crash"}}));
  }
}

TEST_F(NoteNameFormats, EveryPadNamedGivesNinetySixNotes) {
  Notes expected;
  for (int pad = 0; pad < kPadCount; ++pad) {
    test::NamePad(pad, "Pad " + std::to_string(pad));
    expected.emplace_back(pad + 24, "Pad " + std::to_string(pad));
  }
  exportState.addNoteNames = 0;
  for (const NoteNameFormat& format : kNoteNameFormats) {
    SCOPED_TRACE(format.name);
    EXPECT_EQ(Write(format).notes, expected);
  }
}

TEST_F(NoteNameFormats, MoveEmptyPadsToEndChangesNoByte) {
  test::NamePad(3, "Tom");
  test::NamePad(1, "Hat");
  for (const NoteNameFormat& format : kNoteNameFormats) {
    SCOPED_TRACE(format.name);
    exportState.moveEmptyPadsToEnd = 1;
    Write(format);
    const std::string moved = test::ReadBytes(Target());
    exportState.moveEmptyPadsToEnd = 0;
    Write(format);
    EXPECT_EQ(test::ReadBytes(Target()), moved);
  }
}

TEST_F(NoteNameFormats, NoteNamePrefixAsInTheXmlDrumMap) {
  test::NamePad(0, "Kick");
  test::NamePad(13, "Tom");
  const struct {
    int addNoteNames;
    Notes notes;
  } cases[] = {
      {1, {{24, "[C0]Kick"}, {37, "[C#1]Tom"}}},
      {0, {{24, "Kick"}, {37, "Tom"}}},
  };
  for (const auto& c : cases) {
    for (const NoteNameFormat& format : kNoteNameFormats) {
      SCOPED_TRACE(std::string(format.name) + (c.addNoteNames ? ", note names" : ", no note names"));
      exportState.addNoteNames = c.addNoteNames;
      EXPECT_EQ(Write(format).notes, c.notes);
    }
  }
}

// Windows-1252 leaves 0x81, 0x8D, 0x8F, 0x90 and 0x9D undefined; converted
// as Windows converts them they are C1 control characters, which the
// note-name formats write as U+FFFD.
std::string WithUndefinedBytesReplaced(std::string utf8) {
  for (const char* c1 : {"\xc2\x81", "\xc2\x8d", "\xc2\x8f", "\xc2\x90", "\xc2\x9d"})
    for (std::size_t at = utf8.find(c1); at != std::string::npos; at = utf8.find(c1, at))
      utf8.replace(at, 2, "\xef\xbf\xbd");
  return utf8;
}

// Without an installed conversion the 8-bit names are Windows-1252.
TEST_F(NoteNameFormats, EightBitNamesReadBackAsUtf8) {
  const std::string highBytes = [] {
    std::string bytes;
    for (int c = 0x80; c <= 0xFF; ++c) bytes += static_cast<char>(c);
    return bytes;
  }();
  const struct {
    const char* what;
    std::string name, utf8;
  } cases[] = {
      {"e acute", "Caf\xe9", "Caf\xc3\xa9"},
      {"euro sign and curly quotes", "\x80 \x93x\x94", "\xe2\x82\xac \xe2\x80\x9cx\xe2\x80\x9d"},
      {"every byte 0x80-0xFF", highBytes, WithUndefinedBytesReplaced(Windows1252ToUtf8(highBytes))},
  };
  exportState.addNoteNames = 0;
  for (const auto& c : cases) {
    test::NamePad(5, c.name);
    test::NamePad(6, "plain");
    std::strcpy(exportState.mapName, c.name.substr(0, kMapNameSize - 1).c_str());
    for (const NoteNameFormat& format : kNoteNameFormats) {
      SCOPED_TRACE(std::string(c.what) + ", " + format.name);
      const NoteNames names = Write(format);
      EXPECT_EQ(names.notes, (Notes{{29, c.utf8}, {30, "plain"}}));
      EXPECT_EQ(names.title, WithUndefinedBytesReplaced(Windows1252ToUtf8(exportState.mapName)));
    }
  }
}

TEST_F(NoteNameFormats, Utf8NamesReadBackAsTheyAre) {
  const ScopedUtf8Conversion asIs(&Utf8AsIs);
  const std::string cut = std::string(252, 'x') + "\xe2\x82\xac";  // cut to 254 bytes inside the euro sign
  const struct {
    const char* what;
    std::string name, utf8;
  } cases[] = {
      {"two-byte characters", "Caf\xc3\xa9 \xc3\xbc", "Caf\xc3\xa9 \xc3\xbc"},
      {"Japanese", "\xe3\x83\x89\xe3\x83\xa9\xe3\x83\xa0", "\xe3\x83\x89\xe3\x83\xa9\xe3\x83\xa0"},
      {"four-byte character", "Drum \xf0\x9f\xa5\x81", "Drum \xf0\x9f\xa5\x81"},
      {"cut inside a character", cut, std::string(252, 'x')},
  };
  exportState.addNoteNames = 0;
  for (const auto& c : cases) {
    test::NamePad(0, c.name);
    std::strcpy(exportState.mapName, "Kit \xc3\xa9");
    for (const NoteNameFormat& format : kNoteNameFormats) {
      SCOPED_TRACE(std::string(c.what) + ", " + format.name);
      const NoteNames names = Write(format);
      EXPECT_EQ(names.notes, (Notes{{24, c.utf8}}));
      EXPECT_EQ(names.title, "Kit \xc3\xa9");
    }
  }
}

// XML escapes as the XML drum map does, so markup and line breaks read back
// as they were; REAPER's lines take no line breaks or TABs. Control
// characters become spaces everywhere.
TEST_F(NoteNameFormats, NamesThatNeedEscaping) {
  const struct {
    const char* what;
    std::string name, xml, reaper;
  } cases[] = {
      {"markup", "Tom & \"Snare\" <1> it's", "Tom & \"Snare\" <1> it's", "Tom & \"Snare\" <1> it's"},
      {"an entity", "&amp;", "&amp;", "&amp;"},
      {"TAB, LF, CR", "a\tb\nc\rd", "a\tb\nc\rd", "a b c d"},
      {"other control bytes", "\x01x\x1f\x7f", " x \x7f", " x \x7f"},
      {"CDATA end and comment", "]]><!--", "]]><!--", "]]><!--"},
  };
  exportState.addNoteNames = 0;
  for (const auto& c : cases) {
    test::NamePad(0, c.name);
    std::strcpy(exportState.mapName, c.name.c_str());
    for (const NoteNameFormat& format : kNoteNameFormats) {
      SCOPED_TRACE(std::string(c.what) + ", " + format.name);
      const NoteNames names = Write(format);
      const std::string& expected = format.xml ? c.xml : c.reaper;
      EXPECT_EQ(names.notes, (Notes{{24, expected}}));
      EXPECT_EQ(names.title, expected);
    }
  }
}

TEST_F(NoteNameFormats, XmlEscapesTheBytesAsTheXmlDrumMapDoes) {
  test::NamePad(0, "<&\">\tx");
  exportState.addNoteNames = 0;
  for (const NoteNameFormat& format : kNoteNameFormats) {
    if (!format.xml) continue;
    SCOPED_TRACE(format.name);
    Write(format);
    EXPECT_NE(test::ReadBytes(Target()).find("=\"&lt;&amp;&quot;&gt;&#9;x\"/>"), std::string::npos);
  }
}

// U+FFFE and U+FFFF are valid UTF-8 but no XML characters.
TEST_F(NoteNameFormats, CharactersThatXmlCannotHold) {
  const ScopedUtf8Conversion asIs(&Utf8AsIs);
  test::NamePad(0,
                "a\xef\xbf\xbe"
                "b\xef\xbf\xbf");
  exportState.addNoteNames = 0;
  for (const NoteNameFormat& format : kNoteNameFormats) {
    SCOPED_TRACE(format.name);
    EXPECT_EQ(Write(format).notes, (Notes{{24, format.xml ? "a\xef\xbf\xbd"
                                                            "b\xef\xbf\xbd"
                                                          : "a\xef\xbf\xbe"
                                                            "b\xef\xbf\xbf"}}));
  }
}

TEST_F(NoteNameFormats, AnEmptyKitGivesAValidFileWithoutNotes) {
  for (const NoteNameFormat& format : kNoteNameFormats) {
    SCOPED_TRACE(format.name);
    const NoteNames names = Write(format);
    EXPECT_TRUE(names.notes.empty());
    EXPECT_EQ(names.title, "names");  // the file's name: the map name is the default
  }
  exportState.formatIndex = static_cast<std::int32_t>(DrumMapFormat::kReaperNoteNames);
  ASSERT_TRUE(WriteDrumMap());
  EXPECT_EQ(test::ReadBytes(Target()), "# names\n");
}

// An empty map name is the default name: the three formats take the file's
// name, or "Untitled" where there is no file.
TEST_F(NoteNameFormats, AnEmptyMapNameGivesOneTitleInEveryFormat) {
  exportState.mapName[0] = '\0';
  test::NamePad(0, "Kick");
  for (const NoteNameFormat& format : kNoteNameFormats) {
    SCOPED_TRACE(format.name);
    EXPECT_EQ(Write(format).title, "names");
    exportState.formatIndex = static_cast<std::int32_t>(format.format);
    std::string bytes;
    {
      const ScopedWriteCapture capture(bytes);
      ASSERT_TRUE(WriteDrumMap());
    }
    NoteNames captured;
    ASSERT_TRUE(format.read(bytes, captured));
    EXPECT_EQ(captured.title, "Untitled");
  }
}

// The title: the map name, or, while that is the default or empty, the saved
// file's name without its extension (both separators, the wizard's '\' too).
TEST_F(NoteNameFormats, TitleIsTheMapNameOrTheSavedFilesName) {
  const struct {
    const char* mapName;
    std::string file;  // in the test's folder
    std::string title;
  } cases[] = {
      {"My Kit", "other.midnam", "My Kit"},          {"Untitled", "Acoustic.midnam", "Acoustic"},
      {"", "Acoustic.midnam", "Acoustic"},           {" Untitled\t", "Acoustic.txt", "Acoustic"},
      {"untitled", "Acoustic.txt", "untitled"},  // only the default itself
      {"Untitled", "my.kit.pitchlist", "my.kit"},    {"Untitled", "C:\\Kits\\Wizard.midnam", "Wizard"},
      {"Untitled", "Caf\xe9.midnam", "Caf\xc3\xa9"},  // the path through the same conversion
      {"Untitled", " .midnam", "Untitled"},
  };
  test::NamePad(0, "Kick");
  for (const auto& c : cases) {
    std::strcpy(exportState.mapName, c.mapName);
    CopyText(exportState.filePath, dir_.File(c.file).c_str());
    for (const NoteNameFormat& format : kNoteNameFormats) {
      SCOPED_TRACE(c.file + ", " + format.name);
      exportState.formatIndex = static_cast<std::int32_t>(format.format);
      ASSERT_TRUE(WriteDrumMap());
      NoteNames names;
      EXPECT_TRUE(format.read(test::ReadBytes(dir_.File(c.file)), names));
      EXPECT_EQ(names.title, c.title);
    }
  }
}

// The devices of MIDI name documents loaded as Ardour loads them: keyed by
// Model, a later document with a Model already seen is ignored. The map of
// Model to the notes of its note name list.
std::map<std::string, Notes> LoadAsArdourDoes(const std::vector<std::string>& documents) {
  std::map<std::string, Notes> devices;
  for (const std::string& bytes : documents) {
    NoteNames names;
    EXPECT_TRUE(ReadMidnam(bytes, names));
    devices.emplace(names.title, names.notes);  // keeps the first
  }
  return devices;
}

// Two kits exported under the default name, by drummap-export and as the
// wizard writes, into two files: two models, each with its own kit's notes.
TEST_F(NoteNameFormats, TwoKitsUnderTheDefaultNameAreTwoModelsInArdour) {
  test::WriteBytes(dir_.File("one.kit"), "Kick\n");
  test::WriteBytes(dir_.File("two.kit"), "\nSnare\n");
  std::vector<std::string> documents;
  for (const char* kit : {"one", "two"}) {
    const std::string file = dir_.File(std::string("Kit ") + kit + ".midnam");
    const test::MainResult r =
        test::RunMain(RunDrumMapExport, "drummap-export",
                      {"--format", "midnam", "-o", file, dir_.File(kit + std::string(".kit"))});
    ASSERT_EQ(r.status, 0) << r.err;
    documents.push_back(test::ReadBytes(file));
  }
  EXPECT_EQ(LoadAsArdourDoes(documents), (std::map<std::string, Notes>{{"Kit one", {{24, "[C0]Kick"}}},
                                                                       {"Kit two", {{25, "[C#0]Snare"}}}}));

  // The wizard: the map name left at "Untitled", the files named in the save
  // dialog.
  documents.clear();
  for (const char* file : {"Acoustic.midnam", "Electronic.midnam"}) {
    test::ResetForExport(dir_.File(file));
    exportState.formatIndex = static_cast<std::int32_t>(DrumMapFormat::kMidiNameDocument);
    test::NamePad(file[0] == 'A' ? 0 : 1, file);
    ASSERT_TRUE(WriteDrumMap());
    documents.push_back(test::ReadBytes(dir_.File(file)));
  }
  const std::map<std::string, Notes> devices = LoadAsArdourDoes(documents);
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices.count("Acoustic"), 1u);
  EXPECT_EQ(devices.count("Electronic"), 1u);

  // The loading itself: the same Model twice is one device, the first.
  documents.push_back(documents[0]);
  documents[2].replace(documents[2].find("[C0]"), 4, "[XX]");
  EXPECT_EQ(LoadAsArdourDoes(documents).at("Acoustic"), devices.at("Acoustic"));
}

// Leading and trailing blanks (space, TAB) go, in the names and in the title;
// a name of blanks only is an empty pad. Blanks inside a name stay.
TEST_F(NoteNameFormats, BlankNamesAndBlanksAroundNames) {
  const struct {
    const char* what;
    std::string name;
    std::string trimmed;  // empty: the pad is not listed, the title is the file's name
  } cases[] = {
      {"leading space", " Lead", "Lead"},
      {"trailing space and TAB", "Lead \t", "Lead"},
      {"TABs around", "\t\tLead\t", "Lead"},
      {"blanks inside", " Open  Hat", "Open  Hat"},
      {"three spaces", "   ", ""},
      {"a TAB", "\t", ""},
      {"one space", " ", ""},
  };
  for (const auto& c : cases) {
    test::NamePad(0, c.name);
    std::strcpy(exportState.mapName, c.name.c_str());
    for (const NoteNameFormat& format : kNoteNameFormats) {
      SCOPED_TRACE(std::string(c.what) + ", " + format.name);
      const NoteNames names = Write(format);
      const Notes expected = c.trimmed.empty() ? Notes() : Notes{{24, "[C0]" + c.trimmed}};
      EXPECT_EQ(names.notes, expected);
      EXPECT_EQ(names.title, c.trimmed.empty() ? "names" : c.trimmed);
    }
  }
}

// Windows-1252's undefined bytes, and the C1 control characters they become,
// read back as U+FFFD in all three formats, in names and the title alike.
TEST_F(NoteNameFormats, UndefinedWindows1252BytesAreAlikeInEveryFormat) {
  const std::string replaced =
      "a\xef\xbf\xbd"
      "b\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd";
  const struct {
    const char* what;
    Utf8Conversion conversion;
    std::string name;
  } cases[] = {
      {"Windows-1252", &Windows1252ToUtf8,
       "a\x81"
       "b\x8d\x8f\x90\x9d"},
      {"UTF-8 with C1 characters", &Utf8AsIs,
       "a\xc2\x81"
       "b\xc2\x8d\xc2\x8f\xc2\x90\xc2\x9d"},
  };
  exportState.addNoteNames = 0;
  for (const auto& c : cases) {
    const ScopedUtf8Conversion conversion(c.conversion);
    test::NamePad(0, c.name);
    std::strcpy(exportState.mapName, c.name.c_str());
    for (const NoteNameFormat& format : kNoteNameFormats) {
      SCOPED_TRACE(std::string(c.what) + ", " + format.name);
      const NoteNames names = Write(format);
      EXPECT_EQ(names.notes, (Notes{{24, replaced}}));
      EXPECT_EQ(names.title, replaced);
    }
  }
}

// Kits of every hostile kind give documents that are valid for the document
// type (ReadMidnam validates) and read back with the kit's names.
TEST_F(NoteNameFormats, HostileKitsGiveValidFiles) {
  const std::string longAscii(kPadNameMaxLength, 'k');
  std::string longUtf8;
  while (longUtf8.size() + 2 <= static_cast<std::size_t>(kPadNameMaxLength)) longUtf8 += "\xc3\xa9";
  const std::string markup = "<Tom & \"Snare\"> ]]> <!-- &amp; 'x'";
  const struct {
    const char* what;
    Utf8Conversion conversion;
    std::vector<std::string> pads;  // pad k's name; the rest empty
    std::string mapName;
    std::string title;
  } cases[] = {
      {"XML characters", &Utf8AsIs, {markup, "a\tb\nc\rd"}, markup, markup},
      {"UTF-8",
       &Utf8AsIs,
       {"Caf\xc3\xa9", "\xe3\x83\x89\xe3\x83\xa9\xe3\x83\xa0", "\xf0\x9f\xa5\x81"},
       "\xe3\x83\x89\xe3\x83\xa9\xe3\x83\xa0 Kit",
       "\xe3\x83\x89\xe3\x83\xa9\xe3\x83\xa0 Kit"},
      {"Windows-1252", &Windows1252ToUtf8, {"Caf\xe9", "\x80\x93\x94\xff"}, "Kit \xe9", "Kit \xc3\xa9"},
      {"254-byte names", &Utf8AsIs, std::vector<std::string>(kPadCount, longAscii), std::string(55, 'n'),
       std::string(55, 'n')},
      {"254-byte names of two-byte characters", &Utf8AsIs, std::vector<std::string>(kPadCount, longUtf8), "K",
       "K"},
      {"empty kit", &Utf8AsIs, {}, "Untitled", "names"},
      {"one pad", &Utf8AsIs, {"", "", "", "Only"}, "", "names"},
  };
  for (const auto& c : cases) {
    const ScopedUtf8Conversion conversion(c.conversion);
    test::ResetForExport(Target());
    exportState.addNoteNames = 0;
    Notes expected;
    for (std::size_t pad = 0; pad < c.pads.size(); ++pad) {
      test::NamePad(static_cast<int>(pad), c.pads[pad]);
      if (!c.pads[pad].empty()) expected.emplace_back(static_cast<int>(pad) + 24, c.conversion(c.pads[pad]));
    }
    std::strcpy(exportState.mapName, c.mapName.c_str());
    for (const NoteNameFormat& format : kNoteNameFormats) {
      SCOPED_TRACE(std::string(c.what) + ", " + format.name);
      const NoteNames names = Write(format);
      EXPECT_EQ(names.notes.size(), expected.size());
      if (format.format == DrumMapFormat::kPitchList) EXPECT_EQ(names.notes, expected);
      EXPECT_EQ(names.title, c.title);
    }
  }
}

// The validation finds what the document type forbids, in a document the
// writer made: it proves something.
TEST_F(NoteNameFormats, ValidationRefusesWhatTheDocumentTypeForbids) {
  test::NamePad(0, "Kick");
  exportState.formatIndex = static_cast<std::int32_t>(DrumMapFormat::kMidiNameDocument);
  ASSERT_TRUE(WriteDrumMap());
  const std::string written = test::ReadBytes(Target());
  ASSERT_TRUE(ValidMidiNameDocument(written));
  const struct {
    const char* what;
    std::string from, to;
  } cases[] = {
      {"no patch bank",
       "<PatchBank Name=\"names\">\n        <PatchNameList Name=\"names\"/>\n      </PatchBank>", ""},
      {"a bank without a patch name list", "<PatchNameList Name=\"names\"/>", ""},
      {"a note without a number", "<Note Number=\"24\"", "<Note"},
      {"an empty note name list", "<Note Number=\"24\" Name=\"[C0]Kick\"/>", ""},
      {"no model", "<Model>names</Model>", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = written;
    const std::size_t at = bytes.find(c.from);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, c.from.size(), c.to);
    EXPECT_FALSE(ValidMidiNameDocument(bytes));
  }
}

// The MIDI name documents kept as the exporters' known bytes are valid too.
TEST(NoteNameGoldenFiles, MidiNameDocumentsAreValid) {
  for (const char* file : {"acoustic.midnam", "electronic.midnam"}) {
    SCOPED_TRACE(file);
    NoteNames names;
    EXPECT_TRUE(ReadMidnam(test::ReadBytes(test::SourcePath(std::string("tests/golden/") + file)), names));
    EXPECT_FALSE(names.notes.empty());
  }
}

// ---------------------------------------------------------------------------
// The note-name options, in all five formats.

// The label of each note that has one, as each format shows it.
std::map<int, std::string> Labels(DrumMapFormat format, const std::string& bytes) {
  std::map<int, std::string> labels;
  if (format == DrumMapFormat::kBinary) {
    EXPECT_EQ(bytes.size(), static_cast<std::size_t>(kBinaryDrumMapSize));
    for (int note = 0; note < kNoteCount; ++note) {
      std::string field = bytes.substr(10 + 24 * note + 12, 11);
      field.erase(field.find_last_not_of('-') + 1);
      if (!field.empty()) labels[note] = field;
    }
  } else if (format == DrumMapFormat::kXml) {
    // 8-bit text without a declared encoding: read as Latin-1.
    xmlDocPtr doc =
        xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "map.xml", "ISO-8859-1", XML_PARSE_NONET);
    EXPECT_NE(doc, nullptr);
    if (doc == nullptr) return labels;
    for (xmlNodePtr list : Elements(xmlDocGetRootElement(doc))) {
      if (Attr(list, "name") != "Map") continue;
      for (xmlNodePtr item : Elements(list)) {
        int note = -1;
        std::string name;
        for (xmlNodePtr field : Elements(item)) {
          if (Attr(field, "name") == "INote") note = std::stoi(Attr(field, "value"));
          if (Attr(field, "name") == "Name") name = Attr(field, "value");
        }
        if (!name.empty()) labels[note] = name;
      }
    }
    xmlFreeDoc(doc);
  } else {
    for (const NoteNameFormat& f : kNoteNameFormats) {
      if (f.format != format) continue;
      NoteNames names;
      EXPECT_TRUE(f.read(bytes, names));
      for (const auto& [note, name] : names.notes) labels[note] = name;
    }
  }
  return labels;
}

class NoteNameOptions : public ::testing::TestWithParam<DrumMapFormat> {
 protected:
  void SetUp() override {
    test::ResetForExport(dir_.File("file"));
    exportState.formatIndex = static_cast<std::int32_t>(GetParam());
  }
  std::map<int, std::string> Write() {
    EXPECT_TRUE(WriteDrumMap());
    return Labels(GetParam(), test::ReadBytes(dir_.File("file")));
  }
  // "[C3]" in every format but the binary drum map, which writes "C3".
  std::string Prefixed(const std::string& noteName, const std::string& name) const {
    const std::string label =
        GetParam() == DrumMapFormat::kBinary ? noteName + name : "[" + noteName + "]" + name;
    return GetParam() == DrumMapFormat::kBinary ? label.substr(0, 11) : label;
  }

  test::TempDir dir_;
};

// The octave moves every label's octave digit and never a note number.
TEST_P(NoteNameOptions, OctaveOfNote60) {
  test::NamePad(0, "Kick");    // note 24
  test::NamePad(36, "Snare");  // note 60
  test::NamePad(95, "Crash");  // note 119
  const struct {
    int octave;
    const char *low, *middle, *high;
  } cases[] = {{3, "C0", "C3", "B7"}, {4, "C1", "C4", "B8"}, {5, "C2", "C5", "B9"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.octave);
    exportState.octaveOfNote60 = c.octave;
    const std::map<int, std::string> labels = Write();
    EXPECT_EQ(labels.at(24), Prefixed(c.low, "Kick"));
    EXPECT_EQ(labels.at(60), Prefixed(c.middle, "Snare"));
    EXPECT_EQ(labels.at(119), Prefixed(c.high, "Crash"));
  }
}

TEST_P(NoteNameOptions, OctaveOfNote60ChangesOnlyTheOctaveDigits) {
  for (int pad = 0; pad < kPadCount; pad += 5) test::NamePad(pad, "Pad");
  exportState.octaveOfNote60 = 3;
  WriteDrumMap();
  const std::string c3 = test::ReadBytes(dir_.File("file"));
  exportState.octaveOfNote60 = 5;
  WriteDrumMap();
  const std::string c5 = test::ReadBytes(dir_.File("file"));
  ASSERT_EQ(c3.size(), c5.size());
  // Each digit of a note name went up by two; no other byte moved.
  const std::map<int, std::string> labels3 = Labels(GetParam(), c3);
  int changed = 0;
  for (std::size_t i = 0; i < c3.size(); ++i)
    if (c3[i] != c5[i]) {
      ++changed;
      EXPECT_EQ(c5[i], c3[i] + 2) << "byte " << i;
    }
  int expected = 0;
  for (const auto& entry : labels3) expected += entry.first >= 24 && entry.first <= 119 ? 1 : 0;
  EXPECT_EQ(changed, expected);
}

TEST_P(NoteNameOptions, GeneralMidiNamesFillOnlyEmptyPadsOnPercussionNotes) {
  exportState.addNoteNames = 0;
  test::NamePad(12, "My Kick");  // note 36, kept
  test::NamePad(0, "Low");       // note 24, outside the percussion notes
  FillEmptyPadsWithGeneralMidiNames();
  std::map<int, std::string> expected = {{24, "Low"}, {36, "My Kick"}};
  for (int note = 35; note <= 81; ++note)
    if (note != 36) expected[note] = GeneralMidiPercussionName(note);
  if (GetParam() == DrumMapFormat::kBinary)
    for (auto& entry : expected) entry.second = entry.second.substr(0, 11);
  EXPECT_EQ(Write(), expected);
}

TEST_P(NoteNameOptions, DefaultsLeaveTheLabelsAsTheyWere) {
  test::NamePad(0, "Kick");
  const std::map<int, std::string> labels = Write();
  EXPECT_EQ(labels.at(24), Prefixed("C0", "Kick"));
  // Nothing is filled without the option: note 35 has its note name at most.
  EXPECT_TRUE(labels.count(35) == 0 || labels.at(35) == Prefixed("B0", "")) << labels.at(35);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, NoteNameOptions,
                         ::testing::Values(DrumMapFormat::kXml, DrumMapFormat::kBinary,
                                           DrumMapFormat::kMidiNameDocument, DrumMapFormat::kReaperNoteNames,
                                           DrumMapFormat::kPitchList),
                         [](const auto& info) {
                           return std::string(
                               FindDrumMapFormat(static_cast<std::int32_t>(info.param))->commandLineName);
                         });

}  // namespace

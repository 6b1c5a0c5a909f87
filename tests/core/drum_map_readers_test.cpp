// The readers of drummap-export's inputs, the XML reader under them, the
// detection by content and the step from notes to pads.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cli/drum_map_reading.h"
#include "file_bytes.h"
#include "writers/binary_drum_map_reader.h"
#include "writers/input_detection.h"
#include "writers/midnam_document_reader.h"
#include "writers/note_table_reader.h"
#include "writers/notes_to_pads.h"
#include "writers/pitch_list_reader.h"
#include "writers/reaper_note_names_reader.h"
#include "writers/xml_drum_map_reader.h"
#include "writers/xml_reader.h"

namespace {

using namespace std::string_literals;
using Notes = std::vector<std::pair<int, std::string>>;

Notes NotesOf(const DrumMapInput& map) {
  Notes notes;
  for (const InputNote& note : map.notes) notes.emplace_back(note.note, note.name);
  return notes;
}

std::string Nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<a>";
  for (int i = 0; i < depth; ++i) text += "</a>";
  return text;
}

// Hostile and broken XML is refused with a reason naming the line; nothing
// is expanded, loaded or looped over.
TEST(XmlReader, RefusesWhatItDoesNotRead) {
  const struct {
    std::string xml;
    const char* reason;
  } cases[] = {
      {"", "no element"},
      {"<a>", "not closed"},
      {"<a><b></a>", "'</a>' closes '<b>'"},
      {"<a x=\"1", "not closed"},
      {"<a/><b/>", "more after the root"},
      {"text<a/>", "text before"},
      {"<!DOCTYPE a [<!ENTITY x \"y\">]><a>&x;</a>", "declarations, which are not read"},
      {"<!DOCTYPE a [<!ENTITY l0 \"ha\"><!ENTITY l1 \"&l0;&l0;\">]><a>&l1;</a>", "declarations"},
      {"<a>&x;</a>", "the entity '&x;' is not read"},
      {"<a b=\"&ext;\"/>", "the entity '&ext;' is not read"},
      {"<a>&#0;</a>", "does not allow"},
      {"<a>&#x110000;</a>", "out of range"},
      {"<a>&#x1100000;</a>", "out of range"},
      {"<a>&#99999999999999999999;</a>", "starts no reference"},
      {"<a>&#xZZ;</a>", "bad digit"},
      {"<a>& b</a>", "starts no reference"},
      {"<a b=\"1\" b=\"2\"/>", "appears twice"},
      {"<a b=\"1\"c=\"2\"/>", "separated by blanks"},
      {"<a b=1/>", "without quotes"},
      {"<a b=\"<\"/>", "'<' inside"},
      {"<a>\n<!-- open", "XML line 2: a comment is not closed"},
      {"<a><![CDATA[x</a>", "CDATA"},
      {"<a>\0</a>"s, "NUL byte"},
      {"\xFF\xFE<\0a\0/\0>\0"s, "UTF-16"},
      {"<a>\n\n<b>caf\xE9</b></a>", "XML line 3: not valid UTF-8"},
      {"<a>\x01</a>", "control character"},
      {"<a b=\"\xEF\xBF\xBE\"/>", "U+FFFE or U+FFFF"},
      {Nested(kXmlMaxDepth + 1), "nested deeper than 64"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.xml);
    XmlElement root;
    std::string reason;
    EXPECT_FALSE(ParseXml(c.xml, XmlText::kUtf8, root, reason));
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    EXPECT_EQ(reason.find('\n'), std::string::npos);
  }
}

TEST(XmlReader, ReadsWhatSequencersWrite) {
  const std::string xml =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
      "<!DOCTYPE r PUBLIC \"-//x//EN\" \"http://example.invalid/r.dtd\">\r\n"
      "<!-- made by hand -->\r\n"
      "<r a='single &amp; \"double\"' b=\"tab&#9;lf&#10;&#x41;\" c=\"line\r\nbreak\">\r\n"
      "  <?pi data?>\r\n"
      "  <m>caf\xC3\xA9 &lt;&gt;<![CDATA[<raw>]]></m>\r\n"
      "</r>\r\n";
  XmlElement root;
  std::string reason;
  ASSERT_TRUE(ParseXml(xml, XmlText::kUtf8, root, reason)) << reason;
  EXPECT_EQ(root.name, "r");
  EXPECT_EQ(*root.Attribute("a"), "single & \"double\"");
  EXPECT_EQ(*root.Attribute("b"), "tab\tlf\nA");
  EXPECT_EQ(*root.Attribute("c"), "line break");
  ASSERT_NE(root.Child("m"), nullptr);
  EXPECT_EQ(root.Child("m")->text, "caf\xC3\xA9 <><raw>");
  EXPECT_EQ(root.Child("m")->line, 7);
  // The deepest nesting allowed, and 8-bit text where bytes are wanted.
  EXPECT_TRUE(ParseXml(Nested(kXmlMaxDepth), XmlText::kUtf8, root, reason)) << reason;
  EXPECT_TRUE(ParseXml("<a b=\"caf\xE9\"/>", XmlText::kBytes, root, reason)) << reason;
  EXPECT_EQ(*root.Attribute("b"), "caf\xE9");
}

// The kind of file comes from its content; the rule between kit text and
// REAPER note names is the one --help states.
TEST(InputDetection, FindsTheFormatByContent) {
  std::string binary(3230, '\0');
  binary.replace(0, 4, "D103");
  const struct {
    const char* what;
    std::string bytes;
    const char* format;  // null: refused
  } cases[] = {
      {"binary drum map", binary, "binary"},
      {"XML drum map", "<DrumMap>\r\n<string name=\"Name\" value=\"x\"/>", "xml"},
      {"MIDI name document",
       "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- c -->\n<!DOCTYPE x>\n<MIDINameDocument>", "midnam"},
      {"pitch list", "<?xml version=\"1.0\"?><Music.PitchNameList title=\"t\">", "pitchlist"},
      {"other XML", "<html><body/></html>", nullptr},
      {"NUL bytes", "Kick\n\0\n"s, nullptr},
      {"UTF-16", "\xFF\xFEK\0"s, nullptr},
      {"REAPER, comment first", "# My kit\n36 Kick\n", "reaper"},
      {"REAPER, comment only", "// nothing yet\n", "reaper"},
      {"REAPER without comment", "36\tKick\n38\tSnare\n", "reaper"},
      {"REAPER with CC lines", "CC1 Mod\n36 Kick\n", "reaper"},
      {"kit, names begin with numbers", "1 Kick\n2 Snare\n", "reaper"},
      {"kit, a number twice", "36 Kick\n36 Kick again\n", "kit"},
      {"kit, numbers above 127", "808 Kick\n909 Snare\n", "kit"},
      {"kit", "Kick\nSnare\n\nHat\n", "kit"},
      {"kit with commas", "Kick, dry\nSnare\n", "kit"},
      {"empty file", "", "kit"},
      {"CSV with header", "note,name\n36,Kick\n", "csv"},
      {"CSV of note names", "C1,Kick\nD1,Snare\n", "csv"},
      {"TSV of note names", "Note\tName\nC1\tKick\n", "csv"},
      {"semicolons", "36;Kick\n38;Snare\n", "csv"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    InputFormat format = InputFormat::kKit;
    std::string reason;
    const bool found = DetectInputFormat(c.bytes, 3, format, reason);
    EXPECT_EQ(found, c.format != nullptr) << reason;
    if (found && c.format != nullptr) EXPECT_STREQ(InputFormatName(format), c.format);
    if (!found) EXPECT_FALSE(reason.empty());
  }
}

// REAPER's files as it and its users save them: space- or TAB-separated,
// several comment lines of both kinds, CC lines, CR LF.
TEST(ReaperNoteNamesReader, ReadsSavedFiles) {
  const std::string text =
      "// Drum kit for the MIDI editor\r\n"
      "# second comment\r\n"
      "\r\n"
      "36 Kick\r\n"
      "38\t\tSnare  Rim \r\n"
      "  42   Hat closed\r\n"
      "CC1 Mod wheel\r\n"
      "44\r\n";
  DrumMapInput map;
  std::string reason;
  ASSERT_TRUE(ReadReaperNoteNames(text, map, reason)) << reason;
  EXPECT_EQ(map.mapName, "Drum kit for the MIDI editor");
  EXPECT_EQ(NotesOf(map), (Notes{{36, "Kick"}, {38, "Snare  Rim"}, {42, "Hat closed"}}));

  for (const char* bad : {"128 Too high\n", "36 Kick\nKick\n", "99999999999 x\n"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ReadReaperNoteNames(bad, map, reason));
    EXPECT_NE(reason.find("line "), std::string::npos) << reason;
  }
}

// Studio One's own form: a byte-order mark, CR LF, TAB indentation.
TEST(PitchListReader, ReadsSavedFiles) {
  const std::string text =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
      "<Music.PitchNameList title=\"Studio Kit\">\r\n"
      "\t<Music.PitchName pitch=\"36\" name=\"Kick &amp; Sub\"/>\r\n"
      "\t<Music.PitchName pitch=\"38\" name=\"Caf\xC3\xA9\"/>\r\n"
      "\t<Music.PitchName pitch=\"40\" name=\"\"/>\r\n"
      "</Music.PitchNameList>\r\n";
  XmlElement root;
  DrumMapInput map;
  std::string reason;
  ASSERT_TRUE(ParseXml(text, XmlText::kUtf8, root, reason)) << reason;
  ASSERT_TRUE(ReadPitchList(root, map, reason)) << reason;
  EXPECT_EQ(map.mapName, "Studio Kit");
  EXPECT_EQ(NotesOf(map), (Notes{{36, "Kick & Sub"}, {38, "Caf\xC3\xA9"}}));

  ASSERT_TRUE(
      ParseXml("<Music.PitchNameList><Music.PitchName pitch=\"200\" name=\"x\"/></Music.PitchNameList>",
               XmlText::kUtf8, root, reason));
  EXPECT_FALSE(ReadPitchList(root, map, reason));
  EXPECT_NE(reason.find("0-127"), std::string::npos) << reason;
}

const char kTwoModels[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<MIDINameDocument>\n"
    "  <MasterDeviceNames>\n"
    "    <Manufacturer>Maker</Manufacturer>\n"
    "    <Model>Synth</Model>\n"
    "    <NoteNameList Name=\"Synth notes\"><Note Number=\"60\" Name=\"Middle\"/></NoteNameList>\n"
    "  </MasterDeviceNames>\n"
    "  <MasterDeviceNames>\n"
    "    <Manufacturer>Maker</Manufacturer>\n"
    "    <Model>Drums A</Model>\n"
    "    <Model>Drums B</Model>\n"
    "    <CustomDeviceMode Name=\"Default\">\n"
    "      <ChannelNameSetAssignments>\n"
    "        <ChannelNameSetAssign Channel=\"1\" NameSet=\"Melodic\"/>\n"
    "        <ChannelNameSetAssign Channel=\"10\" NameSet=\"Drums\"/>\n"
    "      </ChannelNameSetAssignments>\n"
    "    </CustomDeviceMode>\n"
    "    <ChannelNameSet Name=\"Melodic\"><UsesNoteNameList Name=\"Other\"/></ChannelNameSet>\n"
    "    <ChannelNameSet Name=\"Drums\"><UsesNoteNameList Name=\"Kit\"/></ChannelNameSet>\n"
    "    <NoteNameList Name=\"Other\"><Note Number=\"1\" Name=\"Wrong\"/></NoteNameList>\n"
    "    <NoteNameList Name=\"Kit\">\n"
    "      <NoteGroup Name=\"Kicks\"><Note Number=\"36\" Name=\"Kick\"/></NoteGroup>\n"
    "      <Note Number=\"38\" Name=\"Snare\"/>\n"
    "    </NoteNameList>\n"
    "  </MasterDeviceNames>\n"
    "</MIDINameDocument>\n";

// The device is chosen by model (the first by default); its notes are the
// list its drum channel's name set uses.
TEST(MidiNameDocumentReader, ReadsTheModelAsked) {
  const struct {
    const char* model;
    const char* mapName;
    Notes notes;
  } cases[] = {
      {"", "Synth", {{60, "Middle"}}},
      {"Drums B", "Drums B", {{36, "Kick"}, {38, "Snare"}}},
      {"Drums A", "Drums A", {{36, "Kick"}, {38, "Snare"}}},
  };
  XmlElement root;
  std::string reason;
  ASSERT_TRUE(ParseXml(kTwoModels, XmlText::kUtf8, root, reason)) << reason;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    ReadOptions options;
    options.model = c.model;
    DrumMapInput map;
    ASSERT_TRUE(ReadMidiNameDocument(root, options, map, reason)) << reason;
    EXPECT_EQ(map.mapName, c.mapName);
    EXPECT_EQ(NotesOf(map), c.notes);
  }
  ReadOptions missing;
  missing.model = "Piano";
  DrumMapInput map;
  EXPECT_FALSE(ReadMidiNameDocument(root, missing, map, reason));
  EXPECT_EQ(reason, "no model 'Piano' in the document (models: Synth, Drums A, Drums B)");
}

// A drum map the sequencer saved: other elements around and between the
// ones read, attributes in any order, names with and without note names.
TEST(XmlDrumMapReader, ReadsTheMapAndItsItems) {
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<DrumMap>\n"
      "   <string name=\"Name\" value=\"GM Map\" wide=\"true\"/>\n"
      "   <list name=\"Quantize\" type=\"list\"><item><int name=\"Grid\" value=\"4\"/></item></list>\n"
      "   <list name=\"Map\" type=\"list\">\n"
      "      <item><int name=\"INote\" value=\"36\"/><int name=\"ONote\" value=\"36\"/>\n"
      "         <string name=\"Name\" value=\"[C1]Bass Drum\" wide=\"true\"/></item>\n"
      "      <item><string value=\"Snare\" name=\"Name\"/><int value=\"38\" name=\"INote\"/></item>\n"
      "      <item><int name=\"INote\" value=\"39\"/><string name=\"Name\" value=\"\"/></item>\n"
      "   </list>\n"
      "</DrumMap>\n";
  XmlElement root;
  DrumMapInput map;
  std::string reason;
  ASSERT_TRUE(ParseXml(text, XmlText::kBytes, root, reason)) << reason;
  ASSERT_TRUE(ReadXmlDrumMap(root, map, reason)) << reason;
  EXPECT_EQ(map.mapName, "GM Map");
  EXPECT_EQ(NotesOf(map), (Notes{{36, "[C1]Bass Drum"}, {38, "Snare"}}));

  ASSERT_TRUE(
      ParseXml("<DrumMap><list name=\"Map\"><item><int name=\"INote\" value=\"-1\"/></item></list></DrumMap>",
               XmlText::kBytes, root, reason));
  EXPECT_FALSE(ReadXmlDrumMap(root, map, reason));
  EXPECT_NE(reason.find("INote"), std::string::npos) << reason;
}

TEST(BinaryDrumMapReader, ReadsTheNoteRecords) {
  const std::string golden = test::ReadBytes(test::SourcePath("tests/golden/acoustic.drm"));
  DrumMapInput map;
  std::string reason;
  ASSERT_TRUE(ReadBinaryDrumMap(golden, map, reason)) << reason;
  EXPECT_EQ(map.prefix, NotePrefix::kBare);
  ASSERT_FALSE(map.notes.empty());
  EXPECT_EQ(map.notes[0].note, 24);
  EXPECT_EQ(map.notes[0].name, "C0Kick Deep");  // 11 bytes, no filling

  // Cut short, too long, a note out of range.
  std::string badNote = golden;
  badNote[10 + 2] = static_cast<char>(200);
  for (const auto& bad : {golden.substr(0, 3229), golden + "x", badNote}) {
    EXPECT_FALSE(ReadBinaryDrumMap(bad, map, reason));
    EXPECT_FALSE(reason.empty());
  }
}

// Tables as spreadsheets save them.
TEST(NoteTableReader, ReadsRowsOfNoteAndName) {
  const struct {
    const char* what;
    std::string text;
    int octave;
    Notes notes;
  } cases[] = {
      {"header, numbers", "Note,Name\r\n36,Kick\r\n38,Snare\r\n", 3, {{36, "Kick"}, {38, "Snare"}}},
      {"quoted names",
       "36,\"Kick, dry\"\n38,\"The \"\"big\"\" one\"\n",
       3,
       {{36, "Kick, dry"}, {38, "The \"big\" one"}}},
      {"unquoted commas", "36,Kick, dry\n", 3, {{36, "Kick, dry"}}},
      {"note names, octave 3", "C0,Low\nC#1,Hi\nDb1,Same\n", 3, {{24, "Low"}, {37, "Hi"}, {37, "Same"}}},
      {"note names, octave 4", "C2\tKick\nD2\tSnare\n", 4, {{36, "Kick"}, {38, "Snare"}}},
      {"negative octave", "C-2;Lowest\n", 3, {{0, "Lowest"}}},
      {"TSV with BOM", "\xEF\xBB\xBFnote\tname\n36\tKick\n", 3, {{36, "Kick"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DrumMapInput map;
    std::string reason;
    ASSERT_TRUE(ReadNoteTable(c.text, c.octave, map, reason)) << reason;
    EXPECT_EQ(NotesOf(map), c.notes);
  }
  for (const char* bad :
       {"36,Kick\nKick,36\n", "36,Kick\n128,Too high\n", "36,Kick\n38,\"open\n", "G9,Kick\nG#9,Too high\n"}) {
    SCOPED_TRACE(bad);
    DrumMapInput map;
    std::string reason;
    EXPECT_FALSE(ReadNoteTable(bad, 3, map, reason));
    EXPECT_NE(reason.find("line 2"), std::string::npos) << reason;
  }
}

// Notes outside the pads and notes named twice are warned about, never
// dropped silently; a note name in front goes only when it is the note's own.
TEST(NotesToPads, WarnsAndRemovesOnlyTheNotesOwnName) {
  DrumMapInput input;
  input.prefix = NotePrefix::kBracketed;
  input.notes = {{24, "[C0]Kick"},  {25, "[C0]Not mine"}, {26, "  [D0] Spaced\t"}, {12, "Low"},
                 {127, "High"},     {24, "Second kick"},  {27, "[D#0]"},           {28, "tab\there"},
                 {119, "[B7]Last"}, {29, "x\xEF\xBF\xBF"}};
  const PadNames pads = NotesToPads(input, 3, false);
  EXPECT_EQ(pads.names[0], "Kick");
  EXPECT_EQ(pads.names[1], "[C0]Not mine");
  EXPECT_EQ(pads.names[2], "Spaced");
  EXPECT_EQ(pads.names[3], "");
  EXPECT_EQ(pads.names[4], "tab here");
  EXPECT_EQ(pads.names[95], "Last");
  EXPECT_EQ(pads.names[5], "x\xEF\xBF\xBD");  // U+FFFF as the XML formats write it
  EXPECT_EQ(pads.notesOutsidePads, 2);
  EXPECT_EQ(pads.warnings, (std::vector<std::string>{
                               "note 12 \"Low\" is outside the pads' notes 24-119 and is left out",
                               "note 127 \"High\" is outside the pads' notes 24-119 and is left out",
                               "note 24 is named twice: \"Kick\" is kept, \"Second kick\" is left out",
                           }));

  EXPECT_EQ(NotesToPads(input, 3, true).names[0], "[C0]Kick");
  // In another octave convention [C0] is note 36's name, not note 24's.
  EXPECT_EQ(NotesToPads(input, 5, false).names[0], "[C0]Kick");
  DrumMapInput binary;
  binary.prefix = NotePrefix::kBare;
  binary.notes = {{24, "C0Kick"}, {25, "C0Kick"}, {26, "D0"}};
  const PadNames bare = NotesToPads(binary, 3, false);
  EXPECT_EQ(bare.names[0], "Kick");
  EXPECT_EQ(bare.names[1], "C0Kick");
  EXPECT_EQ(bare.names[2], "");
}

}  // namespace

#include "writers/xml_drum_map.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "export/export_state.h"
#include "export_state_setup.h"
#include "file_bytes.h"
#include "number_lists.h"
#include "temp_dir.h"
#include "writers/utf8_conversion.h"

#ifdef DRUMMAP_HAVE_LIBXML2
#include <libxml/parser.h>
#include <libxml/tree.h>
#endif

namespace {

constexpr int kLines = 1814;
constexpr int kHeadLines = 12;
constexpr int kEntryLines = 13;
constexpr int kOrderFirstLine = kHeadLines + 128 * kEntryLines + 2;  // 0-based index of the first item

class XmlDrumMap : public ::testing::Test {
 protected:
  void SetUp() override { test::ResetForExport(Target()); }
  std::string Target() const { return dir_.File("map.drm"); }

  // Writes the map and splits it into lines.
  std::vector<std::string> Write() {
    EXPECT_TRUE(WriteXmlDrumMap());
    std::vector<std::string> lines;
    EXPECT_TRUE(test::SplitCrLfLines(test::ReadBytes(Target()), lines));
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(kLines));
    return lines;
  }
  static std::string NameLine(const std::vector<std::string>& lines, int note) {
    return lines.at(kHeadLines + note * kEntryLines + 10);
  }
  static std::vector<int> Order(const std::vector<std::string>& lines) {
    std::vector<int> order;
    for (int i = 0; i < 128; ++i) {
      const std::string& line = lines.at(kOrderFirstLine + i);
      EXPECT_EQ(line.rfind("<item value=\"", 0), 0u) << line;
      order.push_back(std::stoi(line.substr(13)));
    }
    return order;
  }

  test::TempDir dir_;
};

using test::Concat;
using test::Range;

TEST_F(XmlDrumMap, EmptyUntitledKitSizes) {
  for (const auto& [noteNames, size] : {std::pair{0, 53213u}, std::pair{1, 53637u}}) {
    SCOPED_TRACE(noteNames);
    exportState.addNoteNames = noteNames;
    Write();
    EXPECT_EQ(test::ReadBytes(Target()).size(), size);
  }
}

TEST_F(XmlDrumMap, FixedLinesOfHeadEntryAndTail) {
  const auto lines = Write();
  EXPECT_EQ(lines[0], "<DrumMap>");
  EXPECT_EQ(lines[1], "<string name=\"Name\" value=\"Untitled\"/>");
  EXPECT_EQ(lines[2], "<list name=\"Quantize\" type=\"list\">");
  EXPECT_EQ(lines[6], "<float name=\"Swing\" value=\"0\"/>");
  EXPECT_EQ(lines[11], "<list name=\"Map\" type=\"list\">");
  const std::vector<std::string> entry37 = {"<item>",
                                            "<int name=\"INote\" value=\"37\"/>",
                                            "<int name=\"ONote\" value=\"37\"/>",
                                            "<int name=\"Channel\" value=\"9\"/>",
                                            "<float name=\"Length\" value=\"200\"/>",
                                            "<int name=\"Mute\" value=\"0\"/>",
                                            "<int name=\"DisplayNote\" value=\"37\"/>",
                                            "<int name=\"HeadSymbol\" value=\"0\"/>",
                                            "<int name=\"Voice\" value=\"0\"/>",
                                            "<int name=\"PortIndex\" value=\"0\"/>",
                                            "<string name=\"Name\" value=\"[C#1]\"/>",
                                            "<int name=\"QuantizeIndex\" value=\"0\"/>",
                                            "</item>"};
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 12 + 37 * 13, lines.begin() + 12 + 38 * 13), entry37);
  EXPECT_EQ(lines[kOrderFirstLine - 2], "</list>");
  EXPECT_EQ(lines[kOrderFirstLine - 1], "<list name=\"Order\" type=\"int\">");
  const std::vector<std::string> tail = {"</list>",
                                         "<list name=\"OutputDevices\" type=\"list\">",
                                         "<item>",
                                         "<string name=\"DeviceName\" value=\"Default Device\"/>",
                                         "<string name=\"PortName\" value=\"Default Port\"/>",
                                         "</item>",
                                         "</list>",
                                         "</DrumMap>"};
  EXPECT_EQ(std::vector<std::string>(lines.end() - 8, lines.end()), tail);
}

TEST_F(XmlDrumMap, NameLines) {
  test::NamePad(0, "Kick");
  test::NamePad(95, "Crash");
  for (int noteNames : {0, 1}) {
    SCOPED_TRACE(noteNames);
    exportState.addNoteNames = noteNames;
    const auto lines = Write();
    EXPECT_EQ(NameLine(lines, 24), noteNames ? "<string name=\"Name\" value=\"[C0]Kick\"/>"
                                             : "<string name=\"Name\" value=\"Kick\"/>");
    EXPECT_EQ(NameLine(lines, 119), noteNames ? "<string name=\"Name\" value=\"[B7]Crash\"/>"
                                              : "<string name=\"Name\" value=\"Crash\"/>");
    EXPECT_EQ(NameLine(lines, 25),
              noteNames ? "<string name=\"Name\" value=\"[C#0]\"/>" : "<string name=\"Name\" value=\"\"/>");
    for (int note : Concat({Range(0, 23), Range(120, 127)})) {
      SCOPED_TRACE(note);
      EXPECT_EQ(NameLine(lines, note), "<string name=\"Name\" value=\"\"/>");
    }
  }
}

TEST_F(XmlDrumMap, OrderList) {
  const std::vector<int> padsFirst = Concat({Range(24, 119), Range(0, 23), Range(120, 127)});
  const struct {
    const char* what;
    std::vector<int> named;
    int move;
    std::vector<int> order;
  } cases[] = {
      {"all empty, moved", {}, 1, padsFirst},
      {"all named, moved", Range(0, 95), 1, padsFirst},
      {"all named, kept", Range(0, 95), 0, Range(0, 127)},
      {"pads 0 and 2, kept", {0, 2}, 0, Range(0, 127)},
      {"pads 0 and 2, moved",
       {0, 2},
       1,
       Concat({{24, 26, 25}, Range(27, 119), Range(0, 23), Range(120, 127)})},
      {"last pad only, moved", {95}, 1, Concat({{119}, Range(24, 118), Range(0, 23), Range(120, 127)})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::ResetForExport(Target());
    for (int pad : c.named) test::NamePad(pad, " ");  // a name of spaces is a name
    exportState.moveEmptyPadsToEnd = c.move;
    EXPECT_EQ(Order(Write()), c.order);
  }
}

TEST_F(XmlDrumMap, MapNameLine) {
  for (const char* name : {"", "My Kit", "1234567890123456789012345678901234567890123456789012345"}) {
    SCOPED_TRACE(name);
    std::strcpy(exportState.mapName, name);
    EXPECT_EQ(Write()[1], std::string("<string name=\"Name\" value=\"") + name + "\"/>");
  }
}

TEST_F(XmlDrumMap, EscapesWhatXmlCannotHoldAndKeepsEverythingElse) {
  const struct {
    std::string name;
    std::string written;
  } cases[] = {
      {"Tom & \"Snare\" <1>", "Tom &amp; &quot;Snare&quot; &lt;1&gt;"},
      {"a\tb\nc\rd", "a&#9;b&#10;c&#13;d"},
      {"\x01\x1f\x7f", "  \x7f"},
      {"Caf\xe9 \xff\x80 it's", "Caf\xe9 \xff\x80 it's"},
      {"&amp;", "&amp;amp;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.written);
    test::NamePad(0, c.name);
    std::strcpy(exportState.mapName, c.name.c_str());
    exportState.addNoteNames = 0;
    const auto lines = Write();
    EXPECT_EQ(lines[1], "<string name=\"Name\" value=\"" + c.written + "\"/>");
    EXPECT_EQ(NameLine(lines, 24), "<string name=\"Name\" value=\"" + c.written + "\"/>");
  }
}

#ifdef DRUMMAP_HAVE_LIBXML2
// Reads the written file back with a real XML parser, as ISO-8859-1 since the
// file holds 8-bit text and declares no encoding.
TEST_F(XmlDrumMap, EscapedFileParsesAndNamesReadBack) {
  std::string name;
  for (int c = 1; c < 256; ++c) name += static_cast<char>(c);  // every byte but NUL
  test::NamePad(3, name.substr(0, 254));
  test::NamePad(4, "<&\"'>");
  std::strcpy(exportState.mapName, "\"A&B\"\t<x>");
  exportState.addNoteNames = 0;
  Write();
  const std::string bytes = test::ReadBytes(Target());
  xmlDocPtr doc =
      xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "map.xml", "ISO-8859-1", XML_PARSE_NONET);
  ASSERT_NE(doc, nullptr);
  std::vector<std::string> names;  // every "Name" value, in file order, back in Latin-1
  for (xmlNodePtr node = xmlDocGetRootElement(doc)->children; node; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    auto collect = [&](xmlNodePtr n) {
      xmlChar* attr = xmlGetProp(n, BAD_CAST "name");
      if (attr && std::string(reinterpret_cast<char*>(attr)) == "Name") {
        xmlChar* value = xmlGetProp(n, BAD_CAST "value");
        std::string latin1;
        for (const xmlChar* p = value; *p; ++p) {  // UTF-8 back to Latin-1
          if (*p < 0x80) {
            latin1 += static_cast<char>(*p);
          } else {
            latin1 += static_cast<char>(((p[0] & 0x03) << 6) | (p[1] & 0x3f));
            ++p;
          }
        }
        names.push_back(latin1);
        xmlFree(value);
      }
      xmlFree(attr);
    };
    collect(node);
    for (xmlNodePtr item = node->children; item; item = item->next)
      for (xmlNodePtr field = item->children; field; field = field->next)
        if (field->type == XML_ELEMENT_NODE) collect(field);
  }
  xmlFreeDoc(doc);
  ASSERT_EQ(names.size(), 129u);
  EXPECT_EQ(names[0], "\"A&B\"\t<x>");
  std::string expected = name.substr(0, 254);
  for (char& c : expected)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') c = ' ';
  EXPECT_EQ(names[1 + 27], expected);
  EXPECT_EQ(names[1 + 28], "<&\"'>");
}
#endif

// A kit read as UTF-8: a name cut at 254 bytes ends at the last whole
// character, and U+FFFE and U+FFFF, which XML cannot hold, become spaces, in
// the pad names and the map name. Any other kit keeps its bytes.
TEST_F(XmlDrumMap, Utf8KitsKeepWholeCharacters) {
  const std::string a253(253, 'a'), a252(252, 'a');
  const struct {
    const char* what;
    bool utf8;
    std::string name;     // before the 254-byte cut
    std::string written;  // the Name value
  } cases[] = {
      {"cut in a 2-byte character", true, a253 + "\xC3\xA9", a253},
      {"cut in a 3-byte character", true, a252 + "\xE2\x82\xAC", a252},
      {"cut after a whole character", true, a252 + "\xC3\xA9", a252 + "\xC3\xA9"},
      {"U+FFFE and U+FFFF", true,
       "a\xEF\xBF\xBE"
       "b\xEF\xBF\xBF",
       "a b "},
      {"U+FFFD stays", true, "a\xEF\xBF\xBD", "a\xEF\xBF\xBD"},
      // A Windows-1252 --name beside a UTF-8 kit.
      {"not UTF-8 even so: the bytes stay", true, "caf\xE9", "caf\xE9"},
      {"8-bit kit: the byte cut stays", false, a253 + "\xC3\xA9", a253 + "\xC3"},
      {"8-bit kit: the bytes EF BF BE stay", false, "a\xEF\xBF\xBE", "a\xEF\xBF\xBE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    exportState.addNoteNames = 0;
    test::NamePad(0, c.name);
    std::string mapName = c.name.substr(0, 50);
    test::SetField(exportState.mapName, mapName);
    const ScopedUtf8Conversion conversion(c.utf8 ? &Utf8AsIs : &Windows1252ToUtf8);
    const auto lines = Write();
    EXPECT_EQ(NameLine(lines, 24), "<string name=\"Name\" value=\"" + c.written + "\"/>");
    if (c.name.size() < 50) EXPECT_EQ(lines[1], "<string name=\"Name\" value=\"" + c.written + "\"/>");
#ifdef DRUMMAP_HAVE_LIBXML2
    // The file declares no encoding: a parser reads it as UTF-8.
    if (c.utf8 && IsValidUtf8(c.written)) {
      const std::string bytes = test::ReadBytes(Target());
      xmlDocPtr doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "map.xml", nullptr,
                                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
      EXPECT_NE(doc, nullptr);
      xmlFreeDoc(doc);
    }
#endif
  }
}

TEST_F(XmlDrumMap, ReplacesAnExistingLongerFileCompletely) {
  test::WriteBytes(Target(), std::string(100000, 'z'));
  Write();
  EXPECT_EQ(test::ReadBytes(Target()).size(), 53637u);
  EXPECT_EQ(dir_.List(), std::vector<std::string>{"map.drm"});
}

}  // namespace

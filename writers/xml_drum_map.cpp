#include "writers/xml_drum_map.h"

#include <string>
#include <string_view>

#include "export/export_state.h"
#include "writers/atomic_file.h"
#include "writers/drum_map_order.h"
#include "writers/note_name.h"
#include "writers/utf8_conversion.h"
#include "writers/xml_escape.h"

namespace {

constexpr const char* kHead[] = {
    "<list name=\"Quantize\" type=\"list\">",
    "<item>",
    "<int name=\"Grid\" value=\"4\"/>",
    "<int name=\"Type\" value=\"0\"/>",
    "<float name=\"Swing\" value=\"0\"/>",
    "<float name=\"MaxDiff\" value=\"0\"/>",
    "<int name=\"Tuplet\" value=\"1\"/>",
    "</item>",
    "</list>",
    "<list name=\"Map\" type=\"list\">",
};

constexpr const char* kTail[] = {
    "</list>",
    "<list name=\"OutputDevices\" type=\"list\">",
    "<item>",
    "<string name=\"DeviceName\" value=\"Default Device\"/>",
    "<string name=\"PortName\" value=\"Default Port\"/>",
    "</item>",
    "</list>",
    "</DrumMap>",
};

// Writes one line with its CR LF and flushes it, so each complete line
// reaches the file before the next is formed.
class LineWriter {
 public:
  explicit LineWriter(AtomicFile& file) : file_(file) { line_.reserve(2048); }

  std::string& Begin() {
    line_.clear();
    return line_;
  }
  void End() {
    line_ += "\r\n";
    file_.Write(line_.data(), line_.size());
    file_.Flush();
  }
  void Put(const char* text) {
    Begin() += text;
    End();
  }
  void PutNumber(const char* before, int value) {
    Begin() += before;
    line_ += std::to_string(value);
    line_ += "\"/>";
    End();
  }

 private:
  AtomicFile& file_;
  std::string line_;
};

// The export state's text as it goes into the file: its bytes, or, when the
// text is UTF-8 (a kit read as UTF-8), whole characters only (a name cut at
// 254 bytes loses the character the cut split) and U+FFFE and U+FFFF, which
// XML cannot hold, as spaces. A text that is not UTF-8 even so (a map name in
// Windows-1252 beside a UTF-8 kit) keeps its bytes.
void AppendText(std::string& line, const char* text) {
  if (ExportTextIsUtf8()) {
    const std::string whole = Utf8AsIs(text);  // the text, or the text without its cut character
    if (std::string_view(text).compare(0, whole.size(), whole) == 0) {
      AppendXmlEscapedUtf8(line, whole, " ");
      return;
    }
  }
  AppendXmlEscaped(line, text);
}

void WriteNameLine(LineWriter& out, int note) {
  std::string& line = out.Begin();
  line += "<string name=\"Name\" value=\"";
  const int pad = note - kFirstPadNote;
  if (pad >= 0 && pad < kPadCount) {
    if (exportState.addNoteNames == 1) line += BracketedNoteName(note, exportState.octaveOfNote60);
    AppendText(line, exportState.padNames[pad]);
  }
  line += "\"/>";
  out.End();
}

}  // namespace

bool WriteXmlDrumMap() {
  AtomicFile file(exportState.filePath);
  if (!file.IsOpen()) return false;
  LineWriter out(file);

  out.Put("<DrumMap>");
  std::string& name = out.Begin();
  name += "<string name=\"Name\" value=\"";
  AppendText(name, exportState.mapName);
  name += "\"/>";
  out.End();
  for (const char* text : kHead) out.Put(text);

  for (int note = 0; note < kNoteCount; ++note) {
    out.Put("<item>");
    out.PutNumber("<int name=\"INote\" value=\"", note);
    out.PutNumber("<int name=\"ONote\" value=\"", note);
    out.Put("<int name=\"Channel\" value=\"9\"/>");
    out.Put("<float name=\"Length\" value=\"200\"/>");
    out.Put("<int name=\"Mute\" value=\"0\"/>");
    out.PutNumber("<int name=\"DisplayNote\" value=\"", note);
    out.Put("<int name=\"HeadSymbol\" value=\"0\"/>");
    out.Put("<int name=\"Voice\" value=\"0\"/>");
    out.Put("<int name=\"PortIndex\" value=\"0\"/>");
    WriteNameLine(out, note);
    out.Put("<int name=\"QuantizeIndex\" value=\"0\"/>");
    out.Put("</item>");
  }

  out.Put("</list>");
  out.Put("<list name=\"Order\" type=\"int\">");
  for (const std::uint8_t note : XmlNoteOrder()) out.PutNumber("<item value=\"", note);
  for (const char* text : kTail) out.Put(text);

  return file.Commit();
}

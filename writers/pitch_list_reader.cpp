#include "writers/pitch_list_reader.h"

#include "writers/input_text.h"

bool ReadPitchList(const XmlElement& root, DrumMapInput& map, std::string& reason) {
  map = DrumMapInput();
  map.prefix = NotePrefix::kBracketed;
  if (root.name != "Music.PitchNameList") {
    reason = "the root element is <" + root.name + ">, not <Music.PitchNameList>";
    return false;
  }
  if (const std::string* title = root.Attribute("title")) map.mapName = *title;
  for (const XmlElement& pitch : root.children) {
    if (pitch.name != "Music.PitchName") continue;
    const std::string* number = pitch.Attribute("pitch");
    const std::string* name = pitch.Attribute("name");
    int note;
    if (number == nullptr || !ParseNoteNumber(TrimBlanks(*number), note)) {
      reason = "XML line " + std::to_string(pitch.line) + ": a pitch that is not a note number 0-127";
      return false;
    }
    if (name != nullptr && !name->empty()) map.notes.push_back({note, *name});
  }
  return true;
}

#include "writers/xml_drum_map_reader.h"

#include "writers/input_text.h"

namespace {

// The child <KIND name="NAME" value="..."/>'s value, or null.
const std::string* Value(const XmlElement& parent, const char* kind, const char* name) {
  for (const XmlElement& child : parent.children) {
    const std::string* childName = child.Attribute("name");
    if (child.name == kind && childName != nullptr && *childName == name) return child.Attribute("value");
  }
  return nullptr;
}

}  // namespace

bool ReadXmlDrumMap(const XmlElement& root, DrumMapInput& map, std::string& reason) {
  map = DrumMapInput();
  map.prefix = NotePrefix::kBracketed;
  if (root.name != "DrumMap") {
    reason = "the root element is <" + root.name + ">, not <DrumMap>";
    return false;
  }
  if (const std::string* name = Value(root, "string", "Name")) map.mapName = *name;
  for (const XmlElement& list : root.children) {
    const std::string* listName = list.Attribute("name");
    if (list.name != "list" || listName == nullptr || *listName != "Map") continue;
    for (const XmlElement& item : list.children) {
      if (item.name != "item") continue;
      const std::string* number = Value(item, "int", "INote");
      const std::string* name = Value(item, "string", "Name");
      int note;
      if (number == nullptr || !ParseNoteNumber(TrimBlanks(*number), note)) {
        reason = "XML line " + std::to_string(item.line) + ": an item whose INote is not a note number 0-127";
        return false;
      }
      if (name != nullptr && !name->empty()) map.notes.push_back({note, *name});
    }
  }
  return true;
}

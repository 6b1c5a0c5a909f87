#include "writers/midnam_document_reader.h"

#include <vector>

#include "writers/input_text.h"

namespace {

std::string Text(const XmlElement& element) { return std::string(TrimBlanks(element.text)); }

// The first element called `name` anywhere below `parent`, depth first, whose
// attribute Name is `listName` (any, when `listName` is null).
const XmlElement* Find(const XmlElement& parent, const char* name, const std::string* listName) {
  for (const XmlElement& child : parent.children) {
    if (child.name == name) {
      const std::string* childName = child.Attribute("Name");
      if (listName == nullptr || (childName != nullptr && *childName == *listName)) return &child;
    }
    if (const XmlElement* found = Find(child, name, listName)) return found;
  }
  return nullptr;
}

// The name of the channel name set the device uses for drums.
const std::string* DrumChannelNameSet(const XmlElement& device) {
  const XmlElement* mode = Find(device, "CustomDeviceMode", nullptr);
  const XmlElement* assignments = mode ? mode->Child("ChannelNameSetAssignments") : nullptr;
  if (assignments == nullptr) return nullptr;
  const std::string* first = nullptr;
  for (const XmlElement& assign : assignments->children) {
    if (assign.name != "ChannelNameSetAssign") continue;
    const std::string* channel = assign.Attribute("Channel");
    const std::string* set = assign.Attribute("NameSet");
    if (set == nullptr) continue;
    if (channel != nullptr && TrimBlanks(*channel) == "10") return set;
    if (first == nullptr) first = set;
  }
  return first;
}

const XmlElement* NoteList(const XmlElement& root, const XmlElement& device) {
  const XmlElement* set = Find(device, "ChannelNameSet", DrumChannelNameSet(device));
  if (set == nullptr) set = Find(device, "ChannelNameSet", nullptr);
  const XmlElement* uses = set ? Find(*set, "UsesNoteNameList", nullptr) : nullptr;
  const std::string* listName = uses ? uses->Attribute("Name") : nullptr;
  if (listName != nullptr) {
    if (const XmlElement* list = Find(device, "NoteNameList", listName)) return list;
    if (const XmlElement* list = Find(root, "NoteNameList", listName)) return list;
  }
  if (const XmlElement* list = Find(device, "NoteNameList", nullptr)) return list;
  return Find(root, "NoteNameList", nullptr);
}

bool ReadNotes(const XmlElement& list, DrumMapInput& map, std::string& reason) {
  for (const XmlElement& child : list.children) {
    if (child.name == "NoteGroup") {
      if (!ReadNotes(child, map, reason)) return false;
      continue;
    }
    if (child.name != "Note") continue;
    const std::string* number = child.Attribute("Number");
    const std::string* name = child.Attribute("Name");
    int note;
    if (number == nullptr || !ParseNoteNumber(TrimBlanks(*number), note)) {
      reason = "XML line " + std::to_string(child.line) + ": a note whose Number is not 0-127";
      return false;
    }
    if (name != nullptr && !name->empty()) map.notes.push_back({note, *name});
  }
  return true;
}

}  // namespace

bool ReadMidiNameDocument(const XmlElement& root, const ReadOptions& options, DrumMapInput& map,
                          std::string& reason) {
  map = DrumMapInput();
  map.prefix = NotePrefix::kBracketed;
  if (root.name != "MIDINameDocument") {
    reason = "the root element is <" + root.name + ">, not <MIDINameDocument>";
    return false;
  }
  const XmlElement* device = nullptr;
  std::string models;
  for (const XmlElement& candidate : root.children) {
    if (candidate.name != "MasterDeviceNames") continue;
    for (const XmlElement& model : candidate.children) {
      if (model.name != "Model") continue;
      const std::string text = Text(model);
      if (device == nullptr && (options.model.empty() || text == options.model)) {
        device = &candidate;
        map.mapName = text;
      }
      if (models.size() < 200) models += (models.empty() ? "" : ", ") + text;
    }
    if (device == nullptr && options.model.empty()) device = &candidate;
  }
  if (device == nullptr && !options.model.empty()) {
    reason = "no model '" + options.model + "' in the document" +
             (models.empty() ? std::string(" (it names none)") : " (models: " + models + ")");
    return false;
  }
  if (device == nullptr) device = &root;
  const XmlElement* list = NoteList(root, *device);
  return list == nullptr || ReadNotes(*list, map, reason);
}

// What a reader takes out of a file drummap-export reads: the map's name
// and the named notes, as the file holds them. Turning notes into the 96
// pads (warnings, note-name prefixes) is notes_to_pads.h's job.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The largest input file read: a MIDI name document with many models is
// the largest kind; a drum map takes 60 KB.
constexpr std::size_t kInputFileMaxBytes = 8 * 1024 * 1024;

enum class InputFormat {
  kKit,        // kit text: one pad name a line
  kXml,        // the XML drum map
  kBinary,     // the binary .drm drum map
  kMidnam,     // MIDI name document
  kReaper,     // REAPER note names
  kPitchList,  // Studio One pitch list
  kTable,      // CSV or TSV table of note and name
};

// How the names carry their note in front when "Add note names" wrote them.
enum class NotePrefix {
  kNone,       // never (kit text, tables)
  kBracketed,  // "[C0]Kick"
  kBare,       // "C0Kick" (the binary drum map)
};

struct InputNote {
  int note;          // as the file gives it: 0-127 for every reader
  std::string name;  // as the file holds it, entities resolved
};

struct DrumMapInput {
  std::string mapName;           // empty when the file names no map
  std::vector<InputNote> notes;  // in the file's order, empty names left out
  NotePrefix prefix = NotePrefix::kNone;
};

struct ReadOptions {
  std::int32_t octaveOfNote60 = 3;  // for note names in tables
  std::string model;                // MIDI name documents: the model to read; empty for the first
};

// The command-line name of a format ("kit", "xml", ...) and back; null or
// false for a name that is none.
const char* InputFormatName(InputFormat format);
bool FindInputFormat(const std::string& name, InputFormat& format);

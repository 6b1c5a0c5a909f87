#include "cli/drummap_export.h"

#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/drum_map_reading.h"
#include "cli/kit_file.h"
#include "cli/messages.h"
#include "cli/output_targets.h"
#include "export/export_state.h"
#include "platform/file_ops.h"
#include "writers/drum_map_format.h"
#include "writers/general_midi_percussion.h"
#include "writers/utf8_conversion.h"
#include "writers/write_capture.h"
#include "writers/write_failure.h"

namespace {

constexpr const char* kProgram = "drummap-export";

// Writes one file of the map in the export state to `path`, or to standard
// output for "-": the map is formed in memory and goes out in one piece.
bool WriteOne(const std::string& path, std::ostream& out, std::ostream& err) {
  CopyText(exportState.filePath, path.c_str());
  const bool toStandardOutput = path == "-";
  std::string bytes;
  std::optional<ScopedWriteCapture> capture;
  if (toStandardOutput) capture.emplace(bytes);
  if (!WriteDrumMap()) {
    const std::string reason = LastWriteFailure();
    Failure(err, toStandardOutput ? "standard output" : path,
            reason.empty() ? "the drum map could not be written" : reason);
    return false;
  }
  if (toStandardOutput) return PutOnStandardOutput(out, err, bytes) == 0;
  return PutOnStandardOutput(out, err, Printable(path) + "\n") == 0;
}

// The run's inputs that exist, each with its identity: found once, so that
// checking an output against them costs one look at the output.
struct InputFile {
  std::string path;
  FileId id;
};

std::vector<InputFile> FindInputFiles(const std::vector<std::string>& inputs) {
  std::vector<InputFile> files;
  for (const std::string& input : inputs) {
    InputFile file{input, {}};
    if (FindFileId(input.c_str(), file.id)) files.push_back(file);
  }
  return files;
}

// Why `path` may not be written: it is one of the run's inputs (kits and
// REAPER note names are both .txt), or empty.
std::string IsAnInput(const std::string& path, const std::string& input, InputFormat format,
                      const std::vector<InputFile>& inputs) {
  FileId id;
  if (path == "-" || !FindFileId(path.c_str(), id)) return std::string();
  if (format == InputFormat::kKit)
    for (const InputFile& file : inputs)
      if (file.path == input && file.id == id)
        return "is the kit file " + input + "; the kit is never overwritten";
  for (const InputFile& other : inputs)
    if (other.id == id) return "is the input file " + other.path + "; an input is never overwritten";
  return std::string();
}

// Fills the export state with one input's pads and the options, as the
// wizard fills it from the host's kit, and writes it in every format asked
// for. False when any file failed.
bool WriteInput(const std::string& input, const InputMap& map, const std::string& name,
                const Options& options, const std::vector<InputFile>& inputs, OutputTargets& targets,
                std::ostream& out, std::ostream& err) {
  const std::vector<std::string>& pads = map.pads;
  ResetExportState();
  // The map's name and the path come from this command line or from a name
  // field of their own: valid UTF-8 is taken as UTF-8 whatever the pads are.
  const ScopedUtf8Conversion conversion(KitTextConversion(pads), &Utf8AsIs);
  for (int pad = 0; pad < kPadCount; ++pad) SetPadName(pad, pads[static_cast<std::size_t>(pad)].c_str());
  CopyText(exportState.mapName, name.c_str());
  exportState.addNoteNames = options.noteNames ? 1 : 0;
  exportState.moveEmptyPadsToEnd = options.moveEmptyPads ? 1 : 0;
  exportState.octaveOfNote60 = options.octaveOfNote60;
  if (options.fillEmptyWithGeneralMidi) FillEmptyPadsWithGeneralMidiNames();
  bool ok = true;
  for (const DrumMapFormatInfo* format : options.formats) {
    exportState.formatIndex = static_cast<std::int32_t>(format->format);
    std::string path;
    std::string reason;
    if (!targets.Target(name, *format, path, reason) ||
        !(reason = IsAnInput(path, input, map.format, inputs)).empty()) {
      Failure(err, path, reason);
      ok = false;
    } else if (!WriteOne(path, out, err)) {
      ok = false;
    }
  }
  return ok;
}

}  // namespace

int RunDrumMapExport(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Options options;
  if (const int code = ParseArguments(argc, argv, options, out, err); code != kRunExport) return code;

  OutputTargets targets(options.output);
  const std::vector<InputFile> inputs = FindInputFiles(options.inputs);
  std::size_t failed = 0;
  for (const std::string& input : options.inputs) {
    InputMap map;
    std::string reason;
    if (!ReadInput(input, options.input, map, reason)) {
      Failure(err, input, reason);
      ++failed;
      continue;
    }
    for (const std::string& warning : map.warnings) Warning(err, input, warning);
    if (options.strict && map.notesOutsidePads > 0) {
      Failure(err, input,
              "--strict: " + std::to_string(map.notesOutsidePads) +
                  " named notes outside the pads' notes 24-119; nothing is written");
      ++failed;
      continue;
    }
    std::string name = options.name;
    if (!options.nameGiven && map.format != InputFormat::kKit)
      name = !map.mapName.empty() ? map.mapName : FileStem(input);
    if (!WriteInput(input, map, name, options, inputs, targets, out, err)) ++failed;
  }
  if (failed > 0 && options.inputs.size() > 1)
    err << kProgram << ": " << failed << " of " << options.inputs.size() << " inputs failed\n";
  return failed > 0 ? 1 : 0;
}

#include "cli/drummap_export.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "cli/kit_file.h"
#include "export/export_state.h"
#include "writers/atomic_file.h"
#include "writers/drum_map_format.h"

namespace {

constexpr const char* kUsage =
    "usage: drummap-export [--format xml|binary] [--name NAME] [--no-note-names]\n"
    "                      [--keep-order] [-o PATH] KIT\n"
    "\n"
    "Writes a drum map for the pads named in KIT (one pad name a line, pad 0 first).\n"
    "  --format xml|binary  XML drum map (default) or binary .drm drum map\n"
    "  --name NAME          the drum map's name, at most 55 bytes (default Untitled)\n"
    "  --no-note-names      do not prefix pad names with their note names\n"
    "  --keep-order         list notes in note order instead of named pads first\n"
    "  -o PATH              the file to write (default: NAME.drm)\n";

struct Options {
  const DrumMapFormatInfo* format = &kDrumMapFormats[0];
  std::string name = "Untitled";
  bool noteNames = true;
  bool moveEmptyPads = true;
  std::string output;
  std::string kit;
};

// "xml or binary": the command-line names of all formats.
std::string FormatNames() {
  std::string names;
  for (std::size_t i = 0; i < kDrumMapFormats.size(); ++i) {
    if (i > 0) names += i + 1 == kDrumMapFormats.size() ? " or " : ", ";
    names += kDrumMapFormats[i].commandLineName;
  }
  return names;
}

int Usage(std::ostream& err, const std::string& problem) {
  err << "drummap-export: " << problem << "\n" << kUsage;
  return 2;
}

// Returns 0 when the arguments parsed, else the exit code of a usage error.
int ParseArguments(int argc, const char* const* argv, Options& options, std::ostream& err) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool takesValue = arg == "--format" || arg == "--name" || arg == "-o";
    if (takesValue && i + 1 >= argc) return Usage(err, "missing value after " + arg);
    if (arg == "--format") {
      const std::string value = argv[++i];
      options.format = FindDrumMapFormat(value.c_str());
      if (options.format == nullptr)
        return Usage(err, "unknown format '" + value + "' (" + FormatNames() + ")");
    } else if (arg == "--name") {
      options.name = argv[++i];
      if (options.name.size() > kMapNameSize - 1) return Usage(err, "the name is longer than 55 bytes");
    } else if (arg == "-o") {
      options.output = argv[++i];
    } else if (arg == "--no-note-names") {
      options.noteNames = false;
    } else if (arg == "--keep-order") {
      options.moveEmptyPads = false;
    } else if (arg == "-h" || arg == "--help") {
      return Usage(err, "help");
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage(err, "unknown option " + arg);
    } else if (options.kit.empty()) {
      options.kit = arg;
    } else {
      return Usage(err, "more than one kit file given");
    }
  }
  if (options.kit.empty()) return Usage(err, "no kit file given");
  if (options.output.empty()) options.output = options.name + "." + options.format->defaultExtension;
  if (options.output.size() > kFilePathSize - 1)
    return Usage(err, "the output path is longer than 199 bytes");
  return 0;
}

// `text` with its control bytes shown as \xNN, so that a path cannot move the
// cursor or change colours in the terminal that shows the message.
std::string Printable(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      shown += escaped;
    } else {
      shown += c;
    }
  }
  return shown;
}

int Failure(std::ostream& err, const std::string& path, const std::string& reason) {
  err << "drummap-export: " << Printable(path + ": " + reason) << "\n";
  return 1;
}

}  // namespace

int RunDrumMapExport(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Options options;
  if (const int usage = ParseArguments(argc, argv, options, err)) return usage;

  std::vector<std::string> names;
  std::string problem;
  if (!ReadKitFile(options.kit.c_str(), names, problem)) return Failure(err, options.kit, problem);

  ResetExportState();
  for (int pad = 0; pad < kPadCount; ++pad) SetPadName(pad, names[pad].c_str());
  CopyText(exportState.mapName, options.name.c_str());
  CopyText(exportState.filePath, options.output.c_str());
  exportState.addNoteNames = options.noteNames ? 1 : 0;
  exportState.moveEmptyPadsToEnd = options.moveEmptyPads ? 1 : 0;
  exportState.formatIndex = static_cast<std::int32_t>(options.format->format);

  // "-o -": the map is formed in memory and goes to standard output in one
  // piece; no file is made.
  const bool toStandardOutput = options.output == "-";
  std::string bytes;
  std::optional<ScopedWriteCapture> capture;
  if (toStandardOutput) capture.emplace(bytes);
  if (!WriteDrumMap()) {
    const std::string reason = LastWriteFailure();
    return Failure(err, toStandardOutput ? "standard output" : options.output,
                   reason.empty() ? "the drum map could not be written" : reason);
  }
  if (toStandardOutput) {
    errno = 0;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) return Failure(err, "standard output", errno != 0 ? std::strerror(errno) : "write error");
    return 0;
  }
  out << options.output << "\n";
  return 0;
}

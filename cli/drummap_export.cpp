#include "cli/drummap_export.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/drum_map_reading.h"
#include "cli/kit_file.h"
#include "cli/output_targets.h"
#include "export/export_state.h"
#include "platform/file_ops.h"
#include "writers/write_capture.h"
#include "writers/write_failure.h"
#include "writers/drum_map_format.h"
#include "writers/general_midi_percussion.h"
#include "writers/note_name.h"
#include "writers/utf8_conversion.h"

namespace {

constexpr const char* kProgram = "drummap-export";
constexpr int kGoOn = -1;

struct Options {
  std::vector<const DrumMapFormatInfo*> formats{&kDrumMapFormats[0]};
  std::string name = "Untitled";
  bool nameGiven = false;
  bool noteNames = true;
  bool moveEmptyPads = true;
  int octaveOfNote60 = kDefaultOctaveOfNote60;
  bool fillEmptyWithGeneralMidi = false;
  std::string output;
  std::vector<std::string> inputs;
  InputSettings input;
  bool strict = false;
};

// "midnam,reaper" as its formats; false when a name is none.
bool ParseFormatList(const std::string& list, std::vector<const DrumMapFormatInfo*>& formats,
                     std::string& bad) {
  formats.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = list.find(',', start);
    const std::string name =
        list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    const DrumMapFormatInfo* format = FindDrumMapFormat(name.c_str());
    if (format == nullptr) {
      bad = name;
      return false;
    }
    if (std::find(formats.begin(), formats.end(), format) == formats.end()) formats.push_back(format);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// The command-line names of all formats, joined: "xml|binary", "xml or binary".
std::string FormatNames(const char* bar, const char* lastBar) {
  std::string names;
  for (std::size_t i = 0; i < kDrumMapFormats.size(); ++i) {
    if (i > 0) names += i + 1 == kDrumMapFormats.size() ? lastBar : bar;
    names += kDrumMapFormats[i].commandLineName;
  }
  return names;
}

// A check of an option's value: `problem` returns what is wrong with it, or
// an empty string when nothing is.
template <typename Check>
CLI::Validator Valid(Check problem) {
  return CLI::Validator([problem](std::string& value) { return problem(value); }, "");
}

CLI::Validator AtMostBytes(std::size_t limit, const char* what) {
  return Valid([limit, what](const std::string& value) {
    if (value.size() <= limit) return std::string();
    return std::string(what) + " is longer than " + std::to_string(limit) + " bytes";
  });
}

CLI::Validator NotEmpty(const char* what) {
  return Valid(
      [what](const std::string& value) { return value.empty() ? std::string(what) + " is empty" : ""; });
}

// The help: the usage line first, then what the program does, the arguments
// and the footer.
class HelpFormatter : public CLI::Formatter {
 public:
  HelpFormatter() {
    label("Usage", "usage");
    column_width(24);
  }
  std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override {
    return make_usage(app, name) + "\n" + make_description(app) + make_positionals(app) +
           make_groups(app, mode) + "\n" + make_footer(app);
  }
};

// The command line of drummap-export, bound to `options`: one call an
// option; a new option is added here and appears in --help by itself.
void DefineCommandLine(CLI::App& app, Options& options) {
  app.description(
      "Writes a drum map or a note-name file for the pads named in each INPUT: a kit,\n"
      "or a drum map or note-name file of any format it writes, or a table.");
  app.footer(
      "Formats: xml, the XML drum map (default); binary, the binary .drm drum map;\n"
      "midnam, a MIDI name document (.midnam); reaper, REAPER note names (.txt);\n"
      "pitchlist, a Studio One pitch list (.pitchlist). midnam, reaper and pitchlist\n"
      "list the named pads in note order and are written in UTF-8: an input whose\n"
      "names are valid UTF-8 is taken as it is, any other as Windows-1252; so is\n"
      "the map's name, on its own.\n"
      "Inputs: a kit is a text file with one pad name a line, pad 0 (note 24) first.\n"
      "drummap-export also reads every format above and csv, a CSV or TSV table of\n"
      "note and name (a note 0-127 or a name such as C1 or D#2 in the convention of\n"
      "--octave-of-note-60; an optional header row). The kind of file is found from\n"
      "its content, never its name, in this order: binary, a file beginning with\n"
      "D103; XML, a file beginning with '<' (its root element: <DrumMap>,\n"
      "<MIDINameDocument> or <Music.PitchNameList>); reaper, when the first line\n"
      "that is not empty is a comment (# or //) or when every line that is not empty\n"
      "is a different note number 0-127, blanks and a name (or a comment or a CC\n"
      "line); csv, when every row but a header begins with a note and a TAB, comma\n"
      "or semicolon; else a kit. A kit whose every name begins with a different\n"
      "number 0-127 and a blank therefore reads as REAPER note names: give --from\n"
      "kit. A file that is none of them (binary data, an XML file of another kind)\n"
      "is refused. Note n goes to pad n-24; a named note outside 24-119 is left out\n"
      "with a warning (an error with --strict), and of a note named twice the first\n"
      "name counts, with a warning. A name that begins with its own note's name as\n"
      "\"Add note names\" writes it ([C0]Kick, or C0Kick in the binary map) loses\n"
      "that prefix. The map's name is NAME, else the one the file gives (the XML\n"
      "map's name, the document's model, the pitch list's title, REAPER's first\n"
      "comment line), else the file's name without its extension; a kit's is\n"
      "Untitled.\n"
      "Exit status: 0 written, 1 an input could not be read or a file could not be\n"
      "written (the other inputs are still written), 2 a usage error.");
  // As before CLI11: an option given twice takes its last value.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.set_help_flag("-h,--help", "print this help and exit")->disable_flag_override();
  app.set_version_flag("--version", std::string(kProgram) + " " + DRUMMAP_VERSION,
                       "print the version and exit")
      ->disable_flag_override();

  app.add_option_function<std::string>(
         "--format",
         [&options](const std::string& value) {
           std::string bad;
           ParseFormatList(value, options.formats, bad);
         },
         std::string("the files' formats, one or several joined by commas (default ") +
             kDrumMapFormats[0].commandLineName + ")")
      ->type_name(FormatNames("|", "|") + ",...")
      ->check(Valid([](const std::string& value) {
        std::vector<const DrumMapFormatInfo*> formats;
        std::string bad;
        if (ParseFormatList(value, formats, bad)) return std::string();
        return "unknown format '" + bad + "' (" + FormatNames(", ", " or ") + ")";
      }));
  app.add_option_function<std::string>(
         "--name",
         [&options](const std::string& value) {
           options.name = value;
           options.nameGiven = true;
         },
         "the drum map's name, at most 55 bytes (default: the input's, see below)")
      ->type_name("NAME")
      ->check(AtMostBytes(kMapNameSize - 1, "the name"));
  app.add_option_function<std::string>(
         "--from",
         [&options](const std::string& value) {
           options.input.formatGiven = FindInputFormat(value, options.input.format);
         },
         "read every INPUT as this kind of file instead of finding it from the content")
      ->type_name("kit|xml|binary|midnam|reaper|pitchlist|csv")
      ->check(Valid([](const std::string& value) {
        InputFormat format;
        return FindInputFormat(value, format) ? std::string()
                                              : "unknown input format '" + value +
                                                    "' (kit, xml, binary, midnam, reaper, pitchlist or csv)";
      }));
  app.add_option("--model", options.input.read.model,
                 "MIDI name documents: read the device with this model (default: the\n"
                 "document's first device)")
      ->type_name("MODEL");
  app.add_flag("--strict", options.strict,
               "refuse an input that names notes outside the pads (24-119) instead of\n"
               "leaving them out with a warning")
      ->disable_flag_override();
  app.add_flag("--keep-prefixes", options.input.keepPrefixes,
               "keep note names in front of the names read ([C0]Kick stays [C0]Kick)")
      ->disable_flag_override();
  app.add_flag_callback(
         "--no-note-names", [&options] { options.noteNames = false; },
         "do not prefix pad names with their note names")
      ->disable_flag_override();
  app.add_flag_callback(
         "--keep-order", [&options] { options.moveEmptyPads = false; },
         "drum maps: list notes in note order instead of named pads first")
      ->disable_flag_override();
  app.add_option("--octave-of-note-60", options.octaveOfNote60,
                 "the octave in the note names of note 60: 3 (default, note 24 is C0), 4 or 5;\n"
                 "no note number changes")
      ->type_name("3|4|5")
      ->check(Valid([](const std::string& value) {
        return value == "3" || value == "4" || value == "5" ? std::string() : "the octave is 3, 4 or 5";
      }));
  app.add_option_function<std::string>(
         "--fill-empty", [&options](const std::string&) { options.fillEmptyWithGeneralMidi = true; },
         "gm: empty pads on General MIDI percussion notes (35-81) get the standard\n"
         "names (Acoustic Bass Drum ... Open Triangle)")
      ->type_name("gm")
      ->check(Valid([](const std::string& value) {
        return value == "gm" ? std::string() : "unknown set of names '" + value + "' (gm)";
      }));
  // The export state's path field holds 200 bytes with the terminator.
  app.add_option("-o", options.output,
                 "the file to write, at most 199 bytes, or - for standard output, or a folder\n"
                 "(a path ending in / or an existing folder), which several inputs or formats\n"
                 "need (default: the current folder); in a folder each file is named NAME.drm,\n"
                 "the format's extension after the map's name, each character that a file name\n"
                 "cannot hold replaced by _")
      ->type_name("PATH")
      ->check(NotEmpty("the output path"))
      ->check(AtMostBytes(kFilePathSize - 1, "the output path"));
  app.add_option("INPUT", options.inputs, "the files to read: kits, drum maps, note-name files, tables")
      ->type_name("")
      ->required()
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->check(NotEmpty("the input path"));
}

// The arguments in the order CLI11 takes them (the last first). CLI11 reads
// "--name=" (nothing after the '=') as "--name" with the next argument as
// its value, which would make "--name= --keep-order KIT" a drum map named
// "--keep-order"; here it is the empty value it says it is.
std::vector<std::string> ArgumentsForParser(const CLI::App& app, int argc, const char* const* argv) {
  auto takesValue = [&app](const std::string& name) {
    const CLI::Option* option = app.get_option_no_throw(name);
    return option != nullptr && option->get_items_expected_max() > 0;
  };
  std::vector<std::string> args;
  bool value = false;           // this argument is the value of the option before it
  bool positionalOnly = false;  // after "--"
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool plain = value || positionalOnly;
    value = false;
    if (!plain && arg == "--") {
      positionalOnly = true;
    } else if (!plain && arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      const std::size_t equals = arg.find('=');
      const std::string name = arg.substr(0, equals);
      if (takesValue(name) && equals == std::string::npos) {
        value = true;
      } else if (takesValue(name) && equals + 1 == arg.size()) {
        args.push_back(name);
        args.emplace_back();
        continue;
      }
    } else if (!plain && arg.size() == 2 && arg[0] == '-') {
      value = takesValue(arg);
    }
    args.push_back(arg);
  }
  std::reverse(args.begin(), args.end());
  return args;
}

int Failure(std::ostream& err, const std::string& path, const std::string& reason);

// Puts `text` on standard output: 0 when all of it got there, else 1 with
// the reason on standard error (a full disk, a closed pipe or descriptor).
int PutOnStandardOutput(std::ostream& out, std::ostream& err, const std::string& text) {
  errno = 0;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.flush();
  if (out) return 0;
  return Failure(err, "standard output", errno != 0 ? std::strerror(errno) : "write error");
}

// Returns kGoOn when the arguments ask for an export, else the exit code:
// 0 after --help or --version (printed on `out`), 2 after a usage error.
int ParseArguments(int argc, const char* const* argv, Options& options, std::ostream& out,
                   std::ostream& err) {
  CLI::App app("", kProgram);
  const auto help = std::make_shared<HelpFormatter>();
  app.formatter(help);
  try {
    DefineCommandLine(app, options);
    std::vector<std::string> args = ArgumentsForParser(app, argc, argv);
    app.parse(args);
  } catch (const CLI::CallForHelp&) {
    return PutOnStandardOutput(out, err, app.help());
  } catch (const CLI::CallForVersion& version) {
    return PutOnStandardOutput(out, err, std::string(version.what()) + "\n");
  } catch (const CLI::Error& problem) {
    err << kProgram << ": " << problem.what() << "\n"
        << help->make_usage(&app, kProgram) << "Run '" << kProgram << " --help' for the options.\n";
    return 2;
  }
  options.input.read.octaveOfNote60 = options.octaveOfNote60;
  const std::string tooMany =
      OutputTargets(options.output).Problem(options.inputs.size(), options.formats.size());
  if (!tooMany.empty()) {
    err << kProgram << ": " << tooMany << "\n"
        << help->make_usage(&app, kProgram) << "Run '" << kProgram << " --help' for the options.\n";
    return 2;
  }
  return kGoOn;
}

// `text` with its control bytes shown as \xNN, so that a path cannot move the
// cursor or change colours in the terminal that shows it: the C0 controls,
// DEL, the C1 controls in UTF-8 (C2 80 to C2 9F) and the bytes 80 to 9F that
// are no part of a UTF-8 character (a terminal reading 8-bit text takes
// them for C1 controls). Other UTF-8 characters stay as they are.
std::string Printable(const std::string& text) {
  std::string shown;
  const auto escape = [&shown](unsigned char byte) {
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    shown += escaped;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    const std::size_t length = Utf8CharacterLength(text, i);
    if (byte < 0x20 || byte == 0x7F || (length == 0 && byte <= 0x9F)) {
      escape(byte);
    } else if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      escape(byte);
      escape(static_cast<unsigned char>(text[++i]));
    } else if (length > 1) {
      shown.append(text, i, length);
      i += length - 1;
    } else {
      shown += text[i];
    }
  }
  return shown;
}

int Failure(std::ostream& err, const std::string& path, const std::string& reason) {
  err << "drummap-export: " << Printable(path + ": " + reason) << "\n";
  return 1;
}

void Warning(std::ostream& err, const std::string& path, const std::string& warning) {
  err << "drummap-export: warning: " << Printable(path + ": " + warning) << "\n";
}

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

// Why `path` may not be written: it is one of the run's inputs (kits and
// REAPER note names are both .txt), or empty.
std::string IsAnInput(const std::string& path, const std::string& input, InputFormat format,
                      const std::vector<std::string>& inputs) {
  if (path == "-") return std::string();
  if (format == InputFormat::kKit && IsSameFile(path.c_str(), input.c_str()))
    return "is the kit file " + input + "; the kit is never overwritten";
  for (const std::string& other : inputs)
    if (IsSameFile(path.c_str(), other.c_str()))
      return "is the input file " + other + "; an input is never overwritten";
  return std::string();
}

// Fills the export state with one input's pads and the options, as the
// wizard fills it from the host's kit, and writes it in every format asked
// for. False when any file failed.
bool WriteInput(const std::string& input, const InputMap& map, const std::string& name,
                const Options& options, OutputTargets& targets, std::ostream& out, std::ostream& err) {
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
    std::string problem;
    if (!targets.Target(name, *format, path, problem) ||
        !(problem = IsAnInput(path, input, map.format, options.inputs)).empty()) {
      Failure(err, path, problem);
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
  if (const int code = ParseArguments(argc, argv, options, out, err); code != kGoOn) return code;

  OutputTargets targets(options.output);
  std::size_t failed = 0;
  for (const std::string& input : options.inputs) {
    InputMap map;
    std::string problem;
    if (!ReadInput(input, options.input, map, problem)) {
      Failure(err, input, problem);
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
    if (!WriteInput(input, map, name, options, targets, out, err)) ++failed;
  }
  if (failed > 0 && options.inputs.size() > 1)
    err << kProgram << ": " << failed << " of " << options.inputs.size() << " inputs failed\n";
  return failed > 0 ? 1 : 0;
}

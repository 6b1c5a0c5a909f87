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

#include "cli/kit_file.h"
#include "cli/output_file_name.h"
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
  const DrumMapFormatInfo* format = &kDrumMapFormats[0];
  std::string name = "Untitled";
  bool noteNames = true;
  bool moveEmptyPads = true;
  int octaveOfNote60 = kDefaultOctaveOfNote60;
  bool fillEmptyWithGeneralMidi = false;
  std::string output;
  std::string kit;
};

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
  app.description("Writes a drum map or a note-name file for the pads named in KIT.");
  app.footer(
      "Formats: xml, the XML drum map (default); binary, the binary .drm drum map;\n"
      "midnam, a MIDI name document (.midnam); reaper, REAPER note names (.txt);\n"
      "pitchlist, a Studio One pitch list (.pitchlist). midnam, reaper and pitchlist\n"
      "list the named pads in note order and are written in UTF-8: a KIT that is\n"
      "valid UTF-8 is taken as it is, any other as Windows-1252; so is NAME, on its\n"
      "own.\n"
      "KIT is a text file with one pad name a line, pad 0 (note 24) first.\n"
      "Exit status: 0 written, 1 the kit could not be read or the file could not be\n"
      "written, 2 a usage error.");
  // As before CLI11: an option given twice takes its last value.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.set_help_flag("-h,--help", "print this help and exit")->disable_flag_override();
  app.set_version_flag("--version", std::string(kProgram) + " " + DRUMMAP_VERSION,
                       "print the version and exit")
      ->disable_flag_override();

  app.add_option_function<std::string>(
         "--format",
         [&options](const std::string& value) { options.format = FindDrumMapFormat(value.c_str()); },
         std::string("the file's format (default ") + kDrumMapFormats[0].commandLineName + ")")
      ->type_name(FormatNames("|", "|"))
      ->check(Valid([](const std::string& value) {
        if (FindDrumMapFormat(value.c_str()) != nullptr) return std::string();
        return "unknown format '" + value + "' (" + FormatNames(", ", " or ") + ")";
      }));
  app.add_option("--name", options.name, "the drum map's name, at most 55 bytes (default Untitled)")
      ->type_name("NAME")
      ->check(AtMostBytes(kMapNameSize - 1, "the name"));
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
                 "the file to write, at most 199 bytes, or - for standard output (default:\n"
                 "NAME.drm in the current folder, the format's extension after the name, each\n"
                 "character that a file name cannot hold replaced by _)")
      ->type_name("PATH")
      ->check(NotEmpty("the output path"))
      ->check(AtMostBytes(kFilePathSize - 1, "the output path"));
  app.add_option("KIT", options.kit, "the kit file")
      ->type_name("")
      ->required()
      ->check(NotEmpty("the kit path"));
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
  if (options.output.empty())
    options.output = DefaultOutputFileName(options.name, options.format->defaultExtension);
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

}  // namespace

int RunDrumMapExport(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Options options;
  if (const int code = ParseArguments(argc, argv, options, out, err); code != kGoOn) return code;

  // Kits and REAPER note names are both .txt: never write over the kit.
  if (options.output != "-" && IsSameFile(options.output.c_str(), options.kit.c_str()))
    return Failure(err, options.output, "is the kit file " + options.kit + "; the kit is never overwritten");

  std::vector<std::string> names;
  std::string problem;
  if (!ReadKitFile(options.kit.c_str(), names, problem)) return Failure(err, options.kit, problem);

  ResetExportState();
  // The name and the path come from this command line: valid UTF-8 is taken
  // as UTF-8 whatever the kit is.
  const ScopedUtf8Conversion conversion(KitTextConversion(names), &Utf8AsIs);
  for (int pad = 0; pad < kPadCount; ++pad) SetPadName(pad, names[pad].c_str());
  CopyText(exportState.mapName, options.name.c_str());
  CopyText(exportState.filePath, options.output.c_str());
  exportState.addNoteNames = options.noteNames ? 1 : 0;
  exportState.moveEmptyPadsToEnd = options.moveEmptyPads ? 1 : 0;
  exportState.formatIndex = static_cast<std::int32_t>(options.format->format);
  exportState.octaveOfNote60 = options.octaveOfNote60;
  if (options.fillEmptyWithGeneralMidi) FillEmptyPadsWithGeneralMidiNames();

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
  if (toStandardOutput) return PutOnStandardOutput(out, err, bytes);
  return PutOnStandardOutput(out, err, Printable(options.output) + "\n");
}

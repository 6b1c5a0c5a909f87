#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>

#include "cli/argument_order.h"
#include "cli/help_formatter.h"
#include "cli/messages.h"
#include "cli/option_checks.h"
#include "cli/output_targets.h"
#include "export/export_state.h"

namespace {

constexpr const char* kProgram = "drummap-export";

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

// "Formats:" and a line for each format of the format table.
std::string FormatList() {
  std::string text = "Formats:\n";
  for (std::size_t i = 0; i < kDrumMapFormats.size(); ++i) {
    const DrumMapFormatInfo& format = kDrumMapFormats[i];
    std::string name = format.commandLineName;
    name.resize(std::max<std::size_t>(name.size() + 2, 11), ' ');
    text += "  " + name + format.description + " (." + format.defaultExtension + ")" +
            (i == 0 ? ", the default" : "") + "\n";
  }
  return text;
}

// The command line of drummap-export, bound to `options`: one call an
// option; a new option is added here and appears in --help by itself.
void DefineCommandLine(CLI::App& app, Options& options) {
  app.description(
      "Writes a drum map or a note-name file for the pads named in each INPUT: a kit,\n"
      "or a drum map or note-name file of any format it writes, or a table.");
  app.footer(FormatList() +
             "midnam, reaper and pitchlist list the named pads in note order and are\n"
             "written in UTF-8: an input whose names are valid UTF-8 is taken as it is,\n"
             "any other as Windows-1252; so is the map's name, on its own.\n"
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

}  // namespace

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
  return kRunExport;
}

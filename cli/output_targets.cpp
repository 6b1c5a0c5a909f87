#include "cli/output_targets.h"

#include <filesystem>
#include <system_error>

#include "cli/output_file_name.h"
#include "export/export_state.h"

namespace {

bool EndsInSeparator(const std::string& path) {
  if (path.empty()) return false;
#ifdef _WIN32
  if (path.back() == '\\') return true;
#endif
  return path.back() == '/';
}

}  // namespace

OutputTargets::OutputTargets(const std::string& output) : output_(output) {
  std::error_code ignored;
  if (output.empty()) {
    kind_ = Kind::kCurrentFolder;
  } else if (output == "-") {
    kind_ = Kind::kStandardOutput;
  } else if (EndsInSeparator(output) || std::filesystem::is_directory(output, ignored)) {
    kind_ = Kind::kFolder;
  } else {
    kind_ = Kind::kFile;
  }
}

std::string OutputTargets::Problem(std::size_t inputs, std::size_t formats) const {
  if ((kind_ == Kind::kFile || kind_ == Kind::kStandardOutput) && (inputs > 1 || formats > 1))
    return std::string("-o ") + (kind_ == Kind::kFile ? "names one file" : "- writes one file") +
           ": several inputs or formats need -o with a folder (DIR/)";
  return std::string();
}

bool OutputTargets::Target(const std::string& mapName, const DrumMapFormatInfo& format, std::string& path,
                           std::string& reason) {
  switch (kind_) {
    case Kind::kFile:
    case Kind::kStandardOutput:
      path = output_;
      return true;
    case Kind::kCurrentFolder:
      path = DefaultOutputFileName(mapName, format.defaultExtension);
      break;
    case Kind::kFolder:
      path = output_ + (EndsInSeparator(output_) ? "" : "/") +
             DefaultOutputFileName(mapName, format.defaultExtension);
      break;
  }
  if (path.size() >= static_cast<std::size_t>(kFilePathSize)) {
    reason = "the path is longer than " + std::to_string(kFilePathSize - 1) + " bytes";
    return false;
  }
  if (!written_.insert(path).second) {
    reason =
        "this run has written that file already (the XML and the binary drum map share .drm; maps of the "
        "same name share their files); nothing is written over it";
    return false;
  }
  return true;
}

#include "writers/drum_map_input.h"

namespace {

const struct {
  InputFormat format;
  const char* name;
} kInputFormats[] = {
    {InputFormat::kKit, "kit"},       {InputFormat::kXml, "xml"},
    {InputFormat::kBinary, "binary"}, {InputFormat::kMidnam, "midnam"},
    {InputFormat::kReaper, "reaper"}, {InputFormat::kPitchList, "pitchlist"},
    {InputFormat::kTable, "csv"},
};

}  // namespace

const char* InputFormatName(InputFormat format) {
  for (const auto& entry : kInputFormats)
    if (entry.format == format) return entry.name;
  return "";
}

bool FindInputFormat(const std::string& name, InputFormat& format) {
  for (const auto& entry : kInputFormats) {
    if (name == entry.name) {
      format = entry.format;
      return true;
    }
  }
  return false;
}

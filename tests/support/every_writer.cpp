#include "every_writer.h"

#include "writers/drum_map_format.h"

namespace test {

void PrintTo(const Writer& writer, std::ostream* os) { *os << writer.name; }

std::vector<Writer> EveryWriter() {
  std::vector<Writer> writers;
  for (const DrumMapFormatInfo& format : kDrumMapFormats)
    writers.push_back({format.commandLineName, format.write});
  return writers;
}

std::string WriterName(const ::testing::TestParamInfo<Writer>& info) { return info.param.name; }

}  // namespace test

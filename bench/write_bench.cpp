// Time to write a 96-pad kit's drum maps, next to two floors measured in the
// same run and folder: the same bytes in one write, and the XML file's 1814
// lines each handed to the system with its own write call (what any writer
// that flushes every line must pay at least).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "export/export_state.h"
#include "writers/binary_drum_map.h"
#include "writers/xml_drum_map.h"

namespace {

const std::string kFolder = "bench-out";

void FillKit(const char* file) {
  ResetExportState();
  for (int pad = 0; pad < kPadCount; ++pad) {
    const std::string name = pad % 5 == 4 ? "" : "Pad " + std::to_string(pad) + " Snare & Rim";
    SetPadName(pad, name.c_str());
  }
  std::snprintf(exportState.filePath, sizeof exportState.filePath, "%s/%s", kFolder.c_str(), file);
}

std::string ReadAll(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void CheckWritten(benchmark::State& state, bool written) {
  if (!written) state.SkipWithError("the drum map was not written");
}

void BM_WriteXmlDrumMap(benchmark::State& state) {
  FillKit("map.xml");
  for (auto _ : state) CheckWritten(state, WriteXmlDrumMap());
}

void BM_WriteBinaryDrumMap(benchmark::State& state) {
  FillKit("map.drm");
  for (auto _ : state) CheckWritten(state, WriteBinaryDrumMap());
}

// The XML writer's own output, written back by the two baselines.
std::string XmlBytes() {
  FillKit("reference.xml");
  WriteXmlDrumMap();
  return ReadAll(exportState.filePath);
}

void BM_BaselineOneWrite(benchmark::State& state) {
  const std::string bytes = XmlBytes();
  const std::string path = kFolder + "/one.xml";
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
      state.SkipWithError("write");
    ::close(fd);
  }
}

void BM_BaselineWritePerLine(benchmark::State& state) {
  const std::string bytes = XmlBytes();
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = bytes.find("\r\n", start) + 2;
    lines.push_back(bytes.substr(start, end - start));
    start = end;
  }
  if (lines.size() != 1814) state.SkipWithError("expected 1814 lines");
  const std::string path = kFolder + "/lines.xml";
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (const std::string& line : lines)
      if (::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        state.SkipWithError("write");
    ::close(fd);
  }
}

BENCHMARK(BM_BaselineOneWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineWritePerLine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteXmlDrumMap)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteBinaryDrumMap)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  ::mkdir(kFolder.c_str(), 0755);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

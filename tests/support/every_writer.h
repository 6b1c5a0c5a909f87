// One writer of each format, for tests that run once per writer.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace test {

// A writer of one format, for tests that run once per writer; shown and
// named by the format's command-line name.
struct Writer {
  const char* name;
  bool (*write)();
};
void PrintTo(const Writer& writer, std::ostream* os);
// One Writer for each format of the format table, in its order.
std::vector<Writer> EveryWriter();
// The test name suffix of a Writer parameter.
std::string WriterName(const ::testing::TestParamInfo<Writer>& info);

}  // namespace test

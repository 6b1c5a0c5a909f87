#include "cli/output_file_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(OutputFileName, MadeFromTheMapName) {
  const struct {
    std::string name;
    const char* extension;
    std::string file;
  } cases[] = {
      {"Untitled", "drm", "Untitled.drm"},
      {"Acoustic Kit 2", "xml", "Acoustic Kit 2.xml"},
      {"", "drm", "Untitled.drm"},
      {"AC/DC Kit", "drm", "AC_DC Kit.drm"},
      {"../w/sub/x", "drm", "___w_sub_x.drm"},
      {"C:\\x", "drm", "C__x.drm"},
      {"a*b?c\"d<e>f|g", "drm", "a_b_c_d_e_f_g.drm"},
      {"tab\there\nand\x1f\x7f", "drm", "tab_here_and__.drm"},
      {".808", "drm", "_808.drm"},
      {"...", "drm", "___.drm"},
      {"v1.2", "drm", "v1.2.drm"},
      {"\xe9t\xe9 kit", "drm", "\xe9t\xe9 kit.drm"},
      {"CON", "drm", "CON_.drm"},
      {"nul", "drm", "nul_.drm"},
      {"Aux.kit", "drm", "Aux_.kit.drm"},
      {"PRN  ", "drm", "PRN_  .drm"},
      {"COM1", "drm", "COM1_.drm"},
      {"lpt9", "drm", "lpt9_.drm"},
      {"COM\xB9", "drm", "COM\xB9_.drm"},
      {"CONSOLE", "drm", "CONSOLE.drm"},
      {"COM", "drm", "COM.drm"},
      {"a CON", "drm", "a CON.drm"},
      // Never taken for an option by the next program it is given to.
      {"-rf", "txt", "_rf.txt"},
      {"--help", "drm", "_-help.drm"},
      {"a-b", "drm", "a-b.drm"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.name));
    EXPECT_EQ(DefaultOutputFileName(c.name, c.extension), c.file);
  }
}

}  // namespace

#include "export/export_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Taken by a dynamic initializer, before any test touches the state; the
// state itself is constant-initialised, so this sees the load values.
const ExportState stateAtLoad = exportState;

bool AllZero(const char* bytes, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i)
    if (bytes[i] != '\0') return false;
  return true;
}

TEST(ExportState, LoadValues) {
  EXPECT_TRUE(AllZero(&stateAtLoad.padNames[0][0], sizeof stateAtLoad.padNames));
  EXPECT_TRUE(AllZero(stateAtLoad.storedPath, sizeof stateAtLoad.storedPath));
  EXPECT_TRUE(AllZero(stateAtLoad.directory, sizeof stateAtLoad.directory));
  EXPECT_TRUE(AllZero(stateAtLoad.mapName, sizeof stateAtLoad.mapName));
  EXPECT_TRUE(AllZero(stateAtLoad.filePath, sizeof stateAtLoad.filePath));
  EXPECT_EQ(stateAtLoad.addNoteNames, 1);
  EXPECT_EQ(stateAtLoad.moveEmptyPadsToEnd, 1);
  EXPECT_EQ(stateAtLoad.formatIndex, 0);
  EXPECT_EQ(stateAtLoad.fileSaved, 0);
  EXPECT_EQ(stateAtLoad.octaveOfNote60, 3);
}

TEST(ExportState, ResetSetsDefaultsAndKeepsDirectoryFilePathAndPads) {
  std::memset(&exportState, 'x', sizeof exportState);
  exportState.directory[10] = exportState.filePath[10] = exportState.padNames[5][3] = '\0';
  exportState.addNoteNames = exportState.moveEmptyPadsToEnd = 0;
  exportState.formatIndex = exportState.fileSaved = 1;
  exportState.octaveOfNote60 = 5;

  ResetExportState();

  EXPECT_STREQ(exportState.storedPath, "C:\\");
  EXPECT_STREQ(exportState.mapName, "Untitled");
  EXPECT_EQ(exportState.fileSaved, 0);
  EXPECT_EQ(exportState.formatIndex, 0);
  EXPECT_EQ(exportState.addNoteNames, 1);
  EXPECT_EQ(exportState.moveEmptyPadsToEnd, 1);
  EXPECT_EQ(exportState.octaveOfNote60, 3);
  EXPECT_EQ(std::string(exportState.directory), "xxxxxxxxxx");
  EXPECT_EQ(std::string(exportState.filePath), "xxxxxxxxxx");
  EXPECT_EQ(std::string(exportState.padNames[5]), "xxx");
}

TEST(ExportState, SetPadNameCutsAt254AndClearsTheRestOfTheSlot) {
  const struct {
    std::size_t length;
    std::size_t kept;
  } cases[] = {{0, 0}, {4, 4}, {254, 254}, {255, 254}, {1000, 254}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    std::memset(exportState.padNames, 0xbd, sizeof exportState.padNames);
    const std::string name(c.length, 'a');
    SetPadName(7, name.c_str());
    EXPECT_EQ(std::string(exportState.padNames[7]), name.substr(0, c.kept));
    EXPECT_TRUE(AllZero(exportState.padNames[7] + c.kept, kPadNameSize - c.kept));
    EXPECT_EQ(static_cast<unsigned char>(exportState.padNames[6][254]), 0xbd);
    EXPECT_EQ(static_cast<unsigned char>(exportState.padNames[8][0]), 0xbd);
  }
}

}  // namespace

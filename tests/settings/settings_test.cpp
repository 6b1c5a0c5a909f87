#include "export/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "export/export_state.h"
#include "platform/registry_fault_hook.h"
#include "settings_values.h"
#include "export_state_setup.h"
#include "writers/drum_map_format.h"

namespace {

constexpr char kPath[] = "drumMapPath";
constexpr char kMode[] = "drumMapExMode";

std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }

using test::SetField;

// The text in a fixed buffer, which must hold a terminator, and nothing but
// zeros after it.
template <std::size_t N>
::testing::AssertionResult HoldsExactly(const char (&buffer)[N], const std::string& text) {
  const void* zero = std::memchr(buffer, '\0', N);
  if (zero == nullptr) return ::testing::AssertionFailure() << "no terminator in the buffer";
  const std::size_t length = static_cast<const char*>(zero) - buffer;
  if (std::string(buffer, length) != text)
    return ::testing::AssertionFailure() << "holds \"" << std::string(buffer, length) << "\"";
  for (std::size_t i = length; i < N; ++i)
    if (buffer[i] != '\0')
      return ::testing::AssertionFailure() << "byte " << i << " after the text is 0x" << std::hex
                                           << static_cast<int>(static_cast<unsigned char>(buffer[i]));
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult IsValue(const test::RegValue& value, DWORD type, const std::string& bytes) {
  if (value.result != ERROR_SUCCESS) return ::testing::AssertionFailure() << "query failed: " << value.result;
  if (value.type != type) return ::testing::AssertionFailure() << "type " << value.type;
  if (value.bytes != bytes)
    return ::testing::AssertionFailure() << value.bytes.size() << " bytes \"" << value.bytes << "\"";
  return ::testing::AssertionSuccess();
}

const std::string kDefaultPathBytes("C:\\", 4);

class Settings : public ::testing::Test {
 protected:
  // What a run does before LoadSettings: the defaults of the export state.
  static void StartRun() { ResetExportState(); }

  test::ScratchMachineKey machine_;
};

TEST_F(Settings, SettleOverThreeRunsOnAMachineWithoutTheKey) {
  SetField(exportState.directory, "");

  // First run: the key is created and nothing is loaded or stored.
  StartRun();
  LoadSettings();
  EXPECT_TRUE(machine_.SettingsKeyExists());
  EXPECT_EQ(machine_.ValueCount(), 0);
  EXPECT_TRUE(HoldsExactly(exportState.directory, ""));
  EXPECT_TRUE(HoldsExactly(exportState.storedPath, "C:\\"));

  // The dialog ended without a file name but left another directory behind.
  SetField(exportState.directory, "D:\\Browsed");

  // Second run: both values are created with their defaults; the directory
  // of the previous run stays.
  StartRun();
  LoadSettings();
  EXPECT_TRUE(IsValue(machine_.Value(kPath), REG_SZ, kDefaultPathBytes));
  EXPECT_TRUE(IsValue(machine_.Value(kMode), REG_DWORD, Dword(0)));
  EXPECT_TRUE(HoldsExactly(exportState.directory, "D:\\Browsed"));
  EXPECT_EQ(exportState.formatIndex, 0);

  // Third run: the stored default is loaded.
  StartRun();
  LoadSettings();
  EXPECT_TRUE(HoldsExactly(exportState.directory, "C:\\"));
  EXPECT_TRUE(HoldsExactly(exportState.storedPath, "C:\\"));
  EXPECT_EQ(exportState.formatIndex, 0);
  EXPECT_EQ(machine_.ValueCount(), 2);
}

TEST_F(Settings, LoadsAPathOfAtMost254CharactersAndReplacesLongerOnes) {
  // Stored by another program, a value may lack its terminator: one that
  // fills the 255-byte buffer without it is as long as a terminated 255.
  const struct {
    std::size_t length;
    bool terminated;
    bool loads;
  } cases[] = {{0, true, true},    {3, true, true},    {254, true, true},   {255, true, false},
               {300, true, false}, {254, false, true}, {255, false, false}, {256, false, false}};
  machine_.CreateSettingsKey();
  machine_.SetDword(kMode, 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.length) + (c.terminated ? " terminated" : " without terminator"));
    const std::string path = c.length == 0 ? "" : "E:" + std::string(c.length - 2, 'p');
    const std::string bytes = c.terminated ? path + '\0' : path;
    machine_.SetValue(kPath, REG_SZ, bytes);
    StartRun();
    SetField(exportState.directory, "D:\\Before");

    LoadSettings();

    if (c.loads) {
      EXPECT_TRUE(HoldsExactly(exportState.storedPath, path));
      EXPECT_TRUE(HoldsExactly(exportState.directory, path));
      EXPECT_TRUE(IsValue(machine_.Value(kPath), REG_SZ, bytes));
    } else {
      EXPECT_TRUE(HoldsExactly(exportState.storedPath, "C:\\"));
      EXPECT_TRUE(HoldsExactly(exportState.directory, "D:\\Before"));
      EXPECT_TRUE(IsValue(machine_.Value(kPath), REG_SZ, kDefaultPathBytes));
    }
    // The format loads either way.
    EXPECT_EQ(exportState.formatIndex, 1);
  }
}

// 1 is the binary drum map, 2, 3 and 4 the note-name formats; every other
// value the module or anyone else may have stored is the XML drum map.
TEST_F(Settings, StoredValuesOneToFourSelectTheirFormatsAndAnyOtherTheXmlDrumMap) {
  constexpr int kUntouched = 7;
  const struct {
    const char* label;
    bool present;
    DWORD type;
    std::string bytes;
    int formatIndex;  // kUntouched: the value did not load and was replaced by 0
  } cases[] = {
      {"1", true, REG_DWORD, Dword(1), 1},
      {"0", true, REG_DWORD, Dword(0), 0},
      {"2: MIDI name document", true, REG_DWORD, Dword(2), 2},
      {"3: REAPER note names", true, REG_DWORD, Dword(3), 3},
      {"4: pitch list", true, REG_DWORD, Dword(4), 4},
      {"5", true, REG_DWORD, Dword(5), 0},
      {"0x102", true, REG_DWORD, Dword(0x102), 0},
      {"49", true, REG_DWORD, Dword(49), 0},
      {"0x101", true, REG_DWORD, Dword(0x101), 0},
      {"text \"1\" reads as 49", true, REG_SZ, std::string("1", 2), 0},
      {"one byte 1, the rest of the number zero", true, REG_BINARY, std::string(1, '\1'), 1},
      {"one byte 3", true, REG_BINARY, std::string(1, '\3'), 3},
      {"eight bytes do not fit", true, REG_QWORD, Dword(1) + Dword(0), kUntouched},
      {"missing", false, REG_NONE, "", kUntouched},
  };
  machine_.CreateSettingsKey();
  machine_.SetValue(kPath, REG_SZ, std::string("C:\\Maps", 8));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.present)
      machine_.SetValue(kMode, c.type, c.bytes);
    else
      machine_.DeleteValue(kMode);
    StartRun();
    exportState.formatIndex = kUntouched;

    LoadSettings();

    EXPECT_EQ(exportState.formatIndex, c.formatIndex);
    if (c.formatIndex == kUntouched)
      EXPECT_TRUE(IsValue(machine_.Value(kMode), REG_DWORD, Dword(0)));
    else
      EXPECT_TRUE(IsValue(machine_.Value(kMode), c.type, c.bytes));
  }
}

TEST_F(Settings, LoadingLeavesPadNamesMapNameAndOptionsAlone) {
  const struct {
    const char* label;
    void (*prepare)(const test::ScratchMachineKey&);
  } cases[] = {
      {"no key", [](const test::ScratchMachineKey&) {}},
      {"empty key", [](const test::ScratchMachineKey& m) { m.CreateSettingsKey(); }},
      {"both values",
       [](const test::ScratchMachineKey& m) {
         m.CreateSettingsKey();
         m.SetValue(kPath, REG_SZ, std::string("D:\\Maps", 8));
         m.SetDword(kMode, 1);
       }},
      {"values that do not load",
       [](const test::ScratchMachineKey& m) {
         m.CreateSettingsKey();
         m.SetValue(kPath, REG_SZ, std::string(400, 'z'));
         m.SetValue(kMode, REG_QWORD, Dword(1) + Dword(1));
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    test::ScratchMachineKey machine;  // a fresh stand-in for each row
    c.prepare(machine);
    StartRun();
    std::memset(exportState.padNames, 0xbd, sizeof exportState.padNames);
    SetPadName(0, "Kick");
    SetPadName(95, "Crash");
    SetField(exportState.mapName, "My Kit");
    SetField(exportState.filePath, "D:\\Maps\\My Kit.drm");
    exportState.addNoteNames = 0;
    exportState.moveEmptyPadsToEnd = 0;
    exportState.fileSaved = 1;
    const ExportState before = exportState;

    LoadSettings();

    EXPECT_EQ(std::memcmp(exportState.padNames, before.padNames, sizeof before.padNames), 0);
    EXPECT_EQ(std::memcmp(exportState.mapName, before.mapName, sizeof before.mapName), 0);
    EXPECT_EQ(std::memcmp(exportState.filePath, before.filePath, sizeof before.filePath), 0);
    EXPECT_EQ(exportState.addNoteNames, 0);
    EXPECT_EQ(exportState.moveEmptyPadsToEnd, 0);
    EXPECT_EQ(exportState.fileSaved, 1);
  }
}

TEST_F(Settings, SaveStoresTheDirectoryTextWithItsTerminatorAndTheFormat) {
  const struct {
    std::string directory;
    int formatIndex;
  } cases[] = {
      {"E:\\Drum Maps", 1},
      {"C:\\", 0},
      {"", 0},
      {"F:" + std::string(252, 'd'), 1},
      {"G:\\Note names for Ardour", 2},
      {"G:\\Note names for REAPER", 3},
      {"G:\\Note names for Studio One", 4},
  };
  machine_.CreateSettingsKey();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.directory);
    // A longer value before, and stale bytes after the text in the field.
    machine_.SetValue(kPath, REG_SZ, std::string(200, 'z') + '\0');
    std::memset(exportState.directory, 'x', sizeof exportState.directory);
    std::memcpy(exportState.directory, c.directory.c_str(), c.directory.size() + 1);
    exportState.formatIndex = c.formatIndex;

    SaveSettings();

    EXPECT_TRUE(IsValue(machine_.Value(kPath), REG_SZ, c.directory + '\0'));
    EXPECT_TRUE(IsValue(machine_.Value(kMode), REG_DWORD, Dword(c.formatIndex)));
    EXPECT_EQ(machine_.ValueCount(), 2);
  }
}

// What one run stores, the next run loads as the same format.
TEST_F(Settings, EveryFormatLoadsBackAsItWasSaved) {
  machine_.CreateSettingsKey();
  for (int format = 0; format < kDrumMapFormatCount; ++format) {
    SCOPED_TRACE(kDrumMapFormats[static_cast<std::size_t>(format)].listText);
    StartRun();
    SetField(exportState.directory, "D:\\Maps");
    exportState.formatIndex = format;
    SaveSettings();
    StartRun();
    LoadSettings();
    EXPECT_EQ(exportState.formatIndex, format);
    EXPECT_STREQ(exportState.directory, "D:\\Maps");
  }
}

TEST_F(Settings, SaveIntoAKeyDeletedMeanwhileCreatesItButStoresNothing) {
  machine_.CreateSettingsKey();
  machine_.SetValue(kPath, REG_SZ, std::string("D:\\Maps", 8));
  machine_.SetDword(kMode, 1);
  StartRun();
  LoadSettings();
  ASSERT_TRUE(HoldsExactly(exportState.directory, "D:\\Maps"));

  machine_.DeleteSettingsKey();
  SetField(exportState.directory, "E:\\Elsewhere");
  SaveSettings();

  EXPECT_TRUE(machine_.SettingsKeyExists());
  EXPECT_EQ(machine_.ValueCount(), 0);

  // The next save finds the key and stores.
  SaveSettings();
  EXPECT_TRUE(IsValue(machine_.Value(kPath), REG_SZ, std::string("E:\\Elsewhere", 13)));
  EXPECT_TRUE(IsValue(machine_.Value(kMode), REG_DWORD, Dword(1)));
}

// Refuses every open the way Windows does for a user without full access to
// the machine-wide registry, and records what was asked for.
struct RefusedOpen {
  static inline int calls = 0;
  static inline bool argumentsAsExpected = true;

  static LSTATUS Refuse(RegistryCall call, HKEY root, const char* subKey, REGSAM access) {
    ++calls;
    argumentsAsExpected =
        argumentsAsExpected && call == RegistryCall::kCreateKey && root == HKEY_LOCAL_MACHINE &&
        std::strcmp(subKey, "Software\\Ostrevane\\Vemba\\Config") == 0 && access == KEY_ALL_ACCESS;
    return ERROR_ACCESS_DENIED;
  }
};

class SettingsWithoutAccess : public Settings {
 protected:
  SettingsWithoutAccess() {
    RefusedOpen::calls = 0;
    RefusedOpen::argumentsAsExpected = true;
  }

  ScopedRegistryFault refuse_{&RefusedOpen::Refuse};
};

TEST_F(SettingsWithoutAccess, ReadsAndWritesNothingAndKeepsTheDefaults) {
  const struct {
    const char* label;
    bool keyExists;
  } cases[] = {{"no key", false}, {"key with both values", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    test::ScratchMachineKey machine;
    if (c.keyExists) {
      machine.CreateSettingsKey();
      machine.SetValue(kPath, REG_SZ, std::string("D:\\Stored", 10));
      machine.SetDword(kMode, 1);
    }
    StartRun();
    SetField(exportState.directory, "D:\\Kept");

    LoadSettings();

    EXPECT_TRUE(HoldsExactly(exportState.storedPath, "C:\\"));
    EXPECT_TRUE(HoldsExactly(exportState.directory, "D:\\Kept"));
    EXPECT_EQ(exportState.formatIndex, 0);

    SetField(exportState.directory, "E:\\New");
    exportState.formatIndex = 1;
    SaveSettings();

    EXPECT_EQ(machine.SettingsKeyExists(), c.keyExists);
    if (c.keyExists) {
      EXPECT_EQ(machine.ValueCount(), 2);
      EXPECT_TRUE(IsValue(machine.Value(kPath), REG_SZ, std::string("D:\\Stored", 10)));
      EXPECT_TRUE(IsValue(machine.Value(kMode), REG_DWORD, Dword(1)));
    }
  }
  EXPECT_EQ(RefusedOpen::calls, 4);
  EXPECT_TRUE(RefusedOpen::argumentsAsExpected);
}

TEST_F(Settings, APathWithoutTerminatorOrWithBytesAfterItLoadsOnlyItsText) {
  const struct {
    const char* label;
    DWORD type;
    std::string bytes;
    std::string text;
  } cases[] = {
      {"text without terminator", REG_SZ, "D:\\Kits", "D:\\Kits"},
      {"254 characters without terminator", REG_SZ, std::string(254, 'k'), std::string(254, 'k')},
      {"junk after an early terminator", REG_SZ, std::string("D:\\a\0stale junk", 15), "D:\\a"},
      {"binary data without terminator", REG_BINARY, "D:\\Bin", "D:\\Bin"},
  };
  machine_.CreateSettingsKey();
  machine_.SetDword(kMode, 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    machine_.SetValue(kPath, c.type, c.bytes);
    ASSERT_TRUE(IsValue(machine_.Value(kPath), c.type, c.bytes)) << "stored with other bytes than asked";
    StartRun();
    std::memset(exportState.storedPath, 0xbd, sizeof exportState.storedPath);
    std::memset(exportState.directory, 0xbd, sizeof exportState.directory);

    LoadSettings();

    EXPECT_TRUE(HoldsExactly(exportState.storedPath, c.text));
    EXPECT_TRUE(HoldsExactly(exportState.directory, c.text));
  }
}

}  // namespace

// End to end, as on a user's machine: the wizard module registered with the
// platform's regsvr32, found by the stand-in host through the registry and
// the COM runtime, its options dialog and the save dialog driven from a
// second thread, and the file compared with the command-line exporter's.
#include "host/standin_host.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "machine_registry.h"
#include "server_dll.h"
#include "file_bytes.h"
#include "run_main.h"
#include "temp_dir.h"
#include "ui/resource.h"
#include "window_driver.h"

namespace test {
namespace {

using namespace driver;

constexpr char kWizardLine[] = "{D169D29F-53D1-4873-BD56-9082F52434D0}: Korvat DrumMap Export\n";
constexpr char kRunLine[] = "run returned 0x00000000 after 96 pad requests\n";

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string Kit(const std::string& name) { return SourcePath("examples/kits/" + name + ".txt"); }
std::string Golden(const std::string& name) { return ReadBytes(SourcePath("tests/golden/" + name)); }

using HostResult = MainResult;

HostResult RunHost(std::vector<std::string> args) { return RunMain(RunStandinHost, "standin-host", args); }

// Each test starts with the wizard registered and no stored settings, and
// leaves the machine keys as it found them.
class StandinHostTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(RunRegsvr32("/s " + Quoted(module_)), 0) << "regsvr32 " << module_; }

  // Runs the host on `kit` while `script` drives the wizard's options dialog;
  // returns once the host has closed its own window too.
  HostResult RunDrivenHost(const std::string& kit, const std::function<void(HWND dialog)>& script) {
    HostResult result;
    RunDriven([&] { result = RunHost({kit}); },
              [&] {
                HWND host = WaitForWindow(kStandinHostTitle);
                HWND dialog = WaitForWindow(kOptionsTitle);
                ASSERT_NE(host, nullptr);
                ASSERT_NE(dialog, nullptr) << "the wizard's dialog did not appear";
                EXPECT_EQ(GetWindow(dialog, GW_OWNER), host) << "the host's window owns the dialog";
                script(dialog);
                EXPECT_TRUE(WaitUntilClosed(dialog));
                EXPECT_TRUE(WaitUntilClosed(host));
              });
    return result;
  }

  const std::string module_ = ServerDllPath();
  MachineKeysGuard keys_{module_};
};

// Saved as a user would, accepting the file name that the save dialog
// proposes (the map name, in the stored directory): the bytes equal the
// command-line exporter's for the same kit and options, and the settings
// then hold the directory and the format.
TEST_F(StandinHostTest, DrivenExportGivesTheCommandLineExportersBytes) {
  const struct {
    const char* golden;
    const char* kit;
    int format;             // the entry chosen in the format list
    const char* extension;  // the one the save dialog appends
    std::string name;       // typed into the name field; empty keeps "Untitled"
    bool noteNames;
    bool moveEmptyPads;
  } cases[] = {
      {"acoustic.xml", "acoustic", 0, "drm", "", true, true},
      {"acoustic.drm", "acoustic", 1, "drm", "", true, true},
      {"electronic-plain.xml", "electronic", 0, "drm", "Electro & Co", false, true},
      {"electronic-kept.drm", "electronic", 1, "drm", "", true, false},
      {"acoustic.midnam", "acoustic", 2, "midnam", "", true, true},
      {"acoustic-reaper.txt", "acoustic", 3, "txt", "", true, true},
      {"acoustic.pitchlist", "acoustic", 4, "pitchlist", "", true, true},
      // The host's 8-bit names through the ANSI code page (Windows-1252 in
      // the test prefix), as the command line reads a Windows-1252 kit.
      {"electronic.midnam", "electronic", 2, "midnam", "Electro & Co", true, false},
      {"electronic-reaper.txt", "electronic", 3, "txt", "Electro & Co", true, true},
      {"electronic.pitchlist", "electronic", 4, "pitchlist", "Electro & Co", true, false},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.golden);
    TempDir folder;
    const std::string directory = folder.path().string();
    // An earlier run stored this folder and another format.
    const int earlier = row.format == 1 ? 0 : 1;
    MachineSettings().Store(directory, earlier);
    const HostResult result = RunDrivenHost(Kit(row.kit), [&](HWND dialog) {
      EXPECT_EQ(ItemText(dialog, IDC_DIRECTORY), directory);
      EXPECT_EQ(ComboSelection(dialog, IDC_FORMAT), earlier);
      if (!row.name.empty()) Type(dialog, IDC_MAP_NAME, row.name);
      if (!row.noteNames) Click(dialog, IDC_ADD_NOTE_NAMES);
      if (!row.moveEmptyPads) Click(dialog, IDC_MOVE_EMPTY_PADS);
      SelectComboItem(dialog, IDC_FORMAT, row.format);
      EXPECT_EQ(IsChecked(dialog, IDC_ADD_NOTE_NAMES), row.noteNames);
      EXPECT_EQ(IsChecked(dialog, IDC_MOVE_EMPTY_PADS), row.moveEmptyPads);
      Click(dialog, IDOK);
      HWND save = WaitForSaveDialog(dialog);
      ASSERT_NE(save, nullptr) << "the save dialog did not appear";
      ConfirmSave(save);
    });
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, std::string(kWizardLine) + kRunLine);
    const std::string file = (row.name.empty() ? "Untitled" : row.name) + "." + row.extension;
    ASSERT_EQ(folder.List(), std::vector<std::string>{file});
    EXPECT_TRUE(ReadBytes(folder.File(file)) == Golden(row.golden)) << "the bytes differ";
    EXPECT_EQ(MachineSettings().StoredDirectory(), directory);
    EXPECT_EQ(MachineSettings().StoredFormat(), static_cast<DWORD>(row.format));
  }
}

// The first run on a machine: no settings yet. The folder chosen in the
// browser and the format are stored once a file is saved; the next start of
// the host shows them; closing without saving stores nothing.
TEST_F(StandinHostTest, SettingsCarryOverToTheNextStartOfTheHost) {
  ASSERT_FALSE(MachineSettings().StoredDirectory().has_value());
  TempDir folder;
  const std::string directory = folder.path().string();
  const HostResult first = RunDrivenHost(Kit("acoustic"), [&](HWND dialog) {
    EXPECT_EQ(ComboSelection(dialog, IDC_FORMAT), 0);
    ChooseDirectory(dialog, directory);
    SelectComboItem(dialog, IDC_FORMAT, 1);
    Click(dialog, IDOK);
    HWND save = WaitForSaveDialog(dialog);
    ASSERT_NE(save, nullptr) << "the save dialog did not appear";
    ConfirmSave(save);
  });
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(MachineSettings().StoredDirectory(), directory);
  EXPECT_EQ(MachineSettings().StoredFormat(), 1u);
  EXPECT_TRUE(ReadBytes(folder.File("Untitled.drm")) == Golden("acoustic.drm")) << "the bytes differ";

  const HostResult second = RunDrivenHost(Kit("acoustic"), [&](HWND dialog) {
    EXPECT_EQ(ItemText(dialog, IDC_DIRECTORY), directory);
    EXPECT_EQ(ComboSelection(dialog, IDC_FORMAT), 1);
    SelectComboItem(dialog, IDC_FORMAT, 0);
    Click(dialog, IDC_CLOSE);
  });
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, std::string(kWizardLine) + kRunLine);
  EXPECT_EQ(MachineSettings().StoredDirectory(), directory);
  EXPECT_EQ(MachineSettings().StoredFormat(), 1u) << "closing without saving stores nothing";
  EXPECT_EQ(folder.List(), std::vector<std::string>{"Untitled.drm"});
}

TEST_F(StandinHostTest, FindsNoWizardOnceUnregistered) {
  const HostResult listed = RunHost({"--list"});
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_EQ(listed.out, kWizardLine);

  ASSERT_EQ(RunRegsvr32("/s /u " + Quoted(module_)), 0);
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--list"}, {Kit("acoustic")}}) {
    SCOPED_TRACE(args.back());
    const HostResult result = RunHost(args);
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.out, "no wizard registered\n");
    EXPECT_EQ(result.err, "");
  }
}

// A registration left behind by a module that was deleted: the host reports
// the class it cannot create and fails, instead of passing over it.
TEST_F(StandinHostTest, ReportsAWizardWhoseModuleIsGone) {
  TempDir folder;
  const std::string copy = folder.File("KorvatDrumMapExport.dll");
  ASSERT_TRUE(CopyFileA(module_.c_str(), copy.c_str(), FALSE));
  ASSERT_EQ(RunRegsvr32("/s " + Quoted(copy)), 0);
  ASSERT_TRUE(DeleteFileA(copy.c_str()));

  const HostResult result = RunHost({"--list"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out.rfind("{D169D29F-53D1-4873-BD56-9082F52434D0}: cannot be created (0x", 0), 0u)
      << result.out;
}

TEST(StandinHost, RefusesBadArgumentsAndUnreadableKits) {
  TempDir folder;
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{}, 2, "usage: standin-host [--list] KIT\n"},
      {{"--bogus", Kit("acoustic")}, 2, "usage: standin-host [--list] KIT\n"},
      {{Kit("acoustic"), Kit("electronic")}, 2, "usage: standin-host [--list] KIT\n"},
      {{folder.File("missing.txt")},
       1,
       "standin-host: " + folder.File("missing.txt") + ": " + std::strerror(ENOENT) + "\n"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(::testing::PrintToString(row.args));
    const HostResult result = RunHost(row.args);
    EXPECT_EQ(result.status, row.status);
    EXPECT_EQ(result.err, row.err);
    EXPECT_EQ(result.out, "");
  }
}

}  // namespace
}  // namespace test

// The export run: the kit contract, the pad snapshot, and the settings around
// the options dialog, which a second thread drives. The run and the dialog
// are linked in, so the export state is this program's own; one test runs the
// wizard of the built module instead.
#include "export/export_run.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "export/export_state.h"
#include "export/host_kit.h"
#include "platform/ansi_text.h"
#include "platform/registry_fault_hook.h"
#include "scratch_registry.h"
#include "server_dll.h"
#include "settings_values.h"
#include "file_bytes.h"
#include "temp_dir.h"
#include "ui/resource.h"
#include "window_driver.h"
#include "writers/drum_map_format.h"
#include "writers/utf8_conversion.h"

namespace {

// A stand-in for the host's kit. It records every call into its table, and
// hands out one record whose name buffer it reuses for the next call, as a
// host may: a name must be copied before GetPad is called again.
class RecordingKit {
 public:
  explicit RecordingKit(std::vector<std::string> names) : names_(std::move(names)) {
    names_.resize(kPadCount);
    table_.hostSlots[0] = reinterpret_cast<void*>(&HostSlot<0>);
    table_.hostSlots[1] = reinterpret_cast<void*>(&HostSlot<1>);
    table_.hostSlots[2] = reinterpret_cast<void*>(&HostSlot<2>);
    table_.GetPad = &GetPad;
    object_.kit.table = &table_;
    object_.self = this;
  }
  RecordingKit(const RecordingKit&) = delete;
  RecordingKit& operator=(const RecordingKit&) = delete;

  HostKit* kit() { return &object_.kit; }
  const std::vector<std::string>& calls() const { return calls_; }

  // Pads for which GetPad hands out no record, or a record without a name.
  std::set<int> nullRecords;
  std::set<int> nullNames;
  // Called inside GetPad before it answers: a host that starts a second run
  // from within the first.
  std::function<void(int index)> duringGetPad;

 private:
  // The kit object as the run sees it: the table pointer first.
  struct Object {
    HostKit kit;
    RecordingKit* self;
  };
  struct Record {
    unsigned char head[kPadRecordNameOffset];
    const char* name;
    unsigned char tail[16];
  };

  static RecordingKit& Of(HostKit* kit) { return *reinterpret_cast<Object*>(kit)->self; }

  template <int slot>
  static ULONG STDMETHODCALLTYPE HostSlot(HostKit* kit) {
    Of(kit).calls_.push_back("slot " + std::to_string(slot));
    return 0;
  }

  static PadRecord* STDMETHODCALLTYPE GetPad(HostKit* kit, std::int32_t index) {
    RecordingKit& self = Of(kit);
    self.calls_.push_back("GetPad " + std::to_string(index));
    if (self.duringGetPad) self.duringGetPad(index);
    if (self.nullRecords.count(index) != 0) return nullptr;
    std::memset(&self.record_, 0xEE, sizeof self.record_);
    std::memset(self.nameBuffer_, '#', sizeof self.nameBuffer_);
    const std::string& name = index >= 0 && index < kPadCount ? self.names_[index] : "";
    std::memcpy(self.nameBuffer_, name.c_str(), name.size() + 1);
    self.record_.name = self.nullNames.count(index) != 0 ? nullptr : self.nameBuffer_;
    return reinterpret_cast<PadRecord*>(&self.record_);
  }

  std::vector<std::string> names_;
  std::vector<std::string> calls_;
  HostKitTable table_{};
  Object object_{};
  Record record_{};
  char nameBuffer_[1100]{};
};

std::vector<std::string> NumberedNames() {
  std::vector<std::string> names;
  for (int pad = 0; pad < kPadCount; ++pad) names.push_back("Pad " + std::to_string(pad));
  return names;
}

std::vector<std::string> AscendingGetPadCalls() {
  std::vector<std::string> calls;
  for (int pad = 0; pad < kPadCount; ++pad) calls.push_back("GetPad " + std::to_string(pad));
  return calls;
}

class ExportRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The host's thread has COM initialised when it starts the wizard.
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_TRUE(scratch.ok());
    // Whatever an earlier run in this process left behind.
    std::memset(&exportState.padNames, 'x', sizeof exportState.padNames);
    std::memset(exportState.directory, 0, sizeof exportState.directory);
  }
  void TearDown() override { CoUninitialize(); }

  // Runs the export with `kit` while `script` drives the options dialog.
  void Run(RecordingKit& kit, const std::function<void(HWND dialog)>& script) {
    HRESULT result = E_FAIL;
    test::RunDriven([&] { result = RunExport(GetModuleHandleA(nullptr), kit.kit()); },
                    [&] {
                      HWND dialog = driver::WaitForWindow(driver::kOptionsTitle);
                      ASSERT_NE(dialog, nullptr) << "the options dialog did not appear";
                      script(dialog);
                    });
    EXPECT_EQ(result, S_OK);
  }

  static void Close(HWND dialog) {
    driver::Click(dialog, IDC_CLOSE);
    EXPECT_TRUE(driver::WaitUntilClosed(dialog));
  }

  // Presses "SAVE AS..." and returns the save dialog (null if none appears).
  static HWND OpenSaveDialog(HWND dialog) {
    driver::Click(dialog, IDOK);
    return test::WaitForSaveDialog(dialog);
  }

  bool PutSettings(const std::string& path, DWORD mode) {
    settings.Store(path, mode);
    return !::testing::Test::HasFatalFailure();
  }
  // Everything under the host maker's key; the platform's own libraries
  // write keys of theirs elsewhere in the scratch registry.
  std::vector<std::string> HostKeys() const {
    HKEY key = nullptr;
    if (RegOpenKeyExA(scratch.machine(), "Software\\Ostrevane", 0, KEY_READ, &key) != ERROR_SUCCESS)
      return {};
    std::vector<std::string> lines = test::Snapshot(key);
    RegCloseKey(key);
    return lines;
  }
  std::string StoredPath() const { return settings.StoredDirectory().value_or(""); }
  DWORD StoredMode() const { return settings.StoredFormat().value_or(0xBAD); }

  test::ScratchRegistry scratch;
  const test::SettingsValues settings{scratch.machine()};
  test::TempDir folder;
};

TEST_F(ExportRunTest, AsksTheKitForEachPadOnceInAscendingOrderAndForNothingElse) {
  RecordingKit kit(NumberedNames());
  Run(kit, [&](HWND dialog) {
    EXPECT_EQ(kit.calls(), AscendingGetPadCalls()) << "the kit was used after the snapshot";
    Close(dialog);
  });
  EXPECT_EQ(kit.calls(), AscendingGetPadCalls());
  for (int pad = 0; pad < kPadCount; ++pad)
    EXPECT_STREQ(exportState.padNames[pad], ("Pad " + std::to_string(pad)).c_str());
}

TEST_F(ExportRunTest, LongNamesAreCutTo254CharactersWithoutTouchingTheirNeighbours) {
  struct Row {
    int pad;
    std::string name;
    std::string expected;
  };
  const Row rows[] = {
      {9, "Kick", "Kick"},
      {10, std::string(254, 'a'), std::string(254, 'a')},
      {11, std::string(255, 'b'), std::string(254, 'b')},
      {12, std::string(1000, 'c'), std::string(254, 'c')},
      {13, "Snare", "Snare"},
      {14, "", ""},
  };
  std::vector<std::string> names(kPadCount);
  for (const Row& row : rows) names[row.pad] = row.name;
  RecordingKit kit(names);
  Run(kit, Close);

  for (const Row& row : rows) {
    SCOPED_TRACE("pad " + std::to_string(row.pad) + ", name of " + std::to_string(row.name.size()));
    const char* slot = exportState.padNames[row.pad];
    EXPECT_EQ(std::string(slot), row.expected);
    // No byte of what the slot held before survives after the terminator.
    for (int i = static_cast<int>(row.expected.size()); i < kPadNameSize; ++i)
      ASSERT_EQ(slot[i], '\0') << "byte " << i;
  }
}

TEST_F(ExportRunTest, AKitWithoutNamesGivesEmptySlotsAndTheUsualDialog) {
  RecordingKit kit({});
  Run(kit, [&](HWND dialog) {
    EXPECT_EQ(driver::ItemText(dialog, IDC_MAP_NAME), "Untitled");
    EXPECT_EQ(driver::ComboSelection(dialog, IDC_FORMAT), 0);
    Close(dialog);
  });
  EXPECT_EQ(kit.calls(), AscendingGetPadCalls());
  for (int pad = 0; pad < kPadCount; ++pad) {
    SCOPED_TRACE(pad);
    for (int i = 0; i < kPadNameSize; ++i) ASSERT_EQ(exportState.padNames[pad][i], '\0') << "byte " << i;
  }
}

TEST_F(ExportRunTest, ClosingTheDialogLeavesTheStoredSettingsAlone) {
  ASSERT_TRUE(PutSettings("C:\\Stored", 1));
  const std::vector<std::string> stored = HostKeys();
  exportState.fileSaved = 1;  // left over from an earlier run
  RecordingKit kit(NumberedNames());
  Run(kit, [&](HWND dialog) {
    // The stored settings were loaded before the dialog showed them.
    EXPECT_EQ(driver::ItemText(dialog, IDC_DIRECTORY), "C:\\Stored");
    EXPECT_EQ(driver::ComboSelection(dialog, IDC_FORMAT), 1);
    test::ChooseDirectory(dialog, folder.path().string());
    test::SelectComboItem(dialog, IDC_FORMAT, 0);
    Close(dialog);
  });
  EXPECT_EQ(exportState.fileSaved, 0);
  EXPECT_EQ(HostKeys(), stored);
}

TEST_F(ExportRunTest, AConfirmedSaveStoresTheSettingsEvenWhenTheWriteFails) {
  ASSERT_TRUE(PutSettings("C:\\Stored", 0));
  // The target exists and another handle holds it without sharing: the
  // writer cannot replace it.
  const std::string target = folder.File("Untitled.drm");
  test::WriteBytes(target, "in use");
  HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  RecordingKit kit(NumberedNames());
  Run(kit, [&](HWND dialog) {
    test::ChooseDirectory(dialog, folder.path().string());
    test::SelectComboItem(dialog, IDC_FORMAT, 1);
    HWND save = OpenSaveDialog(dialog);
    ASSERT_NE(save, nullptr);
    driver::ConfirmSave(save, target);
    HWND question = driver::WaitForWindow(driver::WindowText(save), save);
    ASSERT_NE(question, nullptr) << "no question before replacing the file";
    driver::Answer(question, IDYES);
    HWND error = driver::WaitForWindow(driver::kErrorTitle);
    ASSERT_NE(error, nullptr) << "no message about the failed write";
    driver::Answer(error, IDOK);
    EXPECT_TRUE(driver::WaitUntilClosed(dialog));
  });
  CloseHandle(held);

  EXPECT_EQ(test::ReadBytes(target), "in use");
  EXPECT_EQ(exportState.fileSaved, 1);
  EXPECT_EQ(StoredPath(), folder.path().string());
  EXPECT_EQ(StoredMode(), 1u);
}

// Each note-name format through the whole run: the stored value selects it,
// the save dialog offers its filter and appends its extension to the name
// typed, the file holds the host's names read in the ANSI code page and
// written in UTF-8, its title is the file's name (the map name is left at
// "Untitled"), and the value stored selects it again in the next run.
TEST_F(ExportRunTest, NoteNameFormatsFromTheStoredValueToTheFileAndBack) {
  const struct {
    DWORD format;
    const char* filter;
    const char* file;
    const char* named;  // how the file holds pad 0, "Caf\xe9" in Windows-1252
    const char* title;
  } cases[] = {
      {2, "MIDI name document (*.midnam)", "Acoustic Kit.midnam",
       "<Note Number=\"24\" Name=\"[C0]Caf\xc3\xa9\"/>", "<Model>Acoustic Kit</Model>"},
      {3, "REAPER note names (*.txt)", "Acoustic Kit.txt", "\n24\t[C0]Caf\xc3\xa9\n", "# Acoustic Kit\n"},
      {4, "Studio One pitch list (*.pitchlist)", "Acoustic Kit.pitchlist",
       "<Music.PitchName pitch=\"24\" name=\"[C0]Caf\xc3\xa9\"/>", "title=\"Acoustic Kit\""},
  };
  std::vector<std::string> names = {"Caf\xe9", "", "Snare & <Rim>"};
  for (const auto& row : cases) {
    SCOPED_TRACE(row.file);
    test::TempDir target;
    ASSERT_TRUE(PutSettings(target.path().string(), row.format));
    RecordingKit kit(names);
    Run(kit, [&](HWND dialog) {
      EXPECT_EQ(driver::ComboSelection(dialog, IDC_FORMAT), static_cast<int>(row.format));
      HWND save = OpenSaveDialog(dialog);
      ASSERT_NE(save, nullptr);
      EXPECT_EQ(driver::SaveDialogFilters(save), std::vector<std::string>{row.filter});
      EXPECT_EQ(driver::SaveDialogFolder(save), target.path().string());
      driver::ConfirmSave(save, "Acoustic Kit");
      EXPECT_TRUE(driver::WaitUntilClosed(dialog));
    });
    ASSERT_EQ(target.List(), std::vector<std::string>{row.file});
    const std::string bytes = test::ReadBytes(target.File(row.file));
    EXPECT_NE(bytes.find(row.title), std::string::npos) << bytes;
    // The same export state written again, with the run's conversion, to a
    // file of the same name.
    test::TempDir again;
    {
      const ScopedUtf8Conversion ansi(&AnsiToUtf8);
      CopyText(exportState.filePath, again.File(row.file).c_str());
      ASSERT_TRUE(WriteDrumMap());
    }
    EXPECT_EQ(bytes, test::ReadBytes(again.File(row.file)));
    EXPECT_TRUE(IsValidUtf8(bytes));
    if (GetACP() == 1252) {
      EXPECT_NE(bytes.find(row.named), std::string::npos) << bytes;
    } else {
      std::printf("ANSI code page %u: the Windows-1252 name is not checked\n", GetACP());
    }
    EXPECT_EQ(StoredMode(), row.format);
    EXPECT_EQ(StoredPath(), target.path().string());

    RecordingKit next(names);
    Run(next, [&](HWND dialog) {
      EXPECT_EQ(driver::ComboSelection(dialog, IDC_FORMAT), static_cast<int>(row.format));
      Close(dialog);
    });
  }
}

LSTATUS RefuseSettingsKey(RegistryCall, HKEY, const char*, REGSAM) { return ERROR_ACCESS_DENIED; }

// Without stored settings (the settings key cannot be opened), the directory
// and the file path of one run are still there in the next run of the same
// process; the map name and the options start again from their defaults.
TEST_F(ExportRunTest, DirectoryAndFilePathCarryOverToTheNextRun) {
  std::optional<ScopedRegistryFault> refuse(std::in_place, RefuseSettingsKey);
  const std::string target = folder.File("First.drm");
  RecordingKit first(NumberedNames());
  Run(first, [&](HWND dialog) {
    test::ChooseDirectory(dialog, folder.path().string());
    test::Type(dialog, IDC_MAP_NAME, "First");
    driver::Click(dialog, IDC_ADD_NOTE_NAMES);
    driver::Click(dialog, IDC_MOVE_EMPTY_PADS);
    HWND save = OpenSaveDialog(dialog);
    ASSERT_NE(save, nullptr);
    driver::ConfirmSave(save, target);
    EXPECT_TRUE(driver::WaitUntilClosed(dialog));
  });
  ASSERT_TRUE(test::Exists(target));
  EXPECT_STRCASEEQ(exportState.filePath, target.c_str());

  RecordingKit second(NumberedNames());
  Run(second, [&](HWND dialog) {
    EXPECT_EQ(driver::ItemText(dialog, IDC_DIRECTORY), folder.path().string());
    EXPECT_EQ(driver::ItemText(dialog, IDC_MAP_NAME), "Untitled");
    EXPECT_TRUE(driver::IsChecked(dialog, IDC_ADD_NOTE_NAMES));
    EXPECT_TRUE(driver::IsChecked(dialog, IDC_MOVE_EMPTY_PADS));
    Close(dialog);
  });
  EXPECT_STRCASEEQ(exportState.filePath, target.c_str());
  EXPECT_EQ(exportState.addNoteNames, 1);
  EXPECT_EQ(exportState.moveEmptyPadsToEnd, 1);
  refuse.reset();
  EXPECT_EQ(HostKeys(), std::vector<std::string>{});
}

TEST_F(ExportRunTest, NullRecordsAndNullNamesFromTheKitGiveEmptyPads) {
  RecordingKit kit(NumberedNames());
  kit.nullRecords = {0, 50};
  kit.nullNames = {1, 95};
  Run(kit, Close);
  EXPECT_EQ(kit.calls(), AscendingGetPadCalls());
  for (int pad = 0; pad < kPadCount; ++pad) {
    SCOPED_TRACE(pad);
    const bool empty = kit.nullRecords.count(pad) + kit.nullNames.count(pad) != 0;
    EXPECT_EQ(std::string(exportState.padNames[pad]), empty ? "" : "Pad " + std::to_string(pad));
  }
}

// All runs share one export state. A second run while the first is in
// progress, from another thread or nested inside the first, is refused
// without asking its kit for anything or touching the state or the settings;
// the first run goes on as if nothing had happened.
TEST_F(ExportRunTest, ASecondRunWhileOneIsInProgressIsRefused) {
  ASSERT_TRUE(PutSettings(folder.path().string(), 1));
  const HRESULT kBusy = HRESULT_FROM_WIN32(ERROR_BUSY);
  RecordingKit nested({"Nested"});
  HRESULT nestedResult = S_OK;
  RecordingKit first(NumberedNames());
  first.duringGetPad = [&](int index) {
    if (index == 95) nestedResult = RunExport(GetModuleHandleA(nullptr), nested.kit());
  };
  Run(first, [&](HWND dialog) {
    const std::vector<std::string> stored = HostKeys();
    RecordingKit other({"Other"});
    EXPECT_EQ(RunExport(GetModuleHandleA(nullptr), other.kit()), kBusy);
    EXPECT_TRUE(other.calls().empty());
    EXPECT_STREQ(exportState.padNames[0], "Pad 0");
    EXPECT_STREQ(exportState.mapName, "Untitled");
    EXPECT_EQ(exportState.formatIndex, 1);
    EXPECT_EQ(HostKeys(), stored);
    EXPECT_EQ(driver::OpenWindowTitles(), std::vector<std::string>{driver::kOptionsTitle});

    HWND save = OpenSaveDialog(dialog);
    ASSERT_NE(save, nullptr);
    driver::ConfirmSave(save);
    EXPECT_TRUE(driver::WaitUntilClosed(dialog));
  });
  EXPECT_EQ(nestedResult, kBusy);
  EXPECT_TRUE(nested.calls().empty());
  EXPECT_EQ(folder.List(), std::vector<std::string>{"Untitled.drm"});
  EXPECT_EQ(test::ReadBytes(folder.File("Untitled.drm")).size(), 3230u) << "the first run's binary drum map";

  // Once the first run has ended, the next one runs.
  RecordingKit next(NumberedNames());
  Run(next, Close);
  EXPECT_EQ(next.calls(), AscendingGetPadCalls());
}

// A run that cannot take place fails with an HRESULT instead of returning
// S_OK, and stores nothing; the next run is not blocked by it.
TEST_F(ExportRunTest, ARunThatCannotShowItsDialogFails) {
  exportState.fileSaved = 1;  // left over from an earlier run
  RecordingKit kit(NumberedNames());
  EXPECT_EQ(RunExport(GetModuleHandleA(nullptr), nullptr), E_POINTER);
  // A module without the dialog template: the dialog cannot be created.
  const HRESULT result = RunExport(GetModuleHandleA("kernel32.dll"), kit.kit());
  EXPECT_TRUE(FAILED(result)) << std::hex << result;
  EXPECT_EQ(HRESULT_FACILITY(result), FACILITY_WIN32) << std::hex << result;
  EXPECT_EQ(exportState.fileSaved, 0);
  EXPECT_EQ(HostKeys(), (std::vector<std::string>{"key Vemba", "key Vemba\\Config"}))
      << "nothing but the empty settings key of a first run";

  RecordingKit next(NumberedNames());
  Run(next, Close);
  EXPECT_EQ(next.calls(), AscendingGetPadCalls());
}

// The wizard of the built module runs the same export, with the dialog from
// the module's own resources.
class ModuleRunTest : public test::ServerTest {
 protected:
  void SetUp() override {
    test::ServerTest::SetUp();
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_TRUE(scratch.ok());
  }
  void TearDown() override {
    CoUninitialize();
    test::ServerTest::TearDown();
  }
  test::ScratchRegistry scratch;
};

TEST_F(ModuleRunTest, TheWizardsRunSnapshotsThePadsAndShowsTheDialog) {
  IDrumMapWizard* wizard = NewWizard();
  ASSERT_NE(wizard, nullptr);
  RecordingKit kit(NumberedNames());
  HRESULT result = E_FAIL;
  test::RunDriven([&] { result = wizard->Run(kit.kit()); },
                  [&] {
                    HWND dialog = driver::WaitForWindow(driver::kOptionsTitle);
                    ASSERT_NE(dialog, nullptr) << "the module's options dialog did not appear";
                    driver::Click(dialog, IDC_CLOSE);
                    EXPECT_TRUE(driver::WaitUntilClosed(dialog));
                  });
  EXPECT_EQ(result, S_OK);
  EXPECT_EQ(kit.calls(), AscendingGetPadCalls());
  EXPECT_EQ(wizard->Release(), 0u);
}

}  // namespace

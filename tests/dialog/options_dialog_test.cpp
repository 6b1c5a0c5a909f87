// The options dialog, shown for real and driven from a second thread the way
// a user would drive it: keys, clicks, the save dialog and message boxes.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "drummap_version.h"
#include "file_bytes.h"
#include "options_dialog_fixture.h"
#include "ui/resource.h"
#include "writers/binary_drum_map.h"
#include "writers/drum_map_format.h"
#include "writers/write_seams.h"

namespace test {
namespace {

using namespace driver;

const std::vector<std::string> kFormats = {"KorvatVQ/VL (XML Style)", "Korvat 5.x",
                                           "MIDI name document (.midnam)", "REAPER note names (.txt)",
                                           "Studio One pitch list (.pitchlist)"};
// The save dialog's titles of the note-name formats; the drum maps keep the
// one they always had (kSaveTitle).
constexpr char kMidnamTitle[] = "Save a MIDI name document...";
constexpr char kReaperTitle[] = "Save REAPER note names...";
constexpr char kPitchListTitle[] = "Save a Studio One pitch list...";
constexpr char kWriteFailed[] = "Could not write to the file\nIt may be in use by another application";

// The fields that the dialog may write, to compare before and after.
struct Choices {
  std::string directory, mapName, filePath;
  int addNoteNames, moveEmptyPadsToEnd, formatIndex, fileSaved;
};

Choices TakeChoices() {
  return {
      exportState.directory,          exportState.mapName,     exportState.filePath, exportState.addNoteNames,
      exportState.moveEmptyPadsToEnd, exportState.formatIndex, exportState.fileSaved};
}

void ExpectSameChoices(const Choices& got, const Choices& want) {
  EXPECT_EQ(got.directory, want.directory);
  EXPECT_EQ(got.mapName, want.mapName);
  EXPECT_EQ(got.filePath, want.filePath);
  EXPECT_EQ(got.addNoteNames, want.addNoteNames);
  EXPECT_EQ(got.moveEmptyPadsToEnd, want.moveEmptyPadsToEnd);
  EXPECT_EQ(got.formatIndex, want.formatIndex);
  EXPECT_EQ(got.fileSaved, want.fileSaved);
}

// What the writer of `formatIndex` makes of the current export state, written
// under the same name in a folder of its own (the note-name formats' title
// can be the file's name).
std::string ExpectedFile(const std::string& path) {
  const std::string chosen = exportState.filePath;
  const TempDir folder;
  const std::string reference = folder.File(std::filesystem::path(path).filename().string());
  SetField(exportState.filePath, reference);
  const bool written = WriteDrumMap();
  SetField(exportState.filePath, chosen);
  EXPECT_TRUE(written);
  return ReadBytes(reference);
}

// The visible state of the dialog's controls.
struct Shown {
  std::string directory, name;
  bool addNoteNames, moveEmptyPads;
  std::vector<std::string> formats;
  int format;
};

Shown ReadControls(HWND dialog) {
  return {ItemText(dialog, IDC_DIRECTORY),       ItemText(dialog, IDC_MAP_NAME),
          IsChecked(dialog, IDC_ADD_NOTE_NAMES), IsChecked(dialog, IDC_MOVE_EMPTY_PADS),
          ComboItems(dialog, IDC_FORMAT),        ComboSelection(dialog, IDC_FORMAT)};
}

void ExpectSameControls(const Shown& got, const Shown& want) {
  EXPECT_EQ(got.directory, want.directory);
  EXPECT_EQ(got.name, want.name);
  EXPECT_EQ(got.addNoteNames, want.addNoteNames);
  EXPECT_EQ(got.moveEmptyPads, want.moveEmptyPads);
  EXPECT_EQ(got.formats, want.formats);
  EXPECT_EQ(got.format, want.format);
}

// Removes what earlier rows of a table saved into the folder.
void ClearFolder(const std::string& folder) {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
    std::filesystem::remove(entry.path(), ignored);
}

// Clicks "CLOSE" and waits until the dialog has ended.
void CloseDialog(HWND dialog) {
  Click(dialog, IDC_CLOSE);
  EXPECT_TRUE(WaitUntilClosed(dialog)) << "\"CLOSE\" did not end the dialog";
}

// Opens the save dialog with "SAVE AS...".
HWND OpenSaveDialog(HWND dialog) {
  Click(dialog, IDOK);
  HWND save = WaitForSaveDialog(dialog);
  EXPECT_NE(save, nullptr) << "no save dialog";
  return save;
}

// Unticks both boxes and chooses the binary format, as a user changing
// everything would.
void ChangeEverything(HWND dialog, const std::string& name) {
  Type(dialog, IDC_MAP_NAME, name);
  Click(dialog, IDC_ADD_NOTE_NAMES);
  Click(dialog, IDC_MOVE_EMPTY_PADS);
  SelectComboItem(dialog, IDC_FORMAT, 1);
  ASSERT_FALSE(IsChecked(dialog, IDC_ADD_NOTE_NAMES));
  ASSERT_FALSE(IsChecked(dialog, IDC_MOVE_EMPTY_PADS));
  ASSERT_EQ(ComboSelection(dialog, IDC_FORMAT), 1);
}

TEST_F(OptionsDialogTest, ShowsTheExportStateWithBothOptionsOnAndFocusOnSaveAs) {
  const struct {
    const char* name;
    std::string directory;  // empty: on the first run there is none
    std::string mapName;
    int addNoteNames, moveEmptyPadsToEnd, formatIndex;
  } cases[] = {
      {"run defaults", Directory(), "Untitled", 1, 1, 0},
      {"options off, binary format", "C:\\Drum Maps\\Acoustic", std::string(55, 'N'), 0, 0, 1},
      {"first run, no directory", "", "Untitled", 1, 1, 0},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    SetField(exportState.directory, row.directory);
    SetField(exportState.mapName, row.mapName);
    exportState.addNoteNames = row.addNoteNames;
    exportState.moveEmptyPadsToEnd = row.moveEmptyPadsToEnd;
    exportState.formatIndex = row.formatIndex;
    const Choices before = TakeChoices();

    const INT_PTR result = Show([&](HWND dialog) {
      ExpectSameControls(ReadControls(dialog),
                         {row.directory, row.mapName, true, true, kFormats, row.formatIndex});
      EXPECT_EQ(FocusedControl(dialog), GetDlgItem(dialog, IDOK));
      EXPECT_EQ(GetMenu(dialog), nullptr);
      EXPECT_EQ(GetWindowLongPtrA(dialog, GWL_STYLE) & WS_SYSMENU, 0) << "a close box";
      CloseDialog(dialog);
    });
    EXPECT_EQ(result, 0);
    ExpectSameChoices(TakeChoices(), before);  // the boxes shown checked were not taken
  }
}

TEST_F(OptionsDialogTest, CloseTakesNothing) {
  const Choices before = TakeChoices();
  const INT_PTR result = Show([&](HWND dialog) {
    ChangeEverything(dialog, "Another name");
    CloseDialog(dialog);
  });
  EXPECT_EQ(result, 0);
  ExpectSameChoices(TakeChoices(), before);
  EXPECT_EQ(exportState.fileSaved, 0);
  EXPECT_TRUE(std::filesystem::is_empty(Directory()));
}

TEST_F(OptionsDialogTest, IgnoresEscapeAndEveryOtherCommand) {
  const Choices before = TakeChoices();
  Show([&](HWND dialog) {
    const Shown shown = ReadControls(dialog);
    PressKey(dialog, VK_ESCAPE);
    ASSERT_TRUE(Flush(dialog));
    EXPECT_TRUE(IsWindowVisible(dialog)) << "Escape";
    // Commands that no button of the dialog sends, IDCANCEL (Escape's) first.
    for (int id : {IDCANCEL, 0, 4, 5, 6, 7, 8, IDC_DIRECTORY, IDC_MAP_NAME, IDC_ADD_NOTE_NAMES, IDC_FORMAT,
                   IDC_MOVE_EMPTY_PADS, 0xFFFF}) {
      SCOPED_TRACE("command " + std::to_string(id));
      Answer(dialog, id);
      ASSERT_TRUE(Flush(dialog));
      EXPECT_TRUE(IsWindowVisible(dialog));
      EXPECT_EQ(OpenWindowTitles(), std::vector<std::string>{kOptionsTitle});
    }
    ExpectSameControls(ReadControls(dialog), shown);
    CloseDialog(dialog);
  });
  ExpectSameChoices(TakeChoices(), before);
}

TEST_F(OptionsDialogTest, EnterPressesSaveAsUnlessAnotherButtonHasTheFocus) {
  const struct {
    const char* name;
    int focus;
    const char* opens;
    int answer;
  } cases[] = {
      {"focus on SAVE AS", IDOK, kSaveTitle, IDCANCEL},
      {"focus in the name field", IDC_MAP_NAME, kSaveTitle, IDCANCEL},
      {"focus on the format list", IDC_FORMAT, kSaveTitle, IDCANCEL},
      {"focus on ?", IDC_ABOUT, kAboutTitle, IDOK},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    Show([&](HWND dialog) {
      FocusControl(dialog, row.focus);
      PressKey(dialog, VK_RETURN);
      HWND opened = WaitForWindow(row.opens);
      ASSERT_NE(opened, nullptr);
      Answer(opened, row.answer);
      ASSERT_TRUE(WaitUntilClosed(opened));
      ASSERT_TRUE(Flush(dialog));
      EXPECT_TRUE(IsWindowVisible(dialog));
      CloseDialog(dialog);
    });
    EXPECT_EQ(exportState.fileSaved, 0);
  }
}

TEST_F(OptionsDialogTest, SaveDialogOpensInTheDirectoryWithTitleFilterAndProposedName) {
  Show([&](HWND dialog) {
    HWND save = OpenSaveDialog(dialog);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(WindowText(save), kSaveTitle);
    EXPECT_EQ(SaveDialogFolder(save), Directory());
    EXPECT_EQ(SaveDialogFilters(save), std::vector<std::string>{"Korvat drum map(*.drm)"});
    EXPECT_EQ(SaveDialogFileName(save), "Untitled");
    Answer(save, IDCANCEL);
    ASSERT_TRUE(WaitUntilClosed(save));
    CloseDialog(dialog);
  });
}

TEST_F(OptionsDialogTest, CancelledSaveKeepsTheDialogOpenAndTheTakenValues) {
  // The directory field is read back with room for 254 characters.
  const std::string longDirectory = "C:\\" + std::string(252, 'd');
  const struct {
    const char* name;
    std::string directory;
    bool changeEverything;
    Choices taken;
  } cases[] = {
      {"nothing changed", Directory(), false, {Directory(), "Untitled", "Untitled", 1, 1, 0, 0}},
      {"everything changed", Directory(), true, {Directory(), "Kit A", "Kit A", 0, 0, 1, 0}},
      {"directory of 255 characters",
       longDirectory,
       false,
       {longDirectory.substr(0, 254), "Untitled", "Untitled", 1, 1, 0, 0}},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    ResetExportState();
    SetField(exportState.directory, row.directory);
    SetField(exportState.filePath, "");
    Show([&](HWND dialog) {
      if (row.changeEverything) ChangeEverything(dialog, "Kit A");
      const Shown shown = ReadControls(dialog);
      HWND save = OpenSaveDialog(dialog);
      ASSERT_NE(save, nullptr);
      Answer(save, IDCANCEL);
      ASSERT_TRUE(WaitUntilClosed(save));
      ASSERT_TRUE(Flush(dialog));
      EXPECT_TRUE(IsWindowVisible(dialog));
      ExpectSameControls(ReadControls(dialog), shown);
      ExpectSameChoices(TakeChoices(), row.taken);  // taken while the dialog is still open
      CloseDialog(dialog);
    });
    ExpectSameChoices(TakeChoices(), row.taken);
    EXPECT_TRUE(std::filesystem::is_empty(Directory()));
  }
}

// Each format's own title and filter in the save dialog, its extension
// appended to the proposed name, and its file written.
TEST_F(OptionsDialogTest, ConfirmedSaveWritesTheSelectedFormatAndCloses) {
  const struct {
    const char* name;
    bool changeOptions;
    int formatIndex;
    const char* title;
    const char* filter;
    const char* file;
    const char* starts;  // the file's first bytes
  } cases[] = {
      {"XML drum map, options on", false, 0, kSaveTitle, "Korvat drum map(*.drm)", "Untitled.drm",
       "<DrumMap>\r\n"},
      {"binary drum map, options on", false, 1, kSaveTitle, "Korvat drum map(*.drm)", "Untitled.drm", "D103"},
      {"XML drum map, options off", true, 0, kSaveTitle, "Korvat drum map(*.drm)", "Untitled.drm",
       "<DrumMap>\r\n"},
      {"binary drum map, options off", true, 1, kSaveTitle, "Korvat drum map(*.drm)", "Untitled.drm", "D103"},
      {"MIDI name document, options on", false, 2, kMidnamTitle, "MIDI name document (*.midnam)",
       "Untitled.midnam", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE MIDINameDocument"},
      {"MIDI name document, options off", true, 2, kMidnamTitle, "MIDI name document (*.midnam)",
       "Untitled.midnam", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE MIDINameDocument"},
      {"REAPER note names, options on", false, 3, kReaperTitle, "REAPER note names (*.txt)", "Untitled.txt",
       "# Untitled\n24\t[C0]Pad 0\n27\t[D#0]Pad 3\n"},
      {"REAPER note names, options off", true, 3, kReaperTitle, "REAPER note names (*.txt)", "Untitled.txt",
       "# Untitled\n24\tPad 0\n27\tPad 3\n"},
      {"pitch list, options on", false, 4, kPitchListTitle, "Studio One pitch list (*.pitchlist)",
       "Untitled.pitchlist",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Music.PitchNameList title=\"Untitled\">\n"},
      {"pitch list, options off", true, 4, kPitchListTitle, "Studio One pitch list (*.pitchlist)",
       "Untitled.pitchlist",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Music.PitchNameList title=\"Untitled\">\n"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    ResetForExport("");
    for (int pad = 0; pad < kPadCount; pad += 3) NamePad(pad, "Pad " + std::to_string(pad));
    SetField(exportState.directory, Directory());
    ClearFolder(Directory());
    const std::string target = InFolder(row.file);

    const auto start = std::chrono::steady_clock::now();
    const INT_PTR result = Show([&](HWND dialog) {
      if (row.changeOptions) {
        Click(dialog, IDC_ADD_NOTE_NAMES);
        Click(dialog, IDC_MOVE_EMPTY_PADS);
      }
      SelectComboItem(dialog, IDC_FORMAT, row.formatIndex);
      HWND save = OpenSaveDialog(dialog);
      ASSERT_NE(save, nullptr);
      EXPECT_EQ(WindowText(save), row.title);
      EXPECT_EQ(SaveDialogFilters(save), std::vector<std::string>{row.filter});
      EXPECT_EQ(SaveDialogFileName(save), "Untitled");
      ConfirmSave(save);  // the proposed "Untitled"
      EXPECT_TRUE(WaitUntilClosed(dialog)) << "the dialog stayed open after the save";
    });
    const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
    std::printf("driven export (%s): %.0f ms\n", row.name, elapsed.count());

    EXPECT_EQ(result, 0);
    EXPECT_EQ(exportState.fileSaved, 1);
    EXPECT_EQ(exportState.formatIndex, row.formatIndex);
    EXPECT_EQ(exportState.addNoteNames, row.changeOptions ? 0 : 1);
    EXPECT_EQ(exportState.moveEmptyPadsToEnd, row.changeOptions ? 0 : 1);
    EXPECT_STRCASEEQ(exportState.filePath, target.c_str());
    EXPECT_EQ(List(), std::vector<std::string>{row.file});
    ASSERT_TRUE(Exists(target));
    const std::string bytes = ReadBytes(target);
    EXPECT_EQ(bytes, ExpectedFile(target));
    EXPECT_EQ(bytes.rfind(row.starts, 0), 0u) << bytes.substr(0, 80);
    if (row.formatIndex == 1) EXPECT_EQ(bytes.size(), static_cast<std::size_t>(kBinaryDrumMapSize));
  }
}

// The list shows all five formats at once when it drops down, without
// scrolling, and each can be chosen.
TEST_F(OptionsDialogTest, FormatListShowsEveryFormatWhenDroppedDown) {
  Show([&](HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_FORMAT);
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(Flush(dialog));
    EXPECT_TRUE(IsWindowVisible(info.hwndList)) << "the list did not drop down";
    RECT client = {};
    GetClientRect(info.hwndList, &client);
    const LRESULT itemHeight = SendMessageA(info.hwndList, LB_GETITEMHEIGHT, 0, 0);
    ASSERT_GT(itemHeight, 0);
    EXPECT_EQ(SendMessageA(info.hwndList, LB_GETCOUNT, 0, 0), 5);
    std::printf("format list: %ld pixels, items of %ld pixels\n",
                static_cast<long>(client.bottom - client.top), static_cast<long>(itemHeight));
    EXPECT_GE((client.bottom - client.top) / itemHeight, 5)
        << "the list shows " << (client.bottom - client.top) << " pixels of items " << itemHeight << " high";
    EXPECT_EQ(GetWindowLongPtrA(info.hwndList, GWL_STYLE) & WS_VSCROLL, 0) << "the list needs a scroll bar";
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    ASSERT_TRUE(Flush(dialog));
    for (int index = 0; index < 5; ++index) {
      SCOPED_TRACE(index);
      SelectComboItem(dialog, IDC_FORMAT, index);
      EXPECT_EQ(ComboSelection(dialog, IDC_FORMAT), index);
    }
    CloseDialog(dialog);
  });
}

TEST_F(OptionsDialogTest, AsksBeforeReplacingAnExistingFile) {
  const std::string target = InFolder("Untitled.drm");
  WriteBytes(target, "earlier drum map");
  Show([&](HWND dialog) {
    HWND save = OpenSaveDialog(dialog);
    ASSERT_NE(save, nullptr);
    ConfirmSave(save);
    HWND question = WaitForWindow(WindowText(save), save);
    ASSERT_NE(question, nullptr) << "no question before replacing the file";
    Answer(question, IDNO);
    ASSERT_TRUE(WaitUntilClosed(question));
    ASSERT_TRUE(Flush(save));
    EXPECT_TRUE(IsWindowVisible(save)) << "\"No\" must return to the save dialog";
    EXPECT_EQ(ReadBytes(target), "earlier drum map");
    EXPECT_EQ(exportState.fileSaved, 0);

    ConfirmSave(save);
    question = WaitForWindow(WindowText(save), save);
    ASSERT_NE(question, nullptr);
    Answer(question, IDYES);
    EXPECT_TRUE(WaitUntilClosed(dialog));
  });
  EXPECT_EQ(exportState.fileSaved, 1);
  EXPECT_EQ(ReadBytes(target), ExpectedFile(target));
}

TEST_F(OptionsDialogTest, FailedWriteShowsTheMessageOnceAndStillCloses) {
  const struct {
    const char* name;
    int formatIndex;
    bool holdTargetOpen;      // else the disk fills up during the write
    long long diskFullAfter;  // bytes; the empty kit's REAPER file is 11 bytes
  } cases[] = {
      {"XML drum map, file in use", 0, true, 0},       {"binary drum map, file in use", 1, true, 0},
      {"XML drum map, disk full", 0, false, 100},      {"binary drum map, disk full", 1, false, 100},
      {"MIDI name document, file in use", 2, true, 0}, {"REAPER note names, disk full", 3, false, 5},
      {"pitch list, file in use", 4, true, 0},         {"pitch list, disk full", 4, false, 50},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    ResetForExport("");
    SetField(exportState.directory, Directory());
    ClearFolder(Directory());
    const std::string file = std::string("Untitled.") + FindDrumMapFormat(row.formatIndex)->defaultExtension;
    const std::string target = InFolder(file);
    HANDLE held = INVALID_HANDLE_VALUE;
    std::optional<ScopedWriteFault> diskFull;
    if (row.holdTargetOpen) {
      WriteBytes(target, "in use");
      held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(held, INVALID_HANDLE_VALUE);
    } else {
      std::remove(target.c_str());
      diskFull.emplace(row.diskFullAfter);
    }

    const INT_PTR result = Show([&](HWND dialog) {
      SelectComboItem(dialog, IDC_FORMAT, row.formatIndex);
      HWND save = OpenSaveDialog(dialog);
      ASSERT_NE(save, nullptr);
      ConfirmSave(save);
      if (row.holdTargetOpen) {
        HWND question = WaitForWindow(WindowText(save), save);
        ASSERT_NE(question, nullptr);
        Answer(question, IDYES);
      }
      HWND error = WaitForWindow(kErrorTitle);
      ASSERT_NE(error, nullptr) << "no message about the failed write";
      EXPECT_EQ(MessageText(error), kWriteFailed);
      Answer(error, IDOK);
      // A second message would keep the dialog open.
      EXPECT_TRUE(WaitUntilClosed(dialog))
          << "open windows: " << ::testing::PrintToString(OpenWindowTitles());
    });
    diskFull.reset();
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(exportState.fileSaved, 1);
    if (row.holdTargetOpen) {
      EXPECT_EQ(ReadBytes(target), "in use");
    } else {
      EXPECT_FALSE(Exists(target));
    }
    EXPECT_EQ(List(), std::vector<std::string>(row.holdTargetOpen ? 1 : 0, file)) << "a file left behind";
  }
}

// The directory may hold 254 characters but the file path only 199: a file
// chosen in a deep folder fails the save dialog, which is told, not taken for
// a cancel; the options dialog stays open and nothing is written.
TEST_F(OptionsDialogTest, AFilePathTooLongForTheExportIsToldAndTheDialogStaysOpen) {
  std::string deep = Directory() + "\\";
  deep += std::string(220 - deep.size(), 'd');
  ASSERT_TRUE(std::filesystem::create_directory(deep));
  SetField(exportState.directory, deep);
  Show([&](HWND dialog) {
    HWND save = OpenSaveDialog(dialog);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(SaveDialogFolder(save), deep);
    ConfirmSave(save);  // "Untitled.drm" in the deep folder: over 199 characters
    HWND refusal = WaitForWindow("Drum Map Export");
    ASSERT_NE(refusal, nullptr) << "no message about the long path; open: "
                                << ::testing::PrintToString(OpenWindowTitles());
    EXPECT_NE(MessageText(refusal).find("at most 199 characters"), std::string::npos) << MessageText(refusal);
    Answer(refusal, IDOK);
    ASSERT_TRUE(WaitUntilClosed(refusal));
    ASSERT_TRUE(Flush(dialog));
    EXPECT_EQ(OpenWindowTitles(), std::vector<std::string>{kOptionsTitle});
    EXPECT_EQ(exportState.fileSaved, 0);
    CloseDialog(dialog);
  });
  EXPECT_TRUE(std::filesystem::is_empty(deep));
}

// A format index that names no format (nothing selected in the list) is a
// failed write with the writers' message, never a file reported as written.
TEST_F(OptionsDialogTest, NoFormatSelectedIsAFailedWrite) {
  exportState.formatIndex = 99;
  Show([&](HWND dialog) {
    EXPECT_EQ(ComboSelection(dialog, IDC_FORMAT), CB_ERR);
    HWND save = OpenSaveDialog(dialog);
    ASSERT_NE(save, nullptr);
    ConfirmSave(save);
    HWND error = WaitForWindow(kErrorTitle);
    ASSERT_NE(error, nullptr) << "no message about the failed write";
    EXPECT_EQ(MessageText(error), kWriteFailed);
    Answer(error, IDOK);
    EXPECT_TRUE(WaitUntilClosed(dialog));
  });
  EXPECT_EQ(exportState.fileSaved, 1);
  EXPECT_EQ(List(), std::vector<std::string>{});
}

TEST_F(OptionsDialogTest, AboutBoxLeavesTheDialogUnchanged) {
  Show([&](HWND dialog) {
    ChangeEverything(dialog, "Kit B");
    const Shown shown = ReadControls(dialog);
    Click(dialog, IDC_ABOUT);
    HWND about = WaitForWindow(kAboutTitle);
    ASSERT_NE(about, nullptr);

    // Four paragraphs, each pair separated by three line feeds.
    std::vector<std::string> paragraphs;
    const std::string text = MessageText(about);
    for (std::size_t start = 0;;) {
      const std::size_t end = text.find("\n\n\n", start);
      paragraphs.push_back(text.substr(start, end - start));
      if (end == std::string::npos) break;
      start = end + 3;
    }
    ASSERT_EQ(paragraphs.size(), 4u) << text;
    EXPECT_EQ(paragraphs[0], "Korvat(tm) Drum Map Export Wizard v" DRUMMAP_VERSION_SHORT " (beta)");
    EXPECT_EQ(paragraphs[3], "(all trademarks mentioned belong to their respective owners)");
    for (const std::string& paragraph : paragraphs) {
      EXPECT_FALSE(paragraph.empty());
      EXPECT_EQ(paragraph.find('\n'), std::string::npos) << paragraph;
    }
    EXPECT_EQ(GetDlgItem(about, IDCANCEL), nullptr) << "only an OK button";

    Answer(about, IDOK);
    ASSERT_TRUE(WaitUntilClosed(about));
    ASSERT_TRUE(Flush(dialog));
    EXPECT_TRUE(IsWindowVisible(dialog));
    ExpectSameControls(ReadControls(dialog), shown);
    CloseDialog(dialog);
  });
  EXPECT_EQ(exportState.mapName, std::string("Untitled"));
  EXPECT_EQ(exportState.fileSaved, 0);
}

TEST_F(OptionsDialogTest, AllFiftyFiveTypedCharactersReachTheFile) {
  std::string typed = "Typed name ";
  while (typed.size() < 60) typed += static_cast<char>('0' + typed.size() % 10);
  const std::string kept = typed.substr(0, 55);
  const std::string target = InFolder(kept + ".drm");
  Show([&](HWND dialog) {
    Type(dialog, IDC_MAP_NAME, typed);
    EXPECT_EQ(ItemText(dialog, IDC_MAP_NAME), kept) << "the field takes 55 characters";
    HWND save = OpenSaveDialog(dialog);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(SaveDialogFileName(save), kept);
    ConfirmSave(save);
    EXPECT_TRUE(WaitUntilClosed(dialog));
  });
  EXPECT_EQ(exportState.mapName, kept);
  EXPECT_STRCASEEQ(exportState.filePath, target.c_str());
  ASSERT_TRUE(Exists(target));
  EXPECT_NE(ReadBytes(target).find("\"" + kept + "\""), std::string::npos) << "the name in the XML drum map";
}

}  // namespace
}  // namespace test

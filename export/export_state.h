// The wizard's one process-wide record: the kit's pad names, the user's
// choices and the file to write. The run, the settings, the options dialog
// and the writers read and write its fields directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

constexpr int kPadCount = 96;
constexpr int kFirstPadNote = 24;  // pad k plays note k + 24
constexpr int kNoteCount = 128;
constexpr int kPadNameSize = 255;  // 254 characters and the terminator
constexpr int kPadNameMaxLength = kPadNameSize - 1;
constexpr int kStoredPathSize = 256;
constexpr int kDirectorySize = 256;
constexpr int kMapNameSize = 56;  // 55 characters and the terminator
constexpr int kFilePathSize = 200;

struct ExportState {
  char padNames[kPadCount][kPadNameSize];
  char storedPath[kStoredPathSize];
  char directory[kDirectorySize];
  char mapName[kMapNameSize];
  char filePath[kFilePathSize];
  std::int32_t addNoteNames;
  std::int32_t moveEmptyPadsToEnd;
  std::int32_t formatIndex;  // index into kDrumMapFormats (writers/drum_map_format.h)
  std::int32_t fileSaved;
  // The octave number that note 60 is named with in the note names (3, 4 or
  // 5; see writers/note_name.h). Only drummap-export changes it.
  std::int32_t octaveOfNote60;
};

extern ExportState exportState;

// The defaults every run starts from. `directory` and `filePath` keep their
// values from the previous run; `padNames` is overwritten by the snapshot.
void ResetExportState();

// Copies text into one of the state's fixed buffers: at most N - 1
// characters, the rest of the buffer zero-filled, always terminated.
template <std::size_t N>
void CopyText(char (&dst)[N], const char* text) {
  std::strncpy(dst, text, N - 1);
  dst[N - 1] = '\0';
}

// Copies a pad's name into its slot: at most 254 characters, the rest of the
// slot zero-filled, so no byte of an earlier name survives.
void SetPadName(int pad, const char* name);

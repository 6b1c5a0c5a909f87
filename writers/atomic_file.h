// A file that is written in full beside its target and only then moved over
// it, so a failed export never destroys the file that was there before.
//
// The target is followed through symbolic links: the file at the end of the
// chain is replaced and the links stay. Only a regular file the user may
// write is replaced; a folder, device, FIFO, socket or read-only file is
// refused and left alone. On POSIX a link in a world-writable sticky folder
// is followed only when it belongs to the user or to the folder's owner, and
// once the target is found its folder is held open: the old file's
// permissions are read there and the new file is made, renamed and removed
// there, whatever happens to the path meanwhile. The new file keeps the old
// one's permission bits (owner, group and access ACL where the process may
// set them) or, on Windows, its attributes. A hard-linked file is replaced by a new file under that name;
// its other names keep the old content.
//
// The temporary file is ".NAME.drummap-XXXXXX.tmp" in the final file's
// folder (NAME the final file's name, XXXXXX random).
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

#include "platform/file_ops.h"

class AtomicFile {
 public:
  // Creates a temporary file beside the target. IsOpen() tells whether that
  // worked.
  explicit AtomicFile(const char* target);
  ~AtomicFile();  // discards the temporary file unless Commit() succeeded
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool IsOpen() const { return file_ != nullptr || capture_ != nullptr; }

  // Appends bytes; once a write fails, every later one is skipped.
  void Write(const char* data, std::size_t size);
  // Hands what was written so far to the system.
  void Flush();

  // Flushes, syncs and closes the file, then moves it over the target. True
  // only when every step succeeded; otherwise the target is as it was and
  // the temporary file is gone.
  bool Commit();

 private:
  void Fail(const std::string& why);
  void Discard();

  TargetFile resolved_;   // the final file, links followed, and its folder
  std::string target_;    // the final file's path
  std::string linkNote_;  // names the final file in failures when it differs
  std::string tempPath_;
  std::FILE* file_ = nullptr;
  std::string* capture_ = nullptr;
  bool failed_ = false;
};

// Writes `bytes` as the whole new content of `target` through an AtomicFile:
// true only when all of it is there; otherwise the target is as it was.
bool WriteWholeFile(const char* target, const std::string& bytes);

// Why the last AtomicFile failed, on one line: the system's text for the
// error (with the step that failed where the text alone would mislead) or a
// reason such as "not a regular file". Empty when it succeeded.
std::string LastWriteFailure();

// For a handler of a fatal signal: removes the temporary file an AtomicFile
// is writing at that moment, if any. Async-signal-safe.
void RemoveTemporaryFileNow();

// While the guard lives, AtomicFile collects what is written in `bytes`
// instead of a file: no file is looked at or made, and Commit only succeeds.
// drummap-export's "-o -" writes the collected map to standard output.
class ScopedWriteCapture {
 public:
  explicit ScopedWriteCapture(std::string& bytes);
  ~ScopedWriteCapture();
  ScopedWriteCapture(const ScopedWriteCapture&) = delete;
  ScopedWriteCapture& operator=(const ScopedWriteCapture&) = delete;

 private:
  std::string* previous_;
};

// Whether a ScopedWriteCapture is in force: what is written then goes to no
// file.
bool WritesAreCaptured();

// Test seam: while the guard lives, `action` runs at `step` of every
// AtomicFile: right after the target is found and checked, right after the
// temporary file is made (before it is registered for clean-up), or right
// before it is moved over the target.
enum class FileStep { kResolved, kCreated, kBeforeReplace };
class ScopedFileStepHook {
 public:
  ScopedFileStepHook(FileStep step, std::function<void()> action);
  ~ScopedFileStepHook();
  ScopedFileStepHook(const ScopedFileStepHook&) = delete;
  ScopedFileStepHook& operator=(const ScopedFileStepHook&) = delete;

 private:
  FileStep step_;
  std::function<void()> previous_;
};

// Test seam: while the guard lives, writes fail as on a full disk (ENOSPC)
// once `bytes` more bytes have been written; `atFault`, if given, runs first,
// while the temporary file is there. The fault before it comes back when the
// guard ends, also when a test leaves early on a failed assertion.
class ScopedWriteFault {
 public:
  explicit ScopedWriteFault(long long bytes, std::function<void()> atFault = nullptr);
  ~ScopedWriteFault();
  ScopedWriteFault(const ScopedWriteFault&) = delete;
  ScopedWriteFault& operator=(const ScopedWriteFault&) = delete;

 private:
  long long previousBytes_;
  std::function<void()> previousAtFault_;
};

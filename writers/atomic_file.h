// A file that is written in full beside its target and only then moved over
// it, so a failed export never destroys the file that was there before.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

class AtomicFile {
 public:
  // Creates a temporary file in the target's folder. IsOpen() tells whether
  // that worked.
  explicit AtomicFile(const char* target);
  ~AtomicFile();  // discards the temporary file unless Commit() succeeded
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool IsOpen() const { return file_ != nullptr; }

  // Appends bytes; once a write fails, every later one is skipped.
  void Write(const char* data, std::size_t size);
  // Hands what was written so far to the system.
  void Flush();

  // Flushes, syncs and closes the file, then moves it over the target. True
  // only when every step succeeded; otherwise the target is as it was and
  // the temporary file is gone.
  bool Commit();

 private:
  void Discard();

  std::string target_;
  std::string tempPath_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

// Writes `bytes` as the whole new content of `target` through an AtomicFile:
// true only when all of it is there; otherwise the target is as it was.
bool WriteWholeFile(const char* target, const std::string& bytes);

// Test seam: while the guard lives, writes fail as on a full disk once `bytes`
// more bytes have been written. The fault before it comes back when the guard
// ends, also when a test leaves early on a failed assertion.
class ScopedWriteFault {
 public:
  explicit ScopedWriteFault(long long bytes);
  ~ScopedWriteFault();
  ScopedWriteFault(const ScopedWriteFault&) = delete;
  ScopedWriteFault& operator=(const ScopedWriteFault&) = delete;

 private:
  long long previous_;
};

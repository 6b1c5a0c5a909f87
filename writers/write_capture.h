// Writing to memory instead of a file: drummap-export's "-o -" collects the
// whole file and puts it on standard output in one piece.
#pragma once

#include <string>

// While the guard lives, AtomicFile collects what is written in `bytes`
// instead of a file: no file is looked at or made, and Commit only succeeds.
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

// Where the ScopedWriteCapture in force collects the bytes, or null.
std::string* WriteCaptureBytes();

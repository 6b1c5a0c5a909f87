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
// folder (NAME the final file's name, XXXXXX random). Why a write failed is
// kept for LastWriteFailure() (writers/write_failure.h); "-o -" collects the
// bytes instead (writers/write_capture.h); the tests' seams are in
// writers/write_seams.h.
#pragma once

#include <cstddef>
#include <cstdio>
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
  void Fail(const std::string& reason);
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

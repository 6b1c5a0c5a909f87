#include "writers/atomic_file.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "platform/file_ops.h"
#include "writers/pending_temporary_file.h"
#include "writers/write_capture.h"
#include "writers/write_failure.h"
#include "writers/write_seams.h"

namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\' || c == ':';
#else
  return c == '/';
#endif
}

// ".NAME.drummap-XXXXXX.tmp" beside `path`. Names longer than a folder entry
// can hold with the additions are shortened.
std::string TemporaryName(const std::string& path, unsigned& seed) {
  std::size_t nameStart = path.size();
  while (nameStart > 0 && !IsSeparator(path[nameStart - 1])) --nameStart;
  const std::string name = path.substr(nameStart, 128);
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  char random[7];
  for (int i = 0; i < 6; ++i) {
    seed = seed * 1103515245u + 12345u;
    random[i] = kLetters[(seed >> 16) % 36];
  }
  random[6] = '\0';
  return path.substr(0, nameStart) + "." + name + ".drummap-" + random + ".tmp";
}

}  // namespace

AtomicFile::AtomicFile(const char* target) {
  ClearLastWriteFailure();
  capture_ = WriteCaptureBytes();
  if (capture_ != nullptr) return;
  std::string reason;
  const bool replaceable = ResolveTarget(target, resolved_, reason);
  target_ = resolved_.path;
  if (resolved_.throughLink && !target_.empty()) linkNote_ = "link to " + target_ + ": ";
  if (!replaceable) {
    Fail(reason);
    return;
  }
  RunFileStep(FileStep::kResolved);
  // A short random suffix; a name that is already taken is passed over.
  unsigned seed = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(this));
  bool nameTaken = true;
  for (int attempt = 0; attempt < 16 && file_ == nullptr && nameTaken; ++attempt) {
    const std::string candidate = TemporaryName(target_, seed);
    // Announced once it is ours: a taken name belongs to someone else. No
    // interrupt comes between the create and the announcement.
    const InterruptsHeld held;
    file_ = CreateNewFile(resolved_, candidate, nameTaken, reason);
    if (file_ != nullptr) {
      RunFileStep(FileStep::kCreated);
      tempPath_ = candidate;
      SetPendingTemporaryFile(resolved_.folder, tempPath_);
    }
  }
  if (file_ == nullptr) {
    Fail("cannot create a file in its folder: " + reason);
    return;
  }
  // The writers hand over whole lines or whole files and flush after each:
  // without a stream buffer each one goes to the system in a single call.
  std::setvbuf(file_, nullptr, _IONBF, 0);
}

AtomicFile::~AtomicFile() { Discard(); }

void AtomicFile::Fail(const std::string& reason) {
  if (failed_) return;
  failed_ = true;
  SetLastWriteFailure(linkNote_ + reason);
}

void AtomicFile::Write(const char* data, std::size_t size) {
  if (!IsOpen() || failed_) return;
  if (WriteFaultStrikes(size)) {
    Fail(std::strerror(errno));
  } else if (capture_ != nullptr) {
    capture_->append(data, size);
  } else if (std::fwrite(data, 1, size, file_) != size) {
    Fail(std::strerror(errno));
  }
}

void AtomicFile::Flush() {
  if (file_ == nullptr || failed_) return;
  if (std::fflush(file_) != 0) Fail(std::strerror(errno));
}

bool AtomicFile::Commit() {
  if (capture_ != nullptr) return !failed_;
  if (file_ == nullptr) return false;
  Flush();
  std::string reason;
  if (!failed_ && !SyncFile(file_, reason)) Fail(reason);
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!closed) Fail(std::strerror(errno));
  if (!failed_) RunFileStep(FileStep::kBeforeReplace);
  if (failed_ || !MoveFileOver(resolved_, tempPath_, reason)) {
    Fail(reason);
    Discard();
    return false;
  }
  ClearPendingTemporaryFile();
  tempPath_.clear();
  return true;
}

void AtomicFile::Discard() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!tempPath_.empty()) {
    RemoveFile(resolved_.folder, tempPath_.c_str());
    ClearPendingTemporaryFile();
    tempPath_.clear();
  }
}

bool WriteWholeFile(const char* target, const std::string& bytes) {
  AtomicFile file(target);
  if (!file.IsOpen()) return false;
  file.Write(bytes.data(), bytes.size());
  return file.Commit();
}

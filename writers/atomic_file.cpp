#include "writers/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/file_ops.h"

namespace {

// Bytes left before writes fail; negative: no fault.
long long writeFaultBudget = -1;
std::function<void()> writeFaultAction;

// Where ScopedWriteCapture collects the bytes, or null.
std::string* writeCapture = nullptr;

std::string lastFailure;

// The test seam's actions, by FileStep.
std::function<void()> stepActions[3];

void RunStep(FileStep step) {
  const std::function<void()>& action = stepActions[static_cast<int>(step)];
  if (action) action();
}

// The temporary file being written, for RemoveTemporaryFileNow. The path is
// complete before the flag is set and the flag is cleared before the path
// changes, so a signal handler only ever sees a whole path.
char pendingTemp[4096];
int pendingFolder = -1;  // the open folder it is in, or -1
volatile std::sig_atomic_t pendingTempSet = 0;

void SetPendingTemp(int folder, const std::string& path) {
  if (path.size() >= sizeof pendingTemp) return;  // cleaned up only by Discard()
  std::memcpy(pendingTemp, path.c_str(), path.size() + 1);
  pendingFolder = folder;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  pendingTempSet = 1;
}

void ClearPendingTemp() {
  pendingTempSet = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

// Writes through the test seam: a budget that runs out fails the write as a
// full disk would.
bool WriteBytes(const char* data, std::size_t size, std::FILE* file, std::string* capture) {
  if (writeFaultBudget >= 0) {
    if (static_cast<long long>(size) > writeFaultBudget) {
      writeFaultBudget = 0;
      if (writeFaultAction) writeFaultAction();
      errno = ENOSPC;
      return false;
    }
    writeFaultBudget -= static_cast<long long>(size);
  }
  if (capture != nullptr) {
    capture->append(data, size);
    return true;
  }
  return std::fwrite(data, 1, size, file) == size;
}

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

std::string LastWriteFailure() { return lastFailure; }

void RemoveTemporaryFileNow() {
  if (pendingTempSet) RemoveFile(pendingFolder, pendingTemp);
}

ScopedWriteCapture::ScopedWriteCapture(std::string& bytes) : previous_(writeCapture) {
  writeCapture = &bytes;
}

ScopedWriteCapture::~ScopedWriteCapture() { writeCapture = previous_; }

bool WritesAreCaptured() { return writeCapture != nullptr; }

ScopedFileStepHook::ScopedFileStepHook(FileStep step, std::function<void()> action)
    : step_(step), previous_(std::move(stepActions[static_cast<int>(step)])) {
  stepActions[static_cast<int>(step)] = std::move(action);
}

ScopedFileStepHook::~ScopedFileStepHook() { stepActions[static_cast<int>(step_)] = std::move(previous_); }

ScopedWriteFault::ScopedWriteFault(long long bytes, std::function<void()> atFault)
    : previousBytes_(writeFaultBudget), previousAtFault_(std::move(writeFaultAction)) {
  writeFaultBudget = bytes;
  writeFaultAction = std::move(atFault);
}

ScopedWriteFault::~ScopedWriteFault() {
  writeFaultBudget = previousBytes_;
  writeFaultAction = std::move(previousAtFault_);
}

AtomicFile::AtomicFile(const char* target) {
  lastFailure.clear();
  if (writeCapture != nullptr) {
    capture_ = writeCapture;
    return;
  }
  std::string why;
  const bool replaceable = ResolveTarget(target, resolved_, why);
  target_ = resolved_.path;
  if (resolved_.throughLink && !target_.empty()) linkNote_ = "link to " + target_ + ": ";
  if (!replaceable) {
    Fail(why);
    return;
  }
  RunStep(FileStep::kResolved);
  // A short random suffix; a name that is already taken is passed over.
  unsigned seed = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(this));
  bool nameTaken = true;
  for (int attempt = 0; attempt < 16 && file_ == nullptr && nameTaken; ++attempt) {
    const std::string candidate = TemporaryName(target_, seed);
    // Announced once it is ours: a taken name belongs to someone else. No
    // interrupt comes between the create and the announcement.
    const InterruptsHeld held;
    file_ = CreateNewFile(resolved_, candidate, nameTaken, why);
    if (file_ != nullptr) {
      RunStep(FileStep::kCreated);
      tempPath_ = candidate;
      SetPendingTemp(resolved_.folder, tempPath_);
    }
  }
  if (file_ == nullptr) {
    Fail("cannot create a file in its folder: " + why);
    return;
  }
  // The writers hand over whole lines or whole files and flush after each:
  // without a stream buffer each one goes to the system in a single call.
  std::setvbuf(file_, nullptr, _IONBF, 0);
}

AtomicFile::~AtomicFile() { Discard(); }

void AtomicFile::Fail(const std::string& why) {
  if (failed_) return;
  failed_ = true;
  lastFailure = linkNote_ + why;
}

void AtomicFile::Write(const char* data, std::size_t size) {
  if (!IsOpen() || failed_) return;
  if (!WriteBytes(data, size, file_, capture_)) Fail(std::strerror(errno));
}

void AtomicFile::Flush() {
  if (file_ == nullptr || failed_) return;
  if (std::fflush(file_) != 0) Fail(std::strerror(errno));
}

bool AtomicFile::Commit() {
  if (capture_ != nullptr) return !failed_;
  if (file_ == nullptr) return false;
  Flush();
  std::string why;
  if (!failed_ && !SyncFile(file_, why)) Fail(why);
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!closed) Fail(std::strerror(errno));
  if (!failed_) RunStep(FileStep::kBeforeReplace);
  if (failed_ || !MoveFileOver(resolved_, tempPath_, why)) {
    Fail(why);
    Discard();
    return false;
  }
  ClearPendingTemp();
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
    ClearPendingTemp();
    tempPath_.clear();
  }
}

bool WriteWholeFile(const char* target, const std::string& bytes) {
  AtomicFile file(target);
  if (!file.IsOpen()) return false;
  file.Write(bytes.data(), bytes.size());
  return file.Commit();
}

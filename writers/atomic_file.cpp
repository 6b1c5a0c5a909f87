#include "writers/atomic_file.h"

#include <chrono>
#include <cstring>

#include "platform/file_ops.h"

namespace {

// Bytes left before writes fail; negative: no fault.
long long writeFaultBudget = -1;

// Writes through the test seam: a budget that runs out fails the write.
bool WriteBytes(const char* data, std::size_t size, std::FILE* file) {
  if (writeFaultBudget >= 0) {
    if (static_cast<long long>(size) > writeFaultBudget) {
      writeFaultBudget = 0;
      return false;
    }
    writeFaultBudget -= static_cast<long long>(size);
  }
  return std::fwrite(data, 1, size, file) == size;
}

}  // namespace

ScopedWriteFault::ScopedWriteFault(long long bytes) : previous_(writeFaultBudget) {
  writeFaultBudget = bytes;
}

ScopedWriteFault::~ScopedWriteFault() { writeFaultBudget = previous_; }

AtomicFile::AtomicFile(const char* target) : target_(target) {
  // A short random suffix; a name that is already taken is passed over.
  unsigned seed = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 16 && file_ == nullptr; ++attempt) {
    seed = seed * 1103515245u + 12345u;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%06x~", (seed >> 8) & 0xFFFFFFu);
    tempPath_ = target_ + suffix;
    file_ = CreateNewFile(tempPath_.c_str());
  }
  if (file_ == nullptr) {
    tempPath_.clear();
    return;
  }
  // The writers hand over whole lines or whole files and flush after each:
  // without a stream buffer each one goes to the system in a single call.
  std::setvbuf(file_, nullptr, _IONBF, 0);
}

AtomicFile::~AtomicFile() { Discard(); }

void AtomicFile::Write(const char* data, std::size_t size) {
  if (file_ == nullptr || failed_) return;
  if (!WriteBytes(data, size, file_)) failed_ = true;
}

void AtomicFile::Flush() {
  if (file_ == nullptr || failed_) return;
  if (std::fflush(file_) != 0) failed_ = true;
}

bool AtomicFile::Commit() {
  if (file_ == nullptr) return false;
  Flush();
  if (!failed_ && !SyncFile(file_)) failed_ = true;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (failed_ || !closed || !MoveFileOver(tempPath_.c_str(), target_.c_str())) {
    Discard();
    return false;
  }
  tempPath_.clear();
  return true;
}

void AtomicFile::Discard() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!tempPath_.empty()) {
    RemoveFile(tempPath_.c_str());
    tempPath_.clear();
  }
}

bool WriteWholeFile(const char* target, const std::string& bytes) {
  AtomicFile file(target);
  if (!file.IsOpen()) return false;
  file.Write(bytes.data(), bytes.size());
  return file.Commit();
}

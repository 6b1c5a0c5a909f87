// Test seams of AtomicFile: a write that fails part-way, and an action at a
// chosen step of every write. Each is a guard that puts back what was in
// force before, also when a test leaves early on a failed assertion.
#pragma once

#include <cstddef>
#include <functional>

// While the guard lives, writes fail as on a full disk (ENOSPC) once `bytes`
// more bytes have been written; `atFault`, if given, runs first, while the
// temporary file is there.
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

// While the guard lives, `action` runs at `step` of every AtomicFile: right
// after the target is found and checked, right after the temporary file is
// made (before it is registered for clean-up), or right before it is moved
// over the target.
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

// Called by AtomicFile. True when a write of `size` bytes must fail now (the
// fault's action has run and errno is ENOSPC).
bool WriteFaultStrikes(std::size_t size);
// Runs the action hooked to `step`, if any.
void RunFileStep(FileStep step);

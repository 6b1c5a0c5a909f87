#include "writers/write_seams.h"

#include <cerrno>
#include <utility>

namespace {

// Bytes left before writes fail; negative: no fault.
long long writeFaultBudget = -1;
std::function<void()> writeFaultAction;

// The actions, by FileStep.
std::function<void()> stepActions[3];

}  // namespace

ScopedWriteFault::ScopedWriteFault(long long bytes, std::function<void()> atFault)
    : previousBytes_(writeFaultBudget), previousAtFault_(std::move(writeFaultAction)) {
  writeFaultBudget = bytes;
  writeFaultAction = std::move(atFault);
}

ScopedWriteFault::~ScopedWriteFault() {
  writeFaultBudget = previousBytes_;
  writeFaultAction = std::move(previousAtFault_);
}

ScopedFileStepHook::ScopedFileStepHook(FileStep step, std::function<void()> action)
    : step_(step), previous_(std::move(stepActions[static_cast<int>(step)])) {
  stepActions[static_cast<int>(step)] = std::move(action);
}

ScopedFileStepHook::~ScopedFileStepHook() { stepActions[static_cast<int>(step_)] = std::move(previous_); }

bool WriteFaultStrikes(std::size_t size) {
  if (writeFaultBudget < 0) return false;
  if (static_cast<long long>(size) <= writeFaultBudget) {
    writeFaultBudget -= static_cast<long long>(size);
    return false;
  }
  writeFaultBudget = 0;
  if (writeFaultAction) writeFaultAction();
  errno = ENOSPC;
  return true;
}

void RunFileStep(FileStep step) {
  const std::function<void()>& action = stepActions[static_cast<int>(step)];
  if (action) action();
}

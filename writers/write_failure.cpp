#include "writers/write_failure.h"

namespace {

std::string lastFailure;

}  // namespace

std::string LastWriteFailure() { return lastFailure; }

void ClearLastWriteFailure() { lastFailure.clear(); }

void SetLastWriteFailure(const std::string& reason) { lastFailure = reason; }

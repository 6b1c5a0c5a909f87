#include "writers/write_capture.h"

namespace {

std::string* writeCapture = nullptr;

}  // namespace

ScopedWriteCapture::ScopedWriteCapture(std::string& bytes) : previous_(writeCapture) {
  writeCapture = &bytes;
}

ScopedWriteCapture::~ScopedWriteCapture() { writeCapture = previous_; }

bool WritesAreCaptured() { return writeCapture != nullptr; }

std::string* WriteCaptureBytes() { return writeCapture; }

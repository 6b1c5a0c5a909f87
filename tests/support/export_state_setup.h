// The export state put into a known state for a test.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace test {

// Puts the export state into a known state: the run's defaults, all pads empty,
// the given output path.
void ResetForExport(const std::string& filePath);
void NamePad(int pad, const std::string& name);

// Puts `text` into a fixed buffer of the export state: zeros after it, and a
// failure when it does not fit with its terminator.
template <std::size_t N>
void SetField(char (&field)[N], const std::string& text) {
  ASSERT_LT(text.size(), N) << text;
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), text.size());
}

}  // namespace test

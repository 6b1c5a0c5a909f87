// Whole files as bytes, and the source tree's files as the test program opens them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test {

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);

// Splits a file into its lines; fails if any line does not end in CR LF or a
// lone CR or LF occurs.
::testing::AssertionResult SplitCrLfLines(const std::string& bytes, std::vector<std::string>& lines);

// A file of the source tree, in the form the test program opens it by.
std::string SourcePath(const std::string& relative);

}  // namespace test

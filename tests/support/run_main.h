// A program's main function run in-process with a command line of the test's.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace test {

// What a program's main function did: its exit status and what it printed.
struct MainResult {
  int status = -1;
  std::string out;
  std::string err;
};
using MainFunction = int (*)(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
// Runs `main` with `program` and `args` as its command line. Its standard
// output goes to `out` when one is given (then `MainResult::out` is empty).
MainResult RunMain(MainFunction main, const std::string& program, std::vector<std::string> args,
                   std::ostream* out = nullptr);

}  // namespace test

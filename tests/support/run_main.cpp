#include "run_main.h"

#include <sstream>

namespace test {

MainResult RunMain(MainFunction main, const std::string& program, std::vector<std::string> args,
                   std::ostream* out) {
  args.insert(args.begin(), program);
  std::vector<const char*> argv;
  for (const auto& arg : args) argv.push_back(arg.c_str());
  std::ostringstream collected, err;
  MainResult result;
  result.status = main(static_cast<int>(argv.size()), argv.data(), out != nullptr ? *out : collected, err);
  result.out = collected.str();
  result.err = err.str();
  return result;
}

}  // namespace test

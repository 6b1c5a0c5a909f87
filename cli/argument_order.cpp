#include "cli/argument_order.h"

#include <algorithm>

std::vector<std::string> ArgumentsForParser(const CLI::App& app, int argc, const char* const* argv) {
  auto takesValue = [&app](const std::string& name) {
    const CLI::Option* option = app.get_option_no_throw(name);
    return option != nullptr && option->get_items_expected_max() > 0;
  };
  std::vector<std::string> args;
  bool value = false;           // this argument is the value of the option before it
  bool positionalOnly = false;  // after "--"
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool plain = value || positionalOnly;
    value = false;
    if (!plain && arg == "--") {
      positionalOnly = true;
    } else if (!plain && arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      const std::size_t equals = arg.find('=');
      const std::string name = arg.substr(0, equals);
      if (takesValue(name) && equals == std::string::npos) {
        value = true;
      } else if (takesValue(name) && equals + 1 == arg.size()) {
        args.push_back(name);
        args.emplace_back();
        continue;
      }
    } else if (!plain && arg.size() == 2 && arg[0] == '-') {
      value = takesValue(arg);
    }
    args.push_back(arg);
  }
  std::reverse(args.begin(), args.end());
  return args;
}

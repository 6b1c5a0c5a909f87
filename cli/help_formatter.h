// drummap-export's --help: the usage line first, then what the program does,
// the arguments and the footer.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

class HelpFormatter : public CLI::Formatter {
 public:
  HelpFormatter();
  std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override;
};

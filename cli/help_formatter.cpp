#include "cli/help_formatter.h"

HelpFormatter::HelpFormatter() {
  label("Usage", "usage");
  column_width(24);
}

std::string HelpFormatter::make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const {
  return make_usage(app, name) + "\n" + make_description(app) + make_positionals(app) +
         make_groups(app, mode) + "\n" + make_footer(app);
}

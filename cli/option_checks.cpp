#include "cli/option_checks.h"

CLI::Validator AtMostBytes(std::size_t limit, const char* what) {
  return Valid([limit, what](const std::string& value) {
    if (value.size() <= limit) return std::string();
    return std::string(what) + " is longer than " + std::to_string(limit) + " bytes";
  });
}

CLI::Validator NotEmpty(const char* what) {
  return Valid(
      [what](const std::string& value) { return value.empty() ? std::string(what) + " is empty" : ""; });
}

// Checks of option values for the command line: each gives what is wrong
// with a value, or an empty string when nothing is.
#pragma once

#include <CLI/CLI.hpp>
#include <cstddef>
#include <string>

// A check from a function that returns what is wrong with the value.
template <typename Check>
CLI::Validator Valid(Check problem) {
  return CLI::Validator([problem](std::string& value) { return problem(value); }, "");
}

// At most `limit` bytes; `what` names the value in the message.
CLI::Validator AtMostBytes(std::size_t limit, const char* what);
// Not empty; `what` names the value in the message.
CLI::Validator NotEmpty(const char* what);

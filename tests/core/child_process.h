// Runs a program to its end, for tests that need the real drummap-export in
// a process of its own (another user, standard output, a signal).
#pragma once

#include <string>
#include <vector>

struct ProgramResult {
  bool started = false;
  int exitCode = -1;  // when it ended normally
  int signal = 0;     // POSIX: the signal that ended it, else 0
  std::string out;
  std::string err;
};

// args[0] is the program's path; the standard output and error are collected.
ProgramResult RunProgram(const std::vector<std::string>& args);

// The drummap-export program of this build.
std::string ExportProgram();

// What drummap-export prints: failures and warnings on standard error, one
// line each, and text on standard output that is checked for arriving.
#pragma once

#include <ostream>
#include <string>

// `text` with its control bytes shown as \xNN, so that a path cannot move the
// cursor or change colours in the terminal that shows it: the C0 controls,
// DEL, the C1 controls in UTF-8 (C2 80 to C2 9F) and the bytes 80 to 9F that
// are no part of a UTF-8 character (a terminal reading 8-bit text takes
// them for C1 controls). Other UTF-8 characters stay as they are.
std::string Printable(const std::string& text);

// "drummap-export: PATH: REASON" on `err`, printable; returns 1.
int Failure(std::ostream& err, const std::string& path, const std::string& reason);
// "drummap-export: warning: PATH: WARNING" on `err`, printable.
void Warning(std::ostream& err, const std::string& path, const std::string& warning);

// Puts `text` on standard output: 0 when all of it got there, else 1 with
// the reason on standard error (a full disk, a closed pipe or descriptor).
int PutOnStandardOutput(std::ostream& out, std::ostream& err, const std::string& text);

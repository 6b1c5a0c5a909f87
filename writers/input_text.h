// Helpers shared by the readers of the line-based inputs (REAPER note
// names, tables) and by the detection.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The lines of a text: a UTF-8 byte-order mark skipped, lines ended by LF or
// CR LF (the CR goes), the last line also without an ending.
std::vector<std::string_view> InputLines(std::string_view text);

// `text` without blanks (spaces, TABs) at either end.
std::string_view TrimBlanks(std::string_view text);

bool IsBlank(char c);

// A note number 0-127 written in decimal, nothing else. False for anything
// else, also for a number out of range.
bool ParseNoteNumber(std::string_view text, int& note);

// A note name such as C1, D#2, Eb-1 in the convention where note 60 is
// C<octaveOfNote60>; letters in either case. False for anything else and
// for notes outside 0-127.
bool ParseNoteName(std::string_view text, std::int32_t octaveOfNote60, int& note);

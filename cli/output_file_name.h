// The file drummap-export writes when no -o is given.
#pragma once

#include <string>

// A file name in the current folder made from the drum map's name, never a
// path: every byte that cannot stand in a file name on Windows or POSIX
// (/ \ : * ? " < > |, control bytes) becomes '_'; leading dots and a
// leading '-' become '_', so the file is never hidden nor taken for an
// option; a Windows device name (CON, NUL, COM1, ...)
// gets a '_' after it; an empty name is "Untitled". `extension` is added
// after a dot.
std::string DefaultOutputFileName(const std::string& mapName, const char* extension);

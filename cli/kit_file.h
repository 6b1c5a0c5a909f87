// Kit files: one pad name a line, line k naming pad k, as raw 8-bit bytes.
#pragma once

#include <string>
#include <vector>

#include "writers/utf8_conversion.h"

// Reads up to 96 lines (LF or CR LF); an empty line is an empty pad and
// missing lines are empty pads. Names are returned whole; the caller cuts.
// On failure returns false with a one-line reason in `error`.
bool ReadKitFile(const char* path, std::vector<std::string>& names, std::string& error);

// Parses kit text already in memory; same rules as ReadKitFile.
bool ParseKitText(const std::string& text, std::vector<std::string>& names, std::string& error);

// How the kit's names become UTF-8 for the note-name formats: a kit whose
// text is valid UTF-8 is taken as it is, any other kit as Windows-1252, the
// drum sampler's usual code page. The map name goes the same way.
Utf8Conversion KitTextConversion(const std::vector<std::string>& names);

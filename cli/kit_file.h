// Kit files: one pad name a line, line k naming pad k, as raw 8-bit bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "writers/utf8_conversion.h"

// The largest kit file read. 96 names of 254 bytes with their line breaks
// take 24 KiB; longer names are allowed and cut when copied, so the limit
// leaves room for forty times that.
constexpr std::size_t kKitFileMaxBytes = 1024 * 1024;

// Reads a kit file: at most kKitFileMaxBytes + 1 bytes, and no further than
// the first byte after the 96th line that is not blank, so an endless input
// ends the read quickly and memory stays bounded. The text is then parsed as
// ParseKitText does. On failure returns false with a one-line reason in
// `reason`: the system's reason when the file cannot be opened or read.
bool ReadKitFile(const char* path, std::vector<std::string>& names, std::string& reason);

// Parses kit text already in memory into 96 names:
// - more than kKitFileMaxBytes bytes is refused;
// - a UTF-8 byte-order mark is skipped; a UTF-16 one (FF FE or FE FF) or a
//   UTF-32 one (FF FE 00 00 or 00 00 FE FF), also after a UTF-8 one, is
//   refused with a hint on how to save the file;
// - lines end in LF or CR LF; a text without any LF is split at CR instead
//   (old Mac line ends); a CR inside a line of an LF text stays in the name;
// - an empty line is an empty pad, missing lines at the end are empty pads,
//   blank lines (spaces, tabs) after the 96th are ignored and any other text
//   there is refused;
// - a NUL byte in a line is refused, naming the line (1 for the first).
// Names are returned whole; the caller cuts them to 254 bytes.
bool ParseKitText(const std::string& text, std::vector<std::string>& names, std::string& reason);

// How the kit's names become UTF-8 for the note-name formats: a kit whose
// text is valid UTF-8 is taken as it is, any other kit as Windows-1252, the
// drum sampler's usual code page. The map name goes the same way.
Utf8Conversion KitTextConversion(const std::vector<std::string>& names);

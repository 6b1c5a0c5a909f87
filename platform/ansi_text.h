// The wizard's text conversion for the note-name formats: the host hands
// over pad names in the system's ANSI code page.
#pragma once

#include <string>
#include <string_view>

// `text` read in the ANSI code page (MultiByteToWideChar with CP_ACP), given
// back in UTF-8 (WideCharToMultiByte with CP_UTF8). A Utf8Conversion
// (writers/utf8_conversion.h).
std::string AnsiToUtf8(std::string_view text);

// The export state holds 8-bit text (pad names, the map name and the file
// path); the MIDI name document, the REAPER note names and the pitch list
// hold UTF-8. How the 8-bit text is to be read depends on where it came from:
// the wizard gets all of it in the system's ANSI code page; drummap-export
// reads the pad names from a kit file that is either UTF-8 or Windows-1252,
// and the map name and the path from its own command line. Whoever fills the
// export state installs the matching conversions for the export; the writers
// only call ExportTextToUtf8 and UserTextToUtf8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A conversion from 8-bit text to UTF-8. It must always give valid UTF-8.
using Utf8Conversion = std::string (*)(std::string_view text);

// Whether `text` is well-formed UTF-8: no overlong forms, no surrogates,
// nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// The length of the well-formed UTF-8 character at `text[i]` (1 for ASCII),
// 0 where none begins there.
std::size_t Utf8CharacterLength(std::string_view text, std::size_t i);

// Windows-1252: 0x80-0x9F through the code page's table, the five bytes it
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) as the control characters of
// the same number, as Windows converts them; every other byte as the Latin-1
// character of that number.
std::string Windows1252ToUtf8(std::string_view text);

// Text that is valid UTF-8 as it is. A pad name cut to its 254 bytes in the
// middle of a character loses that incomplete character; any other text that
// is not valid UTF-8 is read as Windows-1252 instead, so the result is always
// valid.
std::string Utf8AsIs(std::string_view text);

// Installs conversions while the guard lives: `padNames` for the pad names,
// `userText` for the map name and the file path (null: the same as
// `padNames`). The ones before come back when the guard ends.
class ScopedUtf8Conversion {
 public:
  explicit ScopedUtf8Conversion(Utf8Conversion padNames, Utf8Conversion userText = nullptr);
  ~ScopedUtf8Conversion();
  ScopedUtf8Conversion(const ScopedUtf8Conversion&) = delete;
  ScopedUtf8Conversion& operator=(const ScopedUtf8Conversion&) = delete;

 private:
  Utf8Conversion previousPadNames_;
  Utf8Conversion previousUserText_;
};

// Whether the pad names are UTF-8 already (Utf8AsIs is installed for them):
// the drum maps, which take the bytes as they are, then keep characters whole.
bool ExportTextIsUtf8();

// A pad name in UTF-8, through the installed conversion (Windows-1252, the
// drum sampler's usual code page, while none is).
std::string ExportTextToUtf8(std::string_view text);

// The map name or the file path in UTF-8, through the conversion installed
// for them (Windows-1252 while none is).
std::string UserTextToUtf8(std::string_view text);

// Appends code point `c` (at most U+10FFFF) in UTF-8.
void AppendUtf8(std::string& out, std::uint32_t c);

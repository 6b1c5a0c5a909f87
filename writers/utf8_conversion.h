// The export state holds 8-bit text (pad names and the map name); the MIDI
// name document, the REAPER note names and the pitch list hold UTF-8. How the
// 8-bit text is to be read depends on where it came from: the wizard gets it
// in the system's ANSI code page, drummap-export from a kit file that is
// either UTF-8 or Windows-1252. Whoever fills the export state installs the
// matching conversion for the export; the writers only call ExportTextToUtf8.
#pragma once

#include <cstddef>
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

// Installs a conversion while the guard lives; the one before it comes back
// when the guard ends.
class ScopedUtf8Conversion {
 public:
  explicit ScopedUtf8Conversion(Utf8Conversion conversion);
  ~ScopedUtf8Conversion();
  ScopedUtf8Conversion(const ScopedUtf8Conversion&) = delete;
  ScopedUtf8Conversion& operator=(const ScopedUtf8Conversion&) = delete;

 private:
  Utf8Conversion previous_;
};

// Whether the export state's text is UTF-8 already (Utf8AsIs is installed):
// the drum maps, which take the bytes as they are, then keep characters whole.
bool ExportTextIsUtf8();

// The export state's text in UTF-8, through the installed conversion
// (Windows-1252, the drum sampler's usual code page, while none is).
std::string ExportTextToUtf8(std::string_view text);

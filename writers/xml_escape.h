// Names as XML attribute text or element content, for every format that is
// XML. Both functions give the same bytes for ASCII text.
#pragma once

#include <string>
#include <string_view>

// Appends 8-bit text. Markup characters become entities, TAB, LF and CR
// character references (a reader would turn them into spaces), and the other
// control bytes, which XML 1.0 cannot hold at all, spaces. Every other byte,
// 0x80-0xFF included, is copied unchanged.
void AppendXmlEscaped(std::string& out, std::string_view text);

// Appends UTF-8 text by the same rules; in addition U+FFFE and U+FFFF, which
// are valid UTF-8 but no XML characters, become `nonCharacter` (U+FFFD
// unless given; the XML drum map, which writes the other characters XML
// cannot hold as spaces, gives " ").
void AppendXmlEscapedUtf8(std::string& out, std::string_view utf8, const char* nonCharacter = "\xEF\xBF\xBD");

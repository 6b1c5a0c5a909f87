// Which kind of file drummap-export is given, from its content alone (the
// name and extension do not count). In this order:
// 1. a binary drum map: the file begins with the tag "D103";
// 2. XML: the first thing after a byte-order mark and blanks is '<'; the
//    root element decides: <DrumMap> the XML drum map, <MIDINameDocument> a
//    MIDI name document, <Music.PitchNameList> a pitch list, any other none;
// 3. a file with NUL bytes is none;
// 4. REAPER note names: the first line that is not empty is a comment (# or
//    //), or every line that is not empty is a note number 0-127 (no number
//    twice), blanks and a name, a comment or a CC line;
// 5. a CSV or TSV table: every row, but perhaps a header row, begins with a
//    note (0-127 or a name such as C1) and a TAB, comma or semicolon;
// 6. anything else is kit text.
// So a kit whose every name begins with a different number 0-127 and a
// blank reads as REAPER note names: --from kit reads it as a kit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "writers/drum_map_input.h"

// False when the file is none of them, with what it is in `reason` ("an XML
// file with the root element <html>", "binary data").
bool DetectInputFormat(std::string_view bytes, std::int32_t octaveOfNote60, InputFormat& format,
                       std::string& reason);

// The name of the first element, found without parsing the document; empty
// when there is none to be found.
std::string XmlRootName(std::string_view bytes);

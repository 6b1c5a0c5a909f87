// The order in which the sequencer lists the 128 notes. The two formats use
// different rules for where notes 0 to 23 go.
#pragma once

#include <array>
#include <cstdint>

// XML: the list of notes in display order. With `moveEmptyPadsToEnd` the named
// pads come first, then the empty pads, then notes 0-23, then 120-127;
// otherwise note order.
std::array<std::uint8_t, 128> XmlNoteOrder();

// Binary: for each note, its position in the list. With `moveEmptyPadsToEnd`
// the list shows the named pads, then notes 0-23, then the empty pads, then
// notes 120-127; otherwise every note keeps its own position.
std::array<std::uint8_t, 128> BinaryNotePositions();

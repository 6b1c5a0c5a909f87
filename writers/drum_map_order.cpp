#include "writers/drum_map_order.h"

#include "export/export_state.h"

namespace {

bool PadIsNamed(int pad) { return exportState.padNames[pad][0] != '\0'; }

}  // namespace

std::array<std::uint8_t, 128> XmlNoteOrder() {
  std::array<std::uint8_t, 128> order{};
  int next = 0;
  auto add = [&](int note) { order[next++] = static_cast<std::uint8_t>(note); };
  if (exportState.moveEmptyPadsToEnd != 1) {
    for (int note = 0; note < kNoteCount; ++note) add(note);
    return order;
  }
  for (int pad = 0; pad < kPadCount; ++pad)
    if (PadIsNamed(pad)) add(pad + kFirstPadNote);
  for (int pad = 0; pad < kPadCount; ++pad)
    if (!PadIsNamed(pad)) add(pad + kFirstPadNote);
  for (int note = 0; note < kFirstPadNote; ++note) add(note);
  for (int note = kFirstPadNote + kPadCount; note < kNoteCount; ++note) add(note);
  return order;
}

std::array<std::uint8_t, 128> BinaryNotePositions() {
  std::array<std::uint8_t, 128> positions{};
  for (int note = 0; note < kNoteCount; ++note) positions[note] = static_cast<std::uint8_t>(note);
  if (exportState.moveEmptyPadsToEnd != 1) return positions;

  int named = 0;
  for (int pad = 0; pad < kPadCount; ++pad)
    if (PadIsNamed(pad)) ++named;
  // Named pads take 0..N-1; a running counter from N serves notes 0-23, then
  // the empty pads, and reaches 120 exactly at note 120.
  int namedCounter = 0;
  int running = named;
  for (int note = 0; note < kFirstPadNote + kPadCount; ++note) {
    const bool namedPad = note >= kFirstPadNote && PadIsNamed(note - kFirstPadNote);
    positions[note] = static_cast<std::uint8_t>(namedPad ? namedCounter++ : running++);
  }
  return positions;
}

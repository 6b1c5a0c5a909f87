#include "writers/general_midi_percussion.h"

#include "export/export_state.h"

namespace {

constexpr const char* kNames[] = {
    "Acoustic Bass Drum",  // 35
    "Bass Drum 1",
    "Side Stick",
    "Acoustic Snare",
    "Hand Clap",
    "Electric Snare",
    "Low Floor Tom",
    "Closed Hi-Hat",
    "High Floor Tom",
    "Pedal Hi-Hat",
    "Low Tom",
    "Open Hi-Hat",
    "Low-Mid Tom",
    "Hi-Mid Tom",
    "Crash Cymbal 1",
    "High Tom",
    "Ride Cymbal 1",
    "Chinese Cymbal",
    "Ride Bell",
    "Tambourine",
    "Splash Cymbal",
    "Cowbell",
    "Crash Cymbal 2",
    "Vibraslap",
    "Ride Cymbal 2",
    "Hi Bongo",
    "Low Bongo",
    "Mute Hi Conga",
    "Open Hi Conga",
    "Low Conga",
    "High Timbale",
    "Low Timbale",
    "High Agogo",
    "Low Agogo",
    "Cabasa",
    "Maracas",
    "Short Whistle",
    "Long Whistle",
    "Short Guiro",
    "Long Guiro",
    "Claves",
    "Hi Wood Block",
    "Low Wood Block",
    "Mute Cuica",
    "Open Cuica",
    "Mute Triangle",
    "Open Triangle",  // 81
};
static_assert(sizeof kNames / sizeof kNames[0] ==
                  kLastGeneralMidiPercussionNote - kFirstGeneralMidiPercussionNote + 1,
              "one name for each note from 35 to 81");

}  // namespace

const char* GeneralMidiPercussionName(int note) {
  if (note < kFirstGeneralMidiPercussionNote || note > kLastGeneralMidiPercussionNote) return nullptr;
  return kNames[note - kFirstGeneralMidiPercussionNote];
}

void FillEmptyPadsWithGeneralMidiNames() {
  for (int note = kFirstGeneralMidiPercussionNote; note <= kLastGeneralMidiPercussionNote; ++note) {
    const int pad = note - kFirstPadNote;
    if (exportState.padNames[pad][0] == '\0') SetPadName(pad, GeneralMidiPercussionName(note));
  }
}

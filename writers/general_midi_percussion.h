// The General MIDI percussion names of notes 35 to 81, for kits that leave
// pads on those notes empty.
#pragma once

constexpr int kFirstGeneralMidiPercussionNote = 35;
constexpr int kLastGeneralMidiPercussionNote = 81;

// The standard name of a General MIDI percussion note ("Acoustic Bass Drum"
// for 35 ... "Open Triangle" for 81); null for any other note.
const char* GeneralMidiPercussionName(int note);

// Gives every empty pad whose note is a General MIDI percussion note (pads
// 11 to 57) that note's name; named pads keep theirs. Nothing is filled
// unless this is called.
void FillEmptyPadsWithGeneralMidiNames();

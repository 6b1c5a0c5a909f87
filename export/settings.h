// The two settings that survive between runs: the default directory and the
// drum map format, under HKEY_LOCAL_MACHINE "Software\Ostrevane\Vemba\Config".
#pragma once

// Loads "drumMapPath" into `storedPath` and `directory` and "drumMapExMode"
// into `formatIndex`; creates missing values with their defaults, but only in
// a key that already existed.
void LoadSettings();

// Stores `directory` and `formatIndex`, again only into an existing key.
void SaveSettings();

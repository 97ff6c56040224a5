// Module-level state of the launcher module Brinefold_B, one copy per process:
// the in-memory settings, the hidden-cursor count and the shared utilities'
// values. Portable.
#pragma once

#include <cstdint>
#include <string>

// In-memory settings, filled by LoadSettings.
extern int16_t BgmKind;         // 0 none, 1 music CD, 2 MP3 or WAV file
extern int16_t BgmRepeatTrack;  // CD track to repeat, 0 for the whole disc
extern std::string BgmFile;     // full path of the music file, or empty
extern std::string BgmFolder;   // where the file chooser opens; never stored

// What ShowCursor returned when start-up hid the pointer (run switch only).
extern int32_t HiddenCursorCount;

// Result of the last platform call that stores one; read right after that call.
extern int32_t LastResult;

// Screen point the settings dialog zooms open from and closed to.
struct ZoomPointValue {
    int16_t x;
    int16_t y;
};
extern ZoomPointValue ZoomPoint;

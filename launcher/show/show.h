// The show form's portable half: what its handlers decide (which music, which
// timer runs, what is stopped at the end) and the bytes of the snapshot file.
// The Win32 half (launcher/show/show_win.cpp) owns the window, the timers,
// the screen copy and the file; after each handler it makes the real timers
// follow ShowTimers.
//
// Reads BgmKind and BgmFile (launcher/settings/settings.h); plays through
// Brinefold_BGM (launcher/music/bgm.h). Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Timer intervals of the show form, in milliseconds.
inline constexpr unsigned kMp3CheckInterval = 1000;     // Timer1
inline constexpr unsigned kCdCheckInterval = 200;       // Timer2
inline constexpr unsigned kRendererCheckInterval = 500; // Timer3

// Which of the form's timers are enabled. Timer3 runs from the moment the
// form exists; the music timers only when Form_Load starts CD or MP3 music.
struct ShowTimers {
    bool timer1 = false;  // MP3 repeat check
    bool timer2 = false;  // CD check
    bool timer3 = true;   // renderer-window watch
};

// The last three characters of the music file, upper-cased ("a.Mp3" ->
// "MP3"); fewer characters give what there is. A double-byte character
// counts as one and is left as it is.
std::string MusicFileType(const std::string& file);

// The music steps guard each music call (continue on error), so none of them
// throws: the show form calls them unguarded.

// Form_Load's music step, by BgmKind: a CD is opened and Timer2 enabled; a
// music file is played as WAV or MP3 (enabling Timer1 for MP3) by
// MusicFileType; anything else plays nothing.
void StartShowMusic(ShowTimers& timers);

// Timer2_Timer: one CD check; the CD timer then runs only while the checks
// meet no error.
void CdCheck(ShowTimers& timers);

// Timer1_Timer: one MP3 check.
void Mp3Check();

// Form_QueryUnload's music steps: stops the CD only while its check still
// runs, and the WAV or MP3 music file. Each step runs even if an earlier
// one failed.
void StopShowMusic(ShowTimers& timers);

// --- the snapshot file ------------------------------------------------------
//
// A Windows bitmap of 24 bits per pixel with the 40-byte information header,
// bottom row first, rows padded to four bytes: the layout of a bottom-up
// 24-bit DIB section, so the picture's bits are written as they are.

inline constexpr size_t kSnapshotHeaderBytes = 14 + 40;

// Bytes of one stored row of a picture this wide.
size_t SnapshotRowBytes(int32_t width);

// The file and information headers for a width x height picture; empty when
// the size is not positive or the file would not fit its 32-bit size field.
std::vector<uint8_t> SnapshotFileHeader(int32_t width, int32_t height);

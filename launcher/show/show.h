// The show form's portable half: what its handlers decide (the renderer's
// arguments, which music, which timer runs, what is stopped at the end). The Win32 half
// (launcher/show/show_win.cpp) owns the window, the timers, the screen copy
// and the snapshot file (its bytes: common/snapshot_file.h); after each
// handler it makes the real timers follow ShowTimers.
//
// Reads BgmKind and BgmFile (launcher/settings/settings.h); plays through
// Brinefold_BGM (launcher/music/bgm.h). Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Timer intervals of the show form, in milliseconds.
inline constexpr unsigned kMp3CheckInterval = 1000;      // Timer1
inline constexpr unsigned kCdCheckInterval = 200;        // Timer2
inline constexpr unsigned kRendererCheckInterval = 500;  // Timer3

// Which of the form's timers are enabled. Timer3 runs from the moment the
// form exists; the music timers only when Form_Load starts CD or MP3 music.
struct ShowTimers {
    bool timer1 = false;  // MP3 repeat check
    bool timer2 = false;  // CD check
    bool timer3 = true;   // renderer-window watch
};

// The renderer's arguments: the picture's path in quotes, then, when the user
// chose to keep the display's mode, the switch that says so.
std::wstring RendererArguments(const std::wstring& picture, bool keepResolution);

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

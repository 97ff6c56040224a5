// Module-level state of the launcher module Brinefold_B, one copy per process:
// the in-memory settings, the hidden-cursor count and the shared utilities'
// values, plus the module's portable utilities. Portable.
//
// The Windows-only procedures of the module are declared elsewhere:
// FileExists, ZoomOpen, ZoomClose in launcher/runtime/paths_win.h;
// GetIni, PutIni, LoadSettings in launcher/settings/settings.h; Main in
// launcher/main.cpp.
#pragma once

#include <cstdint>
#include <string>

// Fixed texts the launcher's parts share.
inline constexpr char kShowCaption[] = "Brinefold_Main";       // the show form, searched for at start-up
inline constexpr char kDialogCaption[] = "<Brinefold>";        // the settings dialog, likewise
inline constexpr char kRendererCaption[] = "Brinefold_VC";     // the renderer's window, watched by the show
inline constexpr char kRendererFile[] = "Brinefold.dll";       // beside the launcher

// In-memory settings, filled by LoadSettings.
extern int16_t BgmKind;         // 0 none, 1 music CD, 2 MP3 or WAV file
extern int16_t BgmRepeatTrack;  // CD track to repeat, 0 for the whole disc
extern std::string BgmFile;     // full path of the music file, or empty
extern std::string BgmFolder;   // where the file chooser opens; never stored

// What ShowCursor returned when start-up hid the pointer (run switch only).
extern int32_t HiddenCursorCount;

// The control panel's preview window, read from the command line (preview only).
extern int32_t PreviewHost;

// Result of the last platform call that stores one; read right after that call.
extern int32_t LastResult;

// Screen point the settings dialog zooms open from and closed to.
struct ZoomPointValue {
    int16_t x;
    int16_t y;
};
extern ZoomPointValue ZoomPoint;

// Folder part of a path: everything up to the last ":" or "\", without a
// final "\". "C:\music\song.mp3" -> "C:\music", "C:\song.mp3" -> "C:",
// "C:song.mp3" -> "C:", "song.mp3" -> "".
std::string FolderOf(const std::string& path);

// True when the text's last character is "\" (a trail byte that looks like
// one does not count).
bool EndsWithBackslash(const std::string& text);

// A file name placed in a folder: "C:\a" + "x" -> "C:\a\x". A folder that
// already ends in "\" (a drive root such as "C:\") gets no second one.
std::string InFolder(const std::string& folder, const std::string& name);

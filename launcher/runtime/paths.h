// Paths as the launcher handles them: narrow texts in the ANSI code page,
// "\" between folders, read character by character so that the trail byte of
// a double-byte character is never taken for a "\". Portable; whether a file
// exists and the program's own folder are Win32 (launcher/runtime/paths_win.h).
#pragma once

#include <string>

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

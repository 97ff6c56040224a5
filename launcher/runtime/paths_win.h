// The Win32 utilities of module Brinefold_B: the file existence test and the
// settings dialog's caption zooms.
#pragma once

#include <windows.h>

#include <string>

// True when the path names a file that can be opened for reading. A last "\"
// is dropped first; a folder, a missing or unreadable file and an empty path
// give false.
bool FileExists(const std::string& path);

// The caption zoom from ZoomPoint to the window's rectangle, and back.
void ZoomOpen(HWND window);
void ZoomClose(HWND window);

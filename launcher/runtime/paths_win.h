// Paths on Win32: whether a file can be opened, and the running program's own
// folder. The portable path helpers are launcher/runtime/paths.h.
#pragma once

#include <string>

// True when the path names a file that can be opened for reading. A last "\"
// is dropped first; a folder, a missing or unreadable file and an empty path
// give false.
bool FileExists(const std::string& path);

// The folder of the running program, without a trailing "\" except for a
// drive root ("C:\"), as the A calls take it (its short name where the code
// page cannot write it); empty when it has no such name.
std::string ProgramFolder();

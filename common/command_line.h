// Reading a whole command line as the platform holds it, the same way in both
// programs: the launcher reads its screensaver switch from it, the renderer
// the snapshot path the launcher hands it. Portable; bytes, so it serves the
// ANSI and the UTF-8 forms alike (quotes and blanks are plain ASCII).
#pragma once

#include <string>
#include <string_view>

// The argument part of a whole command line: the program's path (quoted, or
// up to the first blank) and the blanks after it are dropped; the rest is
// returned as it stands.
std::string ArgumentsOf(std::string_view commandLine);

// A single path argument: the text between the quotes when it starts with
// one (a missing closing quote takes the rest), else the text without the
// blanks around it. "" when there is none.
std::string PathArgument(std::string_view arguments);

// Whether the last argument is the switch `name` (ASCII, in any case) as a
// word of its own; when it is, `arguments` loses it and the blanks before it.
bool TakeLastSwitch(std::string& arguments, std::string_view name);

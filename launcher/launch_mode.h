// Reading the screensaver command line's arguments (common/command_line.h
// takes them off the whole line): the mode letter, the preview host and the
// mode that start-up picks from them. Portable.
//
//   command-line text          mode
//   /s  -S  /sx  xs            show, pointer hidden     (second character S)
//   (empty)                    show, pointer left alone
//   /p 1234  /p:1234           preview inside window 1234
//   /c  /c:1234                settings dialog (the handle is ignored)
//   anything else (/a, s, ...) nothing visible; the program ends
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The second character of the command-line text, upper-cased; empty when the
// text is shorter than two characters. The first character (the switch's "/"
// or "-") is never looked at, nor anything after the second.
std::string ModeLetter(std::string_view commandText);

// The preview host's window handle: the leading number of the text from its
// fourth character on (so "/p 1234" and "/p:1234" both give 1234), rounded to
// the nearest 32-bit integer; no number, or one out of the 32-bit range,
// gives 0.
int32_t ReadPreviewHost(std::string_view commandText);

enum class LaunchMode {
    ShowHidingPointer,  // ModeLetter "S"
    Show,               // empty command line
    Preview,            // ModeLetter "P"
    Settings,           // ModeLetter "C"
    None,               // anything else: end after the common start-up steps
};

LaunchMode ModeOf(std::string_view commandText);

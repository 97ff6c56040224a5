// The command line of `brinefold`, the X11 screensaver hack, read the way
// xscreensaver's hacks read theirs: one or two leading dashes, a separate
// argument after the options that take one.
//
// Does: the switches, where to draw (own window, root, a given window), where
// the floor picture comes from, the frame period, and the toolkit's options
// every stock hack takes (-display, -geometry, -visual, -fps/-no-fps). Does
// not: talk to X, read files, or print anything (the caller prints the error
// and usage).
// Portable: no platform headers.
#pragma once

#include <string>

// Frames start this many microseconds apart by default: 60 a second, one
// water step each (the clock, not the frame rate, moves the water).
inline constexpr long kDefaultDelayMicros = 1'000'000 / 60;

enum class HackTarget {
    OwnWindow,    // a window of its own (by hand, and with -window)
    Root,         // the root window (-root when no host window is given)
    GivenWindow,  // a window another program made (-window-id, XSCREENSAVER_WINDOW)
};

enum class FloorSource {
    ImageFile,     // -image FILE
    Xscreensaver,  // xscreensaver-getimage: what the user's image settings allow
    RootGrab,      // the root window as it is, taken before our window is mapped
};

struct HackOptions {
    HackTarget target = HackTarget::OwnWindow;
    unsigned long windowId = 0;  // GivenWindow only
    FloorSource floor = FloorSource::RootGrab;
    long delayMicros = kDefaultDelayMicros;
    bool showFps = false;
    std::string musicFile;  // empty: no music (always with -window-id)
    std::string imageFile;  // ImageFile only
    std::string display;    // -display NAME; empty: $DISPLAY
    std::string geometry;   // -geometry WxH+X+Y of our own window, as XParseGeometry reads it
    bool help = false;      // -help: print the usage and end
};

struct ParsedOptions {
    bool ok = false;
    HackOptions options;
    std::string error;  // when !ok: what was wrong, for one line on stderr
};

// argv[0] is the program. `hostWindow` is $XSCREENSAVER_WINDOW or nullptr:
// when it names a window, the hack draws there unless -window or -window-id
// says otherwise. In a window it was given, by either route, the floor comes
// from xscreensaver's image helper: the daemon, its settings dialog and
// screen lockers hand their window over, and what lies on the screen then
// (the dialog, a locked session's desktop) is not ours to show.
ParsedOptions ParseHackOptions(int argc, const char* const* argv, const char* hostWindow);

// The options as the usage text lists them.
extern const char kHackUsage[];

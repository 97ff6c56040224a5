// Where the hack's floor picture comes from on X11: the screen as it is, or
// the picture xscreensaver hands over. Each gives the bitmap file of
// linux/floor_picture.h, or nothing when it fails (the caller then lays the
// generated floor).
#pragma once

#include <X11/Xlib.h>

#include <csignal>
#include <cstdint>
#include <vector>

// The root window as it is now: run by hand, before the hack's own window
// is mapped over it.
std::vector<uint8_t> GrabRootWindow(Display* display);

// The picture xscreensaver's image helper (xscreensaver-getimage) draws for
// `window`: the screen the daemon saved before it blanked, or whatever the
// user's image settings choose instead. Waits at most a few seconds, and
// gives up at once when `quit` becomes non-zero.
std::vector<uint8_t> GrabFromXscreensaver(Display* display, Window window, const volatile sig_atomic_t& quit);

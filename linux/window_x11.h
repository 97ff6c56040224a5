// The hack's X11 + GLX frame: the window it draws into (its own, the root,
// or one a host gave it), the OpenGL context on it, the events that matter
// to the show, the buffer swap and the -fps text.
//
// Does: open and close all of that, keep the scene's viewport on the
// window's size (ResizeScene). Does not: load the floor, draw the scene or
// keep time (linux/main.cpp does).
#pragma once

#include <X11/Xlib.h>

#include <string>

#include "linux/hack_options.h"

struct HackWindow {
    Display* display = nullptr;
    Window window = 0;
    bool ownWindow = false;  // made here (and destroyed at the end)
    int width = 0, height = 0;
    bool visible = true;  // false while our own window is unmapped (iconified)
    bool closed = false;  // q, Escape or Ctrl-C, a close request, or the window went away
    bool failed = false;  // an X error nobody expected (already said on stderr)
};

// Opens the display (-display, else $DISPLAY); false (with a line on
// stderr) when there is none. From here on an X error on our window or the
// host's means the window is gone (a clean end); any other is said on
// stderr and ends the show with `failed`.
bool OpenHackDisplay(HackWindow& w, const HackOptions& options);

// Around calls that may fail by design (a grab of a window that is not
// viewable, an id that names no window): their errors are expected, not
// failures. XSync on both sides; true from the end when one came.
void ExpectXErrors(Display* display);
bool EndExpectingXErrors(Display* display);

// The window the options ask for, a current OpenGL context on it and the
// scene's viewport set. Our own window is mapped here, so the screen must
// be grabbed before. False, with a line on stderr, when that cannot be had.
bool OpenHackWindow(HackWindow& w, const HackOptions& options);

// Handles every event waiting; resizes go to ResizeScene at once.
void HandleHackEvents(HackWindow& w);

// Waits up to `seconds` (0: not at all) for an X event or a quit signal;
// returns at once when events are already waiting. Quit signals are
// delivered only in here, so the loop comes here on every pass.
void WaitForHackEvents(HackWindow& w, double seconds);

// The frame-rate text in the lower left corner, over the frame just drawn;
// the scene's OpenGL state is left as it was.
void DrawFpsText(HackWindow& w, const std::string& text);

void ShowHackFrame(HackWindow& w);

// Releases the context and our window and closes the display; safe after a
// partial open.
void CloseHackWindow(HackWindow& w);

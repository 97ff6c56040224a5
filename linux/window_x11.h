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
    bool visible = true;         // false while our own window is unmapped (iconified)
    bool escapePressed = false;  // Escape in our own window
    bool closed = false;         // a close request, or the host's window went away
};

// Opens the display named by $DISPLAY; false (with a line on stderr) when
// there is none.
bool OpenHackDisplay(HackWindow& w);

// The window the options ask for, a current OpenGL context on it and the
// scene's viewport set. Our own window is mapped here, so the screen must
// be grabbed before. False, with a line on stderr, when that cannot be had.
bool OpenHackWindow(HackWindow& w, const HackOptions& options);

// Handles every event waiting; resizes go to ResizeScene at once.
void HandleHackEvents(HackWindow& w);

// Waits up to `micros` for an X event (or a signal); returns at once when
// events are already waiting.
void WaitForHackEvents(HackWindow& w, long micros);

// The frame-rate text in the lower left corner, over the frame just drawn;
// the scene's OpenGL state is left as it was.
void DrawFpsText(HackWindow& w, const std::string& text);

void ShowHackFrame(HackWindow& w);

// Releases the context and our window and closes the display; safe after a
// partial open.
void CloseHackWindow(HackWindow& w);

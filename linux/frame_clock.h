// The frame rate the hack shows with -fps. When frames are due, and the
// water's pace, are the renderer's (renderer/pacing.h).
// Portable: no platform headers; the caller reads the clock.
#pragma once

#include <string>

// The -fps overlay's figures, renewed once a second from the frames shown
// and the time spent working on them (not sleeping).
struct FpsMeter {
    double periodStart = -1.0;  // seconds; < 0 until the first frame
    int frames = 0;
    double busySeconds = 0.0;
    std::string text;  // "Load: 23.4%\nFPS: 59.9"; empty in the first second
};

// One shown frame at `now` (seconds on any steady clock) that kept the
// program busy for `busySeconds`.
void CountFrame(FpsMeter& meter, double now, double busySeconds);

// The hack's sense of time: how long to wait after a frame, and the frame
// rate shown by -fps. The water itself keeps no clock (one step per frame).
// Portable: no platform headers; the caller reads the clock.
#pragma once

#include <string>

// Frames start `delayMicros` apart: after a frame that took `spentMicros`
// to draw and show, the rest of the delay (never less than nothing). A
// delay of 0 draws flat out, as the Windows renderer does.
long SleepAfterFrame(long delayMicros, long spentMicros);

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

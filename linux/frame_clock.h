// The hack's sense of time: when the next frame is due, and the frame rate
// shown by -fps. The water keeps its own pace (renderer/pacing.h).
// Portable: no platform headers; the caller reads the clock.
#pragma once

#include <string>

// Seconds from `now` until the next frame: frames start `delaySeconds`
// apart (the last one at `lastStart`), and never before the water has a
// step due (`toNextStep`, from SecondsToNextStep), since a frame without one
// would draw the same picture again. So -delay 0 draws as often as the water
// moves, not flat out. Never negative.
double SecondsToNextFrame(double lastStart, double delaySeconds, double now, double toNextStep);

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

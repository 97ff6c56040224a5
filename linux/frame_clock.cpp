// Frame pacing and the frame-rate figures.
#include "linux/frame_clock.h"

#include <algorithm>
#include <cstdio>

double SecondsToNextFrame(double lastStart, double delaySeconds, double now, double toNextStep)
{
    // A clock that stepped back (lastStart ahead of now) waits no longer than the delay.
    const double sinceLast = std::max(0.0, now - lastStart);
    return std::max({0.0, delaySeconds - sinceLast, toNextStep});
}

void CountFrame(FpsMeter& meter, double now, double busySeconds)
{
    if (meter.periodStart < 0.0) {
        meter.periodStart = now;
        return;  // the first frame only starts the count
    }
    ++meter.frames;
    meter.busySeconds += busySeconds;
    const double elapsed = now - meter.periodStart;
    if (elapsed < 1.0)
        return;
    char text[64];
    std::snprintf(text, sizeof text, "Load: %.1f%%\nFPS: %.1f", std::min(100.0, 100.0 * meter.busySeconds / elapsed),
                  meter.frames / elapsed);
    meter.text = text;
    meter.periodStart = now;
    meter.frames = 0;
    meter.busySeconds = 0.0;
}

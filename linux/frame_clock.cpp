// The frame-rate figures.
#include "linux/frame_clock.h"

#include <algorithm>
#include <cstdio>

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

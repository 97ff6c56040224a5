// Steps by the clock: step n is due n/60 s after the first, give or take
// half a step, so that a display at about 60 Hz whose frames jitter around
// the step times still gets exactly one step a frame, never 0 then 2.
#include "renderer/pacing.h"

#include <algorithm>
#include <cmath>

#include "renderer/scene.h"
#include "renderer/water.h"

namespace {

constexpr double kSlackSteps = 0.5;

// The one place the turn is written: 0.2 degrees a step, in single precision.
void AdvanceTilt()
{
    tiltAngle = static_cast<float>(tiltAngle + 0.2);
}

// Steps owed at `now` since origin, the taken ones included.
long long StepsOwed(const Pacing& pacing, double now)
{
    return static_cast<long long>(std::floor((now - pacing.origin) * kWaterStepsPerSecond + kSlackSteps)) + 1;
}

}  // namespace

int TakeDueSteps(Pacing& pacing, double now)
{
    if (!pacing.started) {
        pacing.started = true;
        pacing.origin = now;
        pacing.stepsTaken = 1;
        pacing.nextFrame = now + pacing.framePeriod;
        return 1;
    }
    const long long due = StepsOwed(pacing, now) - pacing.stepsTaken;
    if (due <= 0)
        return 0;  // early, or the clock stood still
    const bool onGrid = now - pacing.nextFrame < pacing.framePeriod;
    pacing.nextFrame = (onGrid ? pacing.nextFrame : now) + pacing.framePeriod;
    if (due > kMaxStepsPerFrame) {
        // Fallen behind: what cannot be run is dropped, and the steps after
        // these are due from now on.
        pacing.stepsTaken += kMaxStepsPerFrame;
        pacing.origin = now - static_cast<double>(pacing.stepsTaken - 1) / kWaterStepsPerSecond;
        return kMaxStepsPerFrame;
    }
    pacing.stepsTaken += due;
    return static_cast<int>(due);
}

double SecondsToNextStep(const Pacing& pacing, double now)
{
    if (!pacing.started)
        return 0.0;
    const double dueAt = pacing.origin + (static_cast<double>(pacing.stepsTaken) - kSlackSteps) / kWaterStepsPerSecond;
    return dueAt > now ? dueAt - now : 0.0;
}

double RefreshPeriod(int hertz)
{
    return 1.0 / (hertz > 1 ? hertz : 60);
}

double SecondsToNextFrame(const Pacing& pacing, double now)
{
    if (!pacing.started)
        return 0.0;
    // A clock that stepped back waits no longer than a period for the grid.
    return std::max(SecondsToNextStep(pacing, now), std::min(pacing.nextFrame - now, pacing.framePeriod));
}

void RunStepsUndrawn(int steps)
{
    for (int i = 0; i < steps; ++i) {
        AdvanceWater();
        AdvanceTilt();
    }
}

bool DrawDueFrame(Pacing& pacing, double now)
{
    const int steps = TakeDueSteps(pacing, now);
    if (steps == 0)
        return false;
    RunStepsUndrawn(steps - 1);
    DrawFrame();  // the last step's water, drawn at the tilt it had
    AdvanceTilt();
    return true;
}

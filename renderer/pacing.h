// The show's pace: time, not frames, moves the water. 60 water steps a
// second by the caller's monotonic clock, each with 0.2 degrees of tilt, so
// the water and the turn look the same on a 50 Hz panel, a 144 Hz one and a
// GPU that swaps as fast as it can. At exactly 60 frames a second every
// frame takes one step, as the show always has.
//
// Does: which steps are due, the steps themselves and the frame drawn after
// them, and when a loop draws its next frame. Does not: read the clock,
// wait, or swap buffers (the program frame does, the Windows renderer and
// the Linux hack alike).
// Portable: no platform headers.
#pragma once

constexpr double kWaterStepsPerSecond = 60.0;
// A frame never runs more: on a machine too slow for 15 frames a second, or
// after a stall, the water slows down instead of racing to catch up.
constexpr int kMaxStepsPerFrame = 4;

struct Pacing {
    // Seconds from one frame's start to the next where nothing else keeps
    // the pace: the display's refresh without vsync, the hack's -delay. 0:
    // a frame whenever a step is due (vsync waits for the display).
    double framePeriod = 0.0;
    bool started = false;
    double origin = 0.0;       // seconds: when the first step was taken
    long long stepsTaken = 0;  // since origin
    double nextFrame = 0.0;    // seconds: where the next frame starts on the grid
};

// The steps due at `now` (seconds on a monotonic clock), 0 to
// kMaxStepsPerFrame, counted as taken. The first call takes one step. With
// any, a frame starts at `now`, and the next one framePeriod after this
// one's place on the grid, not after `now`: a late wake-up does not make
// every later frame late, so at -delay 16666 each frame keeps to one step.
// A frame more than a period late starts the grid anew.
int TakeDueSteps(Pacing& pacing, double now);
// How long from `now` until TakeDueSteps has a step again; 0 when it has one.
double SecondsToNextStep(const Pacing& pacing, double now);

// The steps due at `now`, then the frame drawn with the last step's water
// and the tilt it had before that step (the scene's DrawFrame). False, with
// nothing drawn or changed, while no step is due.
bool DrawDueFrame(Pacing& pacing, double now);
// Steps of the water and the tilt with nothing drawn, as a frame runs those
// before its last; also for a picture made ahead, such as the preview.
void RunStepsUndrawn(int steps);

// The refresh period of a display that reports `hertz` (Windows' VREFRESH);
// 0 and 1 mean the hardware's default, taken as 60 Hz.
double RefreshPeriod(int hertz);
// How long from `now` until the next frame: until a step is due (a frame
// without one would draw the same picture again) and the frame's place on
// the grid has come. 0: draw now (DrawDueFrame).
double SecondsToNextFrame(const Pacing& pacing, double now);

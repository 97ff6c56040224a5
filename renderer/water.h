// The water surface: a damped height field on a regular grid, one step per
// drawn frame, with rain drops from the runtime-identical random generator.
// Portable: no platform headers.
//
// Does: the compiled-in settings, the two-layer grid in static storage, rain,
// the two-pass ripple step. Does not: draw anything (the scene reads
// `waterGrid.surface`), allocate, or keep any clock.
#pragma once

#include <cstdint>

struct RippleSettings {
    int32_t pointsX;        // grid points along x (index i)
    int32_t pointsZ;        // grid points along z (index j)
    float dropDepth;        // downward velocity a drop gives
    float damping;          // velocity factor per step
    int32_t dropsPerFrame;  // rain attempts per frame
};

struct GridPoint {
    float x, y, z;
};

constexpr int kGridCapacity = 256;

// Two layers addressed [i][j]; only y of the velocity layer is used.
struct WaterGrid {
    GridPoint surface[kGridCapacity][kGridCapacity];
    GridPoint velocity[kGridCapacity][kGridCapacity];
};

extern RippleSettings rippleSettings;
extern WaterGrid waterGrid;

// A surface of its own beside waterGrid, for a program that shows water on
// several monitors: its grid and its own rain.
struct WaterState {
    WaterGrid grid;
    uint32_t randomState;  // the rain's generator; a seed other than 1 rains elsewhere
};

// Exchanges the surface the functions below work on (waterGrid and the
// rain's generator) with `other`: a program steps several surfaces in turn.
void SwapWater(WaterState& other);

// Sets the fixed simulation values; first thing at start-up.
void InitRippleSettings();
// Lays out both layers flat at height 0; once, before the first frame.
void InitWaterGrid();
// One frame: rain, then the ripple step.
void AdvanceWater();
// A drop at (i, j): the velocity there becomes -dropDepth.
void Disturb(int32_t i, int32_t j);
// The damped wave step over the interior points.
void StepRipples();

// The next number, 0..32767, of the generator every run shares (the same
// sequence as the Microsoft runtime's rand seeded with 1).
int32_t WaterRandom();

// Tests only: puts the generator back to its start-up state so a test can
// replay a run from its first frame. The program never calls it.
void ResetWaterRandomForTesting();

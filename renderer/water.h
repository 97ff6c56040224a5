// The water surface: a damped height field on a regular grid, one step per
// drawn frame, with rain drops from the runtime-identical random generator.
// Portable: no platform headers.
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

void InitRippleSettings();
void InitWaterGrid();
void AdvanceWater();
void Disturb(int32_t i, int32_t j);
void StepRipples();

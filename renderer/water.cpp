// The water surface simulation. Heights and velocities are stored as single
// floats; every computation runs in double and is rounded exactly where a value
// is stored back, so the surface evolves identically on every build.
#include "renderer/water.h"

#include <algorithm>
#include <cmath>
#include <utility>

RippleSettings rippleSettings;
WaterGrid waterGrid;

namespace {

// The generator's 32-bit state; 1 at start-up and never reseeded.
uint32_t randomState = 1;

// Pre-step heights of three neighbouring rows (i-1, i, i+1), widened once per
// row instead of once per read: each height is read by seven points.
double heightRows[3][kGridCapacity];

// Grid dimensions clamped to the storage, so odd settings can never index
// outside the static layers.
int UsedPointsX()
{
    return std::clamp<int32_t>(rippleSettings.pointsX, 0, kGridCapacity);
}
int UsedPointsZ()
{
    return std::clamp<int32_t>(rippleSettings.pointsZ, 0, kGridCapacity);
}

void LoadHeights(int i, double* __restrict row, int nz)
{
    const GridPoint* surface = waterGrid.surface[i];
    for (int j = 0; j < nz; ++j)
        row[j] = surface[j].y;
}

// Both passes for row i. Pass 1 of the rows still to come reads row i's
// pre-step heights from `cur`, so updating row i in the grid right away gives
// exactly the two-complete-passes result.
void StepRow(int i, const double* __restrict prev, const double* __restrict cur, const double* __restrict next, int nz,
             float damping)
{
    GridPoint* __restrict surface = waterGrid.surface[i];
    GridPoint* __restrict velocity = waterGrid.velocity[i];
    for (int j = 1; j < nz - 1; ++j) {
        const double h = cur[j];
        // The hexagonal neighbourhood, summed in this order.
        const double avg = (cur[j - 1] + cur[j + 1] + prev[j - 1] + prev[j] + next[j] + next[j + 1]) / 6.0;
        float v = static_cast<float>(velocity[j].y - (h - avg));
        // A pull of constant size towards zero; -0 counts as negative.
        v = static_cast<float>(v - std::copysign(0.001, h));
        // Both operands are floats here, and double carries more than twice
        // float's precision, so rounding the double result to float equals
        // the float operation; in float the compiler packs twice the lanes.
        v = v * damping;
        velocity[j].y = v;
        surface[j].y = static_cast<float>(h) + v;
    }
}

}  // namespace

int32_t WaterRandom()
{
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int32_t>((randomState >> 16) & 0x7FFF);
}

void SwapWater(WaterState& other)
{
    // Only the points in use: the rest of either grid is never read.
    const int nx = UsedPointsX();
    const int nz = UsedPointsZ();
    for (int i = 0; i < nx; ++i) {
        std::swap_ranges(waterGrid.surface[i], waterGrid.surface[i] + nz, other.grid.surface[i]);
        std::swap_ranges(waterGrid.velocity[i], waterGrid.velocity[i] + nz, other.grid.velocity[i]);
    }
    std::swap(randomState, other.randomState);
}

void ResetWaterRandomForTesting()
{
    randomState = 1;
}

void InitRippleSettings()
{
    rippleSettings.pointsX = 151;
    rippleSettings.pointsZ = 151;
    rippleSettings.dropDepth = 2.0f;
    rippleSettings.damping = static_cast<float>(1.0 - 0.01);
    rippleSettings.dropsPerFrame = 1;
}

void InitWaterGrid()
{
    const int nx = UsedPointsX();
    const int nz = UsedPointsZ();
    if (nx == 0 || nz == 0)
        return;
    // The divisor is the number of points, so the grid stops short of the
    // floor's far edges (x 30, z 15).
    const float stepX = static_cast<float>(60.0 / rippleSettings.pointsX);
    const float stepZ = static_cast<float>(50.0 / rippleSettings.pointsZ);
    for (int j = 0; j < nz; ++j) {
        for (int i = 0; i < nx; ++i) {
            const GridPoint p = {static_cast<float>(i * static_cast<double>(stepX) - 30.0), 0.0f,
                                 static_cast<float>(j * static_cast<double>(stepZ) - 35.0)};
            waterGrid.surface[i][j] = p;
            waterGrid.velocity[i][j] = p;
        }
    }
}

void Disturb(int32_t i, int32_t j)
{
    // The rain only asks for points of the grid; anything else would write
    // outside the layers, so it is ignored.
    if (i < 0 || i >= UsedPointsX() || j < 0 || j >= UsedPointsZ())
        return;
    waterGrid.velocity[i][j].y = -rippleSettings.dropDepth;
}

void StepRipples()
{
    const int nx = UsedPointsX();
    const int nz = UsedPointsZ();
    if (nx < 3 || nz < 3)
        return;
    const float damping = rippleSettings.damping;
    double* prev = heightRows[0];
    double* cur = heightRows[1];
    double* next = heightRows[2];
    LoadHeights(0, prev, nz);
    LoadHeights(1, cur, nz);
    for (int i = 1; i < nx - 1; ++i) {
        LoadHeights(i + 1, next, nz);
        StepRow(i, prev, cur, next, nz, damping);
        double* spare = prev;
        prev = cur;
        cur = next;
        next = spare;
    }
}

void AdvanceWater()
{
    for (int32_t k = 0; k < rippleSettings.dropsPerFrame; ++k) {
        if (WaterRandom() % 2 != 0)
            continue;  // an odd number makes no drop
        // i is drawn first; both land in 1 .. points - 1.
        const int32_t i = WaterRandom() % (rippleSettings.pointsX - 1) + 1;
        const int32_t j = WaterRandom() % (rippleSettings.pointsZ - 1) + 1;
        Disturb(i, j);
    }
    StepRipples();
}

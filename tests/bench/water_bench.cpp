// One frame of the water: what every drawn frame of the renderer pays before
// it draws. The plain two-pass rules are measured alongside for comparison.
#include <benchmark/benchmark.h>

#include "renderer/water.h"
#include "tests/unit/water_reference.h"

namespace {

// A surface some way into a run, with ripples spread over it.
void RunningSurface()
{
    InitRippleSettings();
    ResetWaterRandomForTesting();
    InitWaterGrid();
    for (int k = 0; k < 500; ++k)
        AdvanceWater();
}

void BM_AdvanceWater(benchmark::State& state)
{
    RunningSurface();
    for (auto _ : state) {
        AdvanceWater();
        benchmark::DoNotOptimize(waterGrid.surface[75][75].y);
    }
}
BENCHMARK(BM_AdvanceWater);

void BM_StepRipples_PlainRules(benchmark::State& state)
{
    RunningSurface();
    static WaterGrid grid;
    grid = waterGrid;
    for (auto _ : state) {
        reference::StepRipples(grid, rippleSettings);
        benchmark::DoNotOptimize(grid.surface[75][75].y);
    }
}
BENCHMARK(BM_StepRipples_PlainRules);

}  // namespace

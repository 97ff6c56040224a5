// What a frame costs: DrawFrame at 1024x768 offscreen on Mesa's software
// rasteriser (water step + floor + 22,500 water quads) over a whole turn of
// the tilt, split into the water step, handing the calls to GL and GL
// finishing the picture; and what loading a full-HD snapshot into the floor
// texture costs.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "renderer/pacing.h"
#include "renderer/scene.h"
#include "renderer/snapshot.h"
#include "renderer/water.h"
#include "tests/support/bmp_builder.h"
#include "tests/support/files.h"
#include "tests/unit/osmesa_surface.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A 24-bit bottom-up bitmap with some detail, so that the texture is not flat.
std::string WriteSnapshot(int width, int height)
{
    const fs::path path = fs::temp_directory_path() / ("bf_scene_bench_" + std::to_string(getpid()) + "_" +
                                                       std::to_string(width) + "x" + std::to_string(height) + ".bmp");
    WriteBytes(path.string(), bmp::Rgb24(width, height, [](int x, int y) {
                   return static_cast<uint32_t>((y / 4 & 0xFF) << 16 | (x / 8 & 0xFF) << 8 | ((x ^ y) & 0xFF));
               }));
    return path.string();
}

// The renderer's start-up on an offscreen 1024x768 surface.
struct Scene {
    OsmesaSurface surface{1024, 768};
    std::string snapshot = WriteSnapshot(1024, 768);
    bool ready = false;

    Scene()
    {
        floorSnapshotPath = snapshot.c_str();
        InitRippleSettings();
        ResizeScene(1024, 768);
        ready = surface.current() && InitGlState();
        InitWaterGrid();
        eyePosition[0] = 0.0f;
        eyePosition[1] = 10.0f;
        eyePosition[2] = 50.0f;
        tiltAngle = 100.0f;
    }
    ~Scene()
    {
        floorSnapshotPath = SnapshotPath;
        std::remove(snapshot.c_str());
    }
};

// Frames as the program's loop makes them at 60 frames a second: a step and
// the drawing, then the picture finished (the swap). A frame's cost depends on the tilt (how
// much floor and water cover the screen), so one iteration is a whole turn,
// 1800 frames at 0.2 degrees each, with its mean and its worst frame (and the
// tilt that frame had). The first frames warm the rain up.
// Mesa frees and takes back megabytes every frame; whether glibc hands them to
// the system each time (and the frame faults them in again, 1.5 to 2 ms) turns
// on its thresholds, which move with the process's earlier allocations. So
// freed memory is kept, as the Linux hack keeps it (linux/main.cpp).
void BM_DrawFrameWholeTurn1024x768(benchmark::State& state)
{
    constexpr int kFramesPerTurn = 1800;
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    Scene scene;
    if (!scene.ready) {
        state.SkipWithError("no OSMesa context or no floor texture");
        return;
    }
    // One step a frame, as at 60 frames a second.
    Pacing pacing;
    long long frame = 0;
    const auto nextFrame = [&] { return static_cast<double>(frame++) / kWaterStepsPerSecond; };
    for (int k = 0; k < 30; ++k) {
        DrawDueFrame(pacing, nextFrame());
        glFinish();
    }
    double submitted = 0.0, finished = 0.0, worst = 0.0, worstTilt = 0.0;
    for (auto _ : state) {
        for (int k = 0; k < kFramesPerTurn; ++k) {
            const double tilt = tiltAngle;
            const auto start = Clock::now();
            DrawDueFrame(pacing, nextFrame());
            const auto drawn = Clock::now();
            glFinish();
            const auto done = Clock::now();
            const double calls = std::chrono::duration<double, std::milli>(drawn - start).count();
            const double finish = std::chrono::duration<double, std::milli>(done - drawn).count();
            submitted += calls;
            finished += finish;
            if (calls + finish > worst) {
                worst = calls + finish;
                worstTilt = std::fmod(tilt, 360.0);
            }
        }
    }
    const double frames = static_cast<double>(state.iterations()) * kFramesPerTurn;
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["mean_ms"] = (submitted + finished) / frames;
    state.counters["worst_ms"] = worst;
    state.counters["worst_tilt"] = worstTilt;
    // Water step + GL calls on this thread, then the rasteriser finishing.
    state.counters["calls_ms"] = submitted / frames;
    state.counters["finish_ms"] = finished / frames;
}
BENCHMARK(BM_DrawFrameWholeTurn1024x768)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// The water step alone, from the same warmed-up state: DrawFrame minus this
// is the drawing.
void BM_WaterStepOfAFrame(benchmark::State& state)
{
    InitRippleSettings();
    InitWaterGrid();
    for (int k = 0; k < 30; ++k)
        AdvanceWater();
    for (auto _ : state) {
        AdvanceWater();
        benchmark::DoNotOptimize(waterGrid.surface[75][75].y);
    }
}
BENCHMARK(BM_WaterStepOfAFrame)->Unit(benchmark::kMillisecond);

// Start-up: decoding a full-HD snapshot, GLU scaling it to 2048x1024 and
// building the mipmap levels.
void BM_LoadFloorTexture1920x1080(benchmark::State& state)
{
    OsmesaSurface surface(64, 64);
    const std::string snapshot = WriteSnapshot(1920, 1080);
    floorSnapshotPath = snapshot.c_str();
    for (auto _ : state) {
        if (!LoadFloorTexture()) {
            state.SkipWithError("LoadFloorTexture failed");
            break;
        }
        glFinish();
        state.PauseTiming();
        glDeleteTextures(1, &floorTexture);
        floorTexture = 0;
        state.ResumeTiming();
    }
    floorSnapshotPath = SnapshotPath;
    std::remove(snapshot.c_str());
}
BENCHMARK(BM_LoadFloorTexture1920x1080)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

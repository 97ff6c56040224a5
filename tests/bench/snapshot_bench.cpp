// Decoding a full-screen snapshot: a 1920 x 1080 24-bit file (what the
// launcher saves on a common screen) and a 3840 x 2160 32-bit one. Bytes per
// second count the red-green-blue output.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "renderer/snapshot_decode.h"
#include "tests/support/bmp_builder.h"

namespace {

std::vector<uint8_t> ScreenFile(int32_t width, int32_t height, uint16_t bitCount)
{
    bmp::Spec s;
    s.width = width;
    s.height = height;
    s.bitCount = bitCount;
    const size_t stride = (size_t(width) * bitCount + 31) / 32 * 4;
    s.bits.resize(stride * size_t(height));
    uint32_t seed = 12345;
    for (uint8_t& b : s.bits) {
        seed = seed * 1103515245 + 12345;
        b = uint8_t(seed >> 16);
    }
    return bmp::Build(s);
}

// The conversion alone, into a buffer that stays.
void Decode(benchmark::State& state, int32_t width, int32_t height, uint16_t bitCount)
{
    const std::vector<uint8_t> file = ScreenFile(width, height, bitCount);
    DibLayout layout;
    if (ParseDib(file.data(), file.size(), &layout) != DibStatus::Ok) {
        state.SkipWithError("the file does not parse");
        return;
    }
    std::vector<uint8_t> rgb(DibOutputBytes(layout));
    for (auto _ : state) {
        DecodeDib(layout, rgb.data());
        benchmark::DoNotOptimize(rgb.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(rgb.size()));
}

// What the renderer's start-up pays once the file is mapped: parse, a fresh
// output buffer, decode, the record.
void Convert(benchmark::State& state, int32_t width, int32_t height, uint16_t bitCount)
{
    const std::vector<uint8_t> file = ScreenFile(width, height, bitCount);
    size_t bytes = 0;
    for (auto _ : state) {
        RgbImage* image = ConvertDibImage(file.data(), file.size(), [](const char*) { std::abort(); });
        bytes = size_t(image->width) * size_t(image->height) * 3;
        benchmark::DoNotOptimize(image->pixels);
        std::free(image->pixels);
        std::free(image);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

BENCHMARK_CAPTURE(Decode, Screen1920x1080x24, 1920, 1080, 24)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, Screen3840x2160x32, 3840, 2160, 32)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, Screen1920x1080x24, 1920, 1080, 24)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Convert, Screen3840x2160x32, 3840, 2160, 32)->Unit(benchmark::kMillisecond);

}  // namespace

// A deliberately plain transcription of the water rules (two complete passes,
// every height widened where it is read), used to prove the optimised step in
// renderer/water.cpp bit-identical and to measure what the optimisation gains.
#pragma once

#include <cmath>
#include <cstdint>

#include "renderer/water.h"

namespace reference {

inline int32_t Random(uint32_t& state)
{
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & 0x7FFF);
}

inline void StepRipples(WaterGrid& g, const RippleSettings& s)
{
    for (int i = 1; i <= s.pointsX - 2; ++i) {
        for (int j = 1; j <= s.pointsZ - 2; ++j) {
            const double avg =
                (static_cast<double>(g.surface[i][j - 1].y) + g.surface[i][j + 1].y + g.surface[i - 1][j - 1].y +
                 g.surface[i - 1][j].y + g.surface[i + 1][j].y + g.surface[i + 1][j + 1].y) /
                6;
            g.velocity[i][j].y =
                static_cast<float>(g.velocity[i][j].y - (static_cast<double>(g.surface[i][j].y) - avg));
        }
    }
    for (int i = 1; i <= s.pointsX - 2; ++i) {
        for (int j = 1; j <= s.pointsZ - 2; ++j) {
            float& h = g.surface[i][j].y;
            float& v = g.velocity[i][j].y;
            v = static_cast<float>(v - std::copysign(0.001, static_cast<double>(h)));
            v = static_cast<float>(static_cast<double>(v) * s.damping);
            h = static_cast<float>(static_cast<double>(h) + v);
        }
    }
}

inline void AdvanceWater(WaterGrid& g, const RippleSettings& s, uint32_t& state)
{
    for (int k = 0; k < s.dropsPerFrame; ++k) {
        if (Random(state) % 2 == 0) {
            const int i = Random(state) % (s.pointsX - 1) + 1;
            const int j = Random(state) % (s.pointsZ - 1) + 1;
            g.velocity[i][j].y = -s.dropDepth;
        }
    }
    StepRipples(g, s);
}

}  // namespace reference

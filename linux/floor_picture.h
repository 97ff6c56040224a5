// The floor picture of the hack, as the bitmap file the renderer's snapshot
// reader takes: the screen an X server handed over, or a generated floor
// when there is none. Both are written like the Windows launcher's snapshot
// (24 bits, bottom row first; common/snapshot_file.h), so the water lies
// over the same picture, decoded by the same reader, on both systems.
// Portable: no platform headers; the X11 side fills ScreenPixels.
#pragma once

#include <cstdint>
#include <vector>

// Pixels as an X server hands them over in an image of the Z format: rows
// top first, `bytesPerLine` apart, each pixel `bitsPerPixel` wide (16, 24 or
// 32) in the server's byte order, with the colours where the masks say.
struct ScreenPixels {
    int width = 0;
    int height = 0;
    int bytesPerLine = 0;
    int bitsPerPixel = 0;
    bool mostSignificantFirst = false;  // the image's byte order
    uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    const uint8_t* data = nullptr;
};

// The bitmap file of those pixels; empty when the layout is none of the
// above (a palette screen, a mask of no bits, rows shorter than the width).
std::vector<uint8_t> SnapshotFromScreen(const ScreenPixels& screen);

// A plain floor for when no picture can be had: pale pool tiles with dark
// joints, width x height (both at least 1).
std::vector<uint8_t> GeneratedFloor(int width, int height);

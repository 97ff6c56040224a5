// The snapshot reader: a Windows bitmap file into tightly packed RGB rows.
#pragma once

#include <cstdint>

// Allocated with malloc by the reader; the caller frees pixels, then the record.
struct RgbImage {
    int32_t width;
    int32_t height;   // as stored in the file
    uint8_t* pixels;  // width * height * 3 bytes, red-green-blue, bottom row first
};

extern const char SnapshotPath[];  // "c:\\velkor\\Brinefold.bmp"

// No image (nullptr) and no message when the file cannot be opened at all.
RgbImage* LoadSnapshotImage(const char* path);

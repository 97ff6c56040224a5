// A monitor's part of the desktop picture: with water on several monitors,
// each one's floor is the piece of the snapshot that lay under it.
// Portable: no platform headers.
#pragma once

#include <cstdint>

struct RgbImage;

// An area of a picture, in pixels from its top-left corner (as a screen counts).
struct PictureArea {
    int32_t left, top, width, height;
};

// The area as a picture of its own, allocated as the snapshot reader does
// (FreeRgbImage frees it); nullptr when the area is empty or does not lie
// wholly inside the picture.
RgbImage* CropRgbImage(const RgbImage& picture, PictureArea area);

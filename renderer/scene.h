// The scene: the desktop snapshot as a textured floor and the water surface
// as additively blended quads over it, seen from a fixed camera while the
// whole scene tilts about the x axis.
//
// Does: viewport and projection, the fixed OpenGL state, the floor texture,
// one frame (water step + drawing) into the current context's back buffer.
// Does not: own the window, the context, the loop or the buffer swap (the
// program frame does), nor check OpenGL errors.
//
// Portable OpenGL 1.1 + GLU: no platform headers here or in scene.cpp.
#pragma once

#include <cstdint>

struct RgbImage;

extern float eyePosition[3];       // camera position; (0, 10, 50)
extern float tiltAngle;            // degrees about x; grows 0.2 per water step, never wrapped
extern unsigned int floorTexture;  // GL texture name of the snapshot; 0 until loaded
// What the floor texture gives at texture coordinate (0, 0), red, green, blue
// in 0..1: the water's colours are multiplied by it. Set with the texture.
extern float floorTexelAtOrigin[3];

// The file LoadFloorTexture reads: SnapshotPath unless a test or a tool
// points it elsewhere.
extern const char* floorSnapshotPath;

// Viewport and a 45-degree perspective for a client area; height 0 counts as 1.
void ResizeScene(int32_t width, int32_t height);
// Floor texture first; only when it exists the fixed state is set.
bool InitGlState();
// The same with a floor picture already decoded (a grab held in memory, a
// picture drawn by a tool); false, with nothing set, for nullptr.
bool InitGlStateFrom(const RgbImage* floor);
// The snapshot into a mipmapped texture; false (and nothing made) without one.
bool LoadFloorTexture();
// A decoded picture into the mipmapped floor texture.
void MakeFloorTexture(const RgbImage& floor);

// The most texels the floor texture is given: 8192 x 2048, what GLU makes of
// a virtual screen of 7680 x 2160 (its power-of-two sides, rounded as GLU
// rounds them). A picture larger than that is reduced before the mipmap
// pyramid is built: at the pixel cap GLU and the driver would take about a
// gigabyte for detail no screen shows.
inline constexpr int64_t kLargestFloorTexels = int64_t{1} << 24;
struct PictureSize {
    int32_t width, height;
};
// The size a width x height picture is given before its texture is made: its
// own while GLU's power-of-two sizes for it hold at most kLargestFloorTexels
// texels, else those sizes halved together until they do.
PictureSize FloorPictureSize(int32_t width, int32_t height);
// A copy of the picture reduced to size (no side larger than the picture's),
// each pixel the mean of the pixels it covers; nullptr without the memory.
RgbImage* ReducedPicture(const RgbImage& picture, PictureSize size);
// Takes the picture: gives it back as it is, or, when FloorPictureSize says
// so, its reduced copy (the original freed). nullptr for nullptr.
RgbImage* FitForFloor(RgbImage* picture);
// The viewing transform from eyePosition towards (0, 0, -30).
void SetCamera();
// One water step, then the floor and the water into the back buffer. Always true.
bool DrawFrame();

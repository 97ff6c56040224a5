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
// The viewing transform from eyePosition towards (0, 0, -30).
void SetCamera();
// One water step, then the floor and the water into the back buffer. Always true.
bool DrawFrame();

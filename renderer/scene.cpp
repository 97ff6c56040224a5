// The scene: floor texture, fixed GL state, projection and the per-frame drawing.
#include "renderer/scene.h"

#include <algorithm>
#include <cstdlib>

#include "renderer/snapshot.h"
#include "renderer/water.h"

// HACK: MinGW's GL/gl.h pulls in <windows.h> unless these two are defined,
//       and GL/glu.h wants CALLBACK; the scene stays free of platform headers.
#if defined(_WIN32)
#ifndef APIENTRY
#define APIENTRY __stdcall
#endif
#ifndef WINGDIAPI
#define WINGDIAPI __declspec(dllimport)
#endif
#ifndef CALLBACK
#define CALLBACK __stdcall
#endif
#endif
#include <GL/gl.h>
#include <GL/glu.h>

float eyePosition[3] = {0.0f, 10.0f, 50.0f};
float tiltAngle = 100.0f;
unsigned int floorTexture = 0;
float floorTexelAtOrigin[3] = {1.0f, 1.0f, 1.0f};
const char* floorSnapshotPath = SnapshotPath;

namespace {

// One grid point as drawn, laid out for glInterleavedArrays(GL_C3F_V3F):
// colour (green equals red), then position.
struct WaterPoint {
    float red, green, blue;
    float x, y, z;
};

// Every grid point once per frame, point (i, j) at j * pointsX + i, so each
// point is handed over and transformed once instead of once per cell.
WaterPoint waterPoints[kGridCapacity * kGridCapacity];

// The cells' corners for one grid size: every cell once, row by row, corners
// (i, j), (i+1, j), (i+1, j+1), (i, j+1). 256 x 256 points still fit in 16-bit
// indices.
uint16_t cellCorners[(kGridCapacity - 1) * (kGridCapacity - 1) * 4];
int32_t cornersMadeForX = 0;
int32_t cornersMadeForZ = 0;

void MakeCellCorners(int32_t pointsX, int32_t pointsZ)
{
    uint16_t* corner = cellCorners;
    for (int32_t j = 0; j + 1 < pointsZ; ++j) {
        for (int32_t i = 0; i + 1 < pointsX; ++i) {
            const int32_t point = j * pointsX + i;
            *corner++ = static_cast<uint16_t>(point);
            *corner++ = static_cast<uint16_t>(point + 1);
            *corner++ = static_cast<uint16_t>(point + pointsX + 1);
            *corner++ = static_cast<uint16_t>(point + pointsX);
        }
    }
    cornersMadeForX = pointsX;
    cornersMadeForZ = pointsZ;
}

// A grid point's colour at height h: red and green, then blue. Not clamped
// here: the floor's tint goes to OpenGL as it is, and OpenGL clamps it.
float WaterRed(double h)
{
    return static_cast<float>(0.5 * h + 0.2);
}
float WaterBlue(double h)
{
    return static_cast<float>(0.5 * h + 0.6);
}

// The water is drawn untextured, in its colours times the floor's texel at
// (0, 0), which is what texturing would multiply them by; clamped first, as
// OpenGL clamps a colour before the texture modulates it.
void FillWaterPoints(int32_t pointsX, int32_t pointsZ)
{
    const float* t = floorTexelAtOrigin;
    for (int32_t i = 0; i < pointsX; ++i) {
        for (int32_t j = 0; j < pointsZ; ++j) {
            const GridPoint& p = waterGrid.surface[i][j];
            const float red = std::min(WaterRed(p.y), 1.0f), blue = std::min(WaterBlue(p.y), 1.0f);
            waterPoints[j * pointsX + i] = {red * t[0], red * t[1], blue * t[2], p.x, p.y, p.z};
        }
    }
}

// The floor quad: corners in order with their texture coordinates. No colour
// of its own: frame 1 shows it in GL's initial white, every later frame in the
// last water vertex's colour (a border point, always (0.2, 0.2, 0.6)).
void DrawFloor()
{
    glBindTexture(GL_TEXTURE_2D, floorTexture);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-30.0f, -4.0f, -35.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(30.0f, -4.0f, -35.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(30.0f, -4.0f, 15.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-30.0f, -4.0f, 15.0f);
    glEnd();
}

// Every cell a quad, all in one indexed call, untextured (FillWaterPoints).
void DrawWater()
{
    const int32_t pointsX = std::clamp<int32_t>(rippleSettings.pointsX, 0, kGridCapacity);
    const int32_t pointsZ = std::clamp<int32_t>(rippleSettings.pointsZ, 0, kGridCapacity);
    if (pointsX < 2 || pointsZ < 2) {
        return;
    }
    if (pointsX != cornersMadeForX || pointsZ != cornersMadeForZ) {
        MakeCellCorners(pointsX, pointsZ);
    }
    FillWaterPoints(pointsX, pointsZ);
    glDisable(GL_TEXTURE_2D);
    glInterleavedArrays(GL_C3F_V3F, 0, waterPoints);
    glDrawElements(GL_QUADS, (pointsX - 1) * (pointsZ - 1) * 4, GL_UNSIGNED_SHORT, cellCorners);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glEnable(GL_TEXTURE_2D);
    // A colour array leaves the current colour undefined; the floor of the
    // next frame is drawn in the last corner's, (i, j+1) of the last cell.
    const double h = waterGrid.surface[pointsX - 2][pointsZ - 1].y;
    glColor3f(WaterRed(h), WaterRed(h), WaterBlue(h));
}

}  // namespace

void ResizeScene(int32_t width, int32_t height)
{
    if (height == 0) {
        height = 1;
    }
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), 0.1, 200.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

namespace {

void SetFixedState()
{
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

}  // namespace

bool InitGlState()
{
    if (!LoadFloorTexture()) {
        return false;
    }
    SetFixedState();
    return true;
}

bool InitGlStateFrom(const RgbImage* floor)
{
    if (floor == nullptr) {
        return false;
    }
    MakeFloorTexture(*floor);
    SetFixedState();
    return true;
}

bool LoadFloorTexture()
{
    RgbImage* image = FitForFloor(LoadSnapshotImage(floorSnapshotPath));
    if (image == nullptr) {
        return false;
    }
    MakeFloorTexture(*image);
    FreeRgbImage(image);
    return true;
}

void MakeFloorTexture(const RgbImage& floor)
{
    glGenTextures(1, &floorTexture);
    glBindTexture(GL_TEXTURE_2D, floorTexture);
    // The rows are tightly packed. GL's default 4-byte row alignment would
    // shear any picture whose row is not a multiple of 4 bytes (a 1366-wide
    // screen) and read past the end of the buffer; restore the default after.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, floor.width, floor.height, GL_RGB, GL_UNSIGNED_BYTE, floor.pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // The texel at (0, 0): linear filtering under the default repeat blends
    // the four corner texels of level 0 evenly. GLU may have rescaled the
    // picture, so they are read back from the texture. Without a texture
    // (or the memory to read it) the water keeps its own colours, as an
    // incomplete texture leaves them.
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    const size_t row = size_t{3} * width, size = row * height;
    auto* level = size > 0 ? static_cast<uint8_t*>(std::malloc(size)) : nullptr;
    if (level != nullptr) {
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, level);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
    }
    for (int c = 0; c < 3; ++c) {
        const int sum =
            level == nullptr ? 4 * 255 : level[c] + level[row - 3 + c] + level[size - row + c] + level[size - 3 + c];
        floorTexelAtOrigin[c] = static_cast<float>(sum) / (4 * 255.0f);
    }
    std::free(level);
}

namespace {

// GLU's power of two for a side: the nearest, 3 x 2^k counting as 4 x 2^k.
int64_t GluPowerOfTwo(int64_t side)
{
    int64_t power = 1;
    for (; side > 1; side >>= 1) {
        if (side == 3)
            return power * 4;
        power *= 2;
    }
    return power;
}

}  // namespace

PictureSize FloorPictureSize(int32_t width, int32_t height)
{
    int64_t w = GluPowerOfTwo(width), h = GluPowerOfTwo(height);
    if (w * h <= kLargestFloorTexels)
        return {width, height};
    while (w * h > kLargestFloorTexels) {
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    return {static_cast<int32_t>(w), static_cast<int32_t>(h)};
}

RgbImage* ReducedPicture(const RgbImage& picture, PictureSize size)
{
    auto* out = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
    auto* pixels = static_cast<uint8_t*>(std::malloc(size_t{3} * size.width * size.height));
    if (out == nullptr || pixels == nullptr) {
        std::free(out);
        std::free(pixels);
        return nullptr;
    }
    *out = {size.width, size.height, pixels};
    // Each pixel covers the columns [x0, x1) and rows [y0, y1) of the picture.
    auto edge = [](int64_t i, int32_t from, int32_t to) { return static_cast<int32_t>(i * from / to); };
    for (int32_t y = 0; y < size.height; ++y) {
        const int32_t y0 = edge(y, picture.height, size.height), y1 = edge(y + 1, picture.height, size.height);
        for (int32_t x = 0; x < size.width; ++x) {
            const int32_t x0 = edge(x, picture.width, size.width), x1 = edge(x + 1, picture.width, size.width);
            uint64_t sum[3] = {0, 0, 0};
            for (int32_t v = y0; v < y1; ++v) {
                const uint8_t* p = picture.pixels + (size_t{3} * v * picture.width + size_t{3} * x0);
                for (int32_t u = x0; u < x1; ++u, p += 3) {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                }
            }
            const uint64_t count = uint64_t(y1 - y0) * uint64_t(x1 - x0);
            for (int c = 0; c < 3; ++c)
                *pixels++ = static_cast<uint8_t>((sum[c] + count / 2) / count);
        }
    }
    return out;
}

RgbImage* FitForFloor(RgbImage* picture)
{
    if (picture == nullptr)
        return nullptr;
    const PictureSize size = FloorPictureSize(picture->width, picture->height);
    if (size.width == picture->width && size.height == picture->height)
        return picture;
    RgbImage* reduced = ReducedPicture(*picture, size);
    if (reduced == nullptr)
        return picture;  // as before: the pyramid from the whole picture, if memory allows
    FreeRgbImage(picture);
    return reduced;
}

void SetCamera()
{
    gluLookAt(eyePosition[0], eyePosition[1], eyePosition[2], 0.0, 0.0, -30.0, 0.0, 1.0, 0.0);
}

bool DrawFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    SetCamera();

    // The heights drawn are those after this frame's step.
    AdvanceWater();

    glRotatef(tiltAngle, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, -2.0f, -10.0f);

    DrawFloor();

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    DrawWater();
    glDisable(GL_BLEND);
    return true;
}

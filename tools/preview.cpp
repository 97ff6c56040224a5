// The 152 x 112 preview of the water scene, drawn offscreen by the renderer's
// own scene code through OSMesa (Mesa's software rasteriser).
#include "tools/preview.h"

#include <GL/osmesa.h>

#include <string>
#include <vector>

#include "renderer/pacing.h"
#include "renderer/scene.h"
#include "renderer/snapshot.h"
#include "renderer/water.h"

namespace {

constexpr int kScale = 4;  // drawn at four times the size, then averaged down
// Frames of rain before the picture is taken: enough for a few rings to spread and cross while each stays distinct.
constexpr int kFrames = 90;

// The floor picture: black, so the ground stays black under the blue tint,
// with white corners, because the water is coloured by the texel at (0, 0),
// which blends the four corners. Decoded from memory by the renderer's reader.
RgbImage* FloorPicture()
{
    Image floor(256, 256, {0, 0, 0, 255});
    for (int y : {0, 255})
        for (int x : {0, 255})
            floor.at(x, y) = {255, 255, 255, 255};
    const std::vector<uint8_t> bytes = EncodeBmp24(floor);
    return ReadDibBytes(bytes.data(), bytes.size());
}

}  // namespace

bool DrawPreview(Image& out)
{
    const int w = kPreviewWidth * kScale, h = kPreviewHeight * kScale;
    std::vector<uint8_t> buffer(static_cast<size_t>(w * h * 4));
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr);
    if (!context)
        return false;
    bool ok = OSMesaMakeCurrent(context, buffer.data(), GL_UNSIGNED_BYTE, w, h);

    if (ok) {
        // Start-up as the renderer does it (the camera and the tilt start
        // where the scene declares them), then its loop without a window.
        InitRippleSettings();
        InitWaterGrid();
        ResizeScene(w, h);
        RgbImage* floor = FloorPicture();
        ok = InitGlStateFrom(floor);
        FreeRgbImage(floor);
    }
    if (ok) {
        // Only the last two frames need drawing: the floor takes the water's
        // tint from the second drawn frame on. They come one step apart.
        RunStepsUndrawn(kFrames - 2);
        Pacing pacing;
        DrawDueFrame(pacing, 0.0);
        DrawDueFrame(pacing, 1.0 / kWaterStepsPerSecond);
        glFinish();
        out = Image(kPreviewWidth, kPreviewHeight);
        for (int y = 0; y < kPreviewHeight; ++y)
            for (int x = 0; x < kPreviewWidth; ++x) {
                int sum[3] = {0, 0, 0};
                for (int sy = 0; sy < kScale; ++sy)
                    for (int sx = 0; sx < kScale; ++sx) {
                        // GL rows run bottom up.
                        int gy = h - 1 - (y * kScale + sy);
                        const uint8_t* p = &buffer[static_cast<size_t>((gy * w + x * kScale + sx) * 4)];
                        for (int c = 0; c < 3; ++c)
                            sum[c] += p[c];
                    }
                const int n = kScale * kScale;
                out.at(x, y) = {static_cast<uint8_t>((sum[0] + n / 2) / n), static_cast<uint8_t>((sum[1] + n / 2) / n),
                                static_cast<uint8_t>((sum[2] + n / 2) / n), 255};
            }
    }
    OSMesaDestroyContext(context);
    return ok;
}

bool DrawPreviewFile(PictureFile& out)
{
    Image img;
    if (!DrawPreview(img))
        return false;
    out = {std::string(kPreviewFile), EncodeBmp24(img)};
    return true;
}

// An offscreen OpenGL surface for the scene's native tests and benchmarks:
// Mesa's software rasteriser through OSMesa, RGBA with a 16-bit depth buffer
// like the renderer's pixel format. The context is current while it lives.
#pragma once

#include <GL/osmesa.h>

#include <cstdint>
#include <vector>

class OsmesaSurface {
public:
    OsmesaSurface(int width, int height)
        : width_(width), height_(height), buffer_(static_cast<size_t>(width) * height * 4)
    {
        context_ = OSMesaCreateContextExt(OSMESA_RGBA, 16, 0, 0, nullptr);
        current_ = context_ != nullptr && OSMesaMakeCurrent(context_, buffer_.data(), GL_UNSIGNED_BYTE, width, height);
    }
    ~OsmesaSurface()
    {
        if (context_ != nullptr) {
            OSMesaDestroyContext(context_);
        }
    }
    OsmesaSurface(const OsmesaSurface&) = delete;
    OsmesaSurface& operator=(const OsmesaSurface&) = delete;

    bool current() const
    {
        return current_;
    }
    int width() const
    {
        return width_;
    }
    int height() const
    {
        return height_;
    }

    // The colour at window coordinates (x, y), origin bottom left, as GL reads it.
    struct Rgb {
        int r, g, b;
    };
    Rgb Pixel(int x, int y) const
    {
        uint8_t p[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }

private:
    int width_;
    int height_;
    std::vector<uint8_t> buffer_;
    OSMesaContext context_ = nullptr;
    bool current_ = false;
};

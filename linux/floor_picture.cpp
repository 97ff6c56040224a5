// Bitmap files of the floor picture.
#include "linux/floor_picture.h"

#include <cstddef>

#include "common/snapshot_file.h"
#include "renderer/snapshot_decode.h"  // FieldOf

namespace {

// The field scaled to 0..255 (a 5-bit 31 is 255, not 248).
uint8_t Channel(uint32_t pixel, DibField f)
{
    const uint32_t max = f.length >= 32 ? 0xffffffffu : (1u << f.length) - 1;
    const uint32_t v = (pixel >> f.shift) & max;
    return static_cast<uint8_t>((static_cast<uint64_t>(v) * 255 + max / 2) / max);
}

uint32_t PixelAt(const uint8_t* p, int bytes, bool msbFirst)
{
    uint32_t v = 0;
    for (int k = 0; k < bytes; ++k) {
        v |= static_cast<uint32_t>(p[k]) << (8 * (msbFirst ? bytes - 1 - k : k));
    }
    return v;
}

// The file for a width x height picture whose colour at (x, y), y counted
// from the top, `rgb` gives as 0xRRGGBB.
template <typename RgbFn>
std::vector<uint8_t> BitmapFile(int width, int height, RgbFn rgb)
{
    std::vector<uint8_t> file = SnapshotFileHeader(width, height);
    if (file.empty())
        return file;
    const size_t rowBytes = SnapshotRowBytes(width);
    const size_t headerBytes = file.size();
    file.resize(headerBytes + rowBytes * static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        // Bottom row first.
        uint8_t* row = file.data() + headerBytes + rowBytes * static_cast<size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const uint32_t c = rgb(x, y);
            row[3 * x] = static_cast<uint8_t>(c);
            row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(c >> 16);
        }
    }
    return file;
}

}  // namespace

std::vector<uint8_t> SnapshotFromScreen(const ScreenPixels& s)
{
    if (s.data == nullptr || s.width <= 0 || s.height <= 0)
        return {};
    if (s.bitsPerPixel != 16 && s.bitsPerPixel != 24 && s.bitsPerPixel != 32)
        return {};
    const int bytes = s.bitsPerPixel / 8;
    if (s.bytesPerLine < s.width * bytes)
        return {};
    const DibField r = FieldOf(s.redMask), g = FieldOf(s.greenMask), b = FieldOf(s.blueMask);
    if (r.length == 0 || g.length == 0 || b.length == 0)
        return {};
    return BitmapFile(s.width, s.height, [&](int x, int y) {
        const uint8_t* p = s.data + static_cast<size_t>(y) * s.bytesPerLine + static_cast<size_t>(x) * bytes;
        const uint32_t pixel = PixelAt(p, bytes, s.mostSignificantFirst);
        return static_cast<uint32_t>(Channel(pixel, r)) << 16 | Channel(pixel, g) << 8 | Channel(pixel, b);
    });
}

std::vector<uint8_t> GeneratedFloor(int width, int height)
{
    // Tiles about a sixteenth of the width, so the floor reads as tiles at any size.
    const int tile = width / 16 > 8 ? width / 16 : 8;
    const int joint = tile / 16 > 1 ? tile / 16 : 1;
    return BitmapFile(width, height, [&](int x, int y) -> uint32_t {
        const bool onJoint = x % tile < joint || y % tile < joint;
        return onJoint ? 0x2f4f5a : 0xd8ecef;
    });
}

#include "common/snapshot_file.h"

#include <limits>

size_t SnapshotRowBytes(int32_t width)
{
    if (width <= 0)
        return 0;
    return (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
}

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

std::vector<uint8_t> SnapshotFileHeader(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return {};
    const uint64_t imageBytes = static_cast<uint64_t>(SnapshotRowBytes(width)) * static_cast<uint64_t>(height);
    const uint64_t fileBytes = imageBytes + kSnapshotHeaderBytes;
    if (fileBytes > std::numeric_limits<uint32_t>::max())
        return {};

    std::vector<uint8_t> out;
    out.reserve(kSnapshotHeaderBytes);
    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<uint32_t>(fileBytes));
    Put32(out, 0);  // reserved
    Put32(out, static_cast<uint32_t>(kSnapshotHeaderBytes));
    // BITMAPINFOHEADER: positive height, so the bottom row comes first
    Put32(out, kBmpInfoHeaderBytes);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);   // planes
    Put16(out, 24);  // bits per pixel
    Put32(out, 0);   // BI_RGB
    Put32(out, static_cast<uint32_t>(imageBytes));
    Put32(out, 3780);  // 96 dots per inch, in dots per metre
    Put32(out, 3780);
    Put32(out, 0);  // no colour table
    Put32(out, 0);
    return out;
}

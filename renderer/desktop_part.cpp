#include "renderer/desktop_part.h"

#include <cstdlib>
#include <cstring>

#include "renderer/snapshot.h"

RgbImage* CropRgbImage(const RgbImage& picture, PictureArea area)
{
    if (area.width <= 0 || area.height <= 0 || area.left < 0 || area.top < 0 ||
        area.width > picture.width - area.left || area.height > picture.height - area.top)
        return nullptr;
    const size_t rowBytes = static_cast<size_t>(area.width) * 3;
    auto* part = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
    uint8_t* pixels = static_cast<uint8_t*>(std::malloc(rowBytes * static_cast<size_t>(area.height)));
    if (part == nullptr || pixels == nullptr) {
        std::free(part);
        std::free(pixels);
        return nullptr;
    }
    *part = {area.width, area.height, pixels};
    // Rows are stored bottom first: the area's bottom row comes first.
    const int32_t firstRow = picture.height - area.top - area.height;
    for (int32_t row = 0; row < area.height; ++row) {
        const uint8_t* from = picture.pixels + (static_cast<size_t>(firstRow + row) * picture.width + area.left) * 3;
        std::memcpy(pixels + static_cast<size_t>(row) * rowBytes, from, rowBytes);
    }
    return part;
}

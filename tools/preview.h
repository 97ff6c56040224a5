// The preview picture of the water scene (152 x 112): the renderer's own
// scene and water code drawing offscreen through OSMesa, averaged down from
// four times the size. Kept apart from pictures.h so that only what needs
// OpenGL links it.
#pragma once

#include <string_view>

#include "tools/pictures.h"

inline constexpr int kPreviewWidth = 152;
inline constexpr int kPreviewHeight = 112;
inline constexpr std::string_view kPreviewFile = "preview.bmp";

// False when no offscreen context could be made or the floor could not load.
bool DrawPreview(Image& out);
bool DrawPreviewFile(PictureFile& out);

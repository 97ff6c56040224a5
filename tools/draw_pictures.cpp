// draw_pictures: writes the launcher's own pictures into a folder (normally
// launcher/resources/, through scripts/draw-pictures).
//   draw_pictures <folder>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/pictures.h"
#include "tools/preview.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_pictures <folder>\n");
        return 2;
    }
    std::string folder = argv[1];
    int failures = 0;
    std::vector<PictureFile> files = DrawPictureFiles();
    PictureFile preview;
    if (DrawPreviewFile(preview)) {
        files.push_back(preview);
    } else {
        std::fprintf(stderr, "draw_pictures: no offscreen OpenGL for the preview\n");
        ++failures;
    }
    for (const PictureFile& f : files) {
        std::string path = folder + "/" + f.name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(f.bytes.data()), static_cast<std::streamsize>(f.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "draw_pictures: cannot write %s\n", path.c_str());
            ++failures;
            continue;
        }
        std::printf("%s (%zu bytes)\n", path.c_str(), f.bytes.size());
    }
    return failures == 0 ? 0 : 1;
}

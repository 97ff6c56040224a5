// The launcher's own pictures, drawn in code: the program icon, the panel
// strip, the two radio marks, the link's hand cursor and the button's six
// skins (the preview of the water scene is tools/preview.h, as it needs
// OpenGL). draw_pictures writes them and the preview into
// launcher/resources/, where they are committed; a unit test checks that the
// committed files are still exactly what this code draws.
//
// Does: draw (anti-aliased by supersampling) and encode BMP, ICO and CUR
// files byte for byte, with no image library.
// Does not: read pictures back, or touch the files itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Red, green, blue and coverage (alpha) per pixel, top row first.
struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
    friend bool operator==(Rgba, Rgba) = default;
};
struct Image {
    int width = 0, height = 0;
    std::vector<Rgba> pixels;

    Image() = default;
    Image(int w, int h, Rgba fill = {}) : width(w), height(h), pixels(static_cast<size_t>(w * h), fill) {}
    Rgba& at(int x, int y)
    {
        return pixels[static_cast<size_t>(y * width + x)];
    }
    const Rgba& at(int x, int y) const
    {
        return pixels[static_cast<size_t>(y * width + x)];
    }
};

// --- Encoders.
// 24-bit BMP, bottom row first, rows padded to 4 bytes; alpha is ignored.
std::vector<uint8_t> EncodeBmp24(const Image& image);
// One-image ICO of 256 colours (8 bits per pixel) with a 1-bit mask: pixels
// with coverage below one half are transparent. At most 255 opaque colours
// (quantise first).
std::vector<uint8_t> EncodeIco8(const Image& image);
// One-image monochrome CUR with a hot spot: black, white or transparent pixels.
enum class Mono : uint8_t { Transparent, Black, White };
std::vector<uint8_t> EncodeCur1(int width, int height, const std::vector<Mono>& pixels, int hotX, int hotY);

// Reduces an image's opaque colours to at most maxColours (median cut).
void QuantiseColours(Image& image, int maxColours);

// --- The pictures.
Image DrawSkin(int index);  // 0 Normal .. 5 Disable, in CommandSkin order
Image DrawPanelStrip();
Image DrawRadioMark(bool selected);
Image DrawProgramIcon();
std::vector<Mono> DrawHandCursor();  // 32 x 32
inline constexpr int kHandHotX = 12;
inline constexpr int kHandHotY = 10;

// A file of launcher/resources/ as the tool writes it.
struct PictureFile {
    std::string name;
    std::vector<uint8_t> bytes;
};
// Every picture the tool draws without OpenGL.
std::vector<PictureFile> DrawPictureFiles();

#include "tools/pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>

#include "common/snapshot_file.h"  // Put16, Put32

namespace {

// ---------------------------------------------------------------- encoding

// BITMAPINFOHEADER; an icon's or cursor's height counts the image and its mask.
void PutInfoHeader(std::vector<uint8_t>& out, int width, int height, int bits, uint32_t imageSize, uint32_t coloursUsed)
{
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bits));
    Put32(out, 0);  // BI_RGB
    Put32(out, imageSize);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, coloursUsed);
    Put32(out, 0);
}

int RowBytes(int width, int bits)
{
    return (width * bits + 31) / 32 * 4;
}

// The 1-bit AND mask of an icon or cursor, bottom row first: 1 = transparent.
void PutMask(std::vector<uint8_t>& out, int width, int height, const std::vector<bool>& transparent)
{
    int stride = RowBytes(width, 1);
    for (int y = height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
        for (int x = 0; x < width; ++x)
            if (transparent[static_cast<size_t>(y * width + x)])
                row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
}

// ---------------------------------------------------------------- drawing helpers

struct Colour {
    double r, g, b;
};
Colour Lerp(Colour a, Colour b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
uint8_t ToByte(double v)
{
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// Signed distance from a point to a rounded rectangle (negative inside).
double RoundedRectDistance(double px, double py, double x0, double y0, double x1, double y1, double radius)
{
    double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    double qx = std::fabs(px - cx) - ((x1 - x0) / 2 - radius);
    double qy = std::fabs(py - cy) - ((y1 - y0) / 2 - radius);
    double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0) - radius;
}

// A colour and its coverage at a point of the picture.
struct Sample {
    Colour c;
    double a;
};

// Averages n x n samples per pixel: smooth edges without an image library.
template <typename F>
Image Supersample(int width, int height, int n, F&& sampleAt)
{
    Image img(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < n; ++sy)
                for (int sx = 0; sx < n; ++sx) {
                    Sample s = sampleAt(x + (sx + 0.5) / n, y + (sy + 0.5) / n);
                    r += s.c.r * s.a;
                    g += s.c.g * s.a;
                    b += s.c.b * s.a;
                    a += s.a;
                }
            Rgba& p = img.at(x, y);
            if (a > 0) {
                p.r = ToByte(r / a);
                p.g = ToByte(g / a);
                p.b = ToByte(b / a);
            } else {
                p.r = p.g = p.b = 0;
            }
            p.a = ToByte(a / (n * n) * 255);
        }
    return img;
}

// A small fixed generator, so the pictures never change between runs.
struct Lcg {
    uint32_t state;
    double Next()
    {  // in [0, 1)
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / 16777216.0;
    }
};

// ---------------------------------------------------------------- skins

struct SkinLook {
    Colour outline;
    Colour rimTop, rimBottom;  // the band just inside the outline
    double rimWidth;           // pixels; 0 for no rim
    bool hoverGradient;        // which way the face gradient runs under this skin
};

constexpr Colour kOutlineBlue{30, 48, 108};
constexpr Colour kOutlineBeige{178, 171, 150};
// What lies outside the rounded corners: a soft blue-grey that sits well on
// both the light panel and the dialog's darker background.
constexpr Colour kSkinOutside{150, 154, 178};
constexpr Colour kFaceWhite{255, 255, 255};
constexpr Colour kFaceBlueGrey{0xC6, 0xC5, 0xD7};

SkinLook LookOf(int index)
{
    switch (index) {
    case 0:  // Normal
        return {kOutlineBlue, {255, 255, 255}, {240, 240, 246}, 2.0, false};
    case 1:  // HighLight
    case 2:  // HighLightSelect
        return {kOutlineBlue, {255, 226, 158}, {232, 112, 12}, 2.0, true};
    case 3:  // Selected
        return {kOutlineBlue, {186, 220, 252}, {58, 112, 200}, 2.0, false};
    case 4:  // Pressed
        return {kOutlineBlue, {150, 150, 160}, {204, 204, 212}, 2.0, false};
    default:  // Disable
        return {kOutlineBeige, {247, 245, 239}, {234, 231, 222}, 0.0, false};
    }
}

}  // namespace

Image DrawSkin(int index)
{
    const SkinLook look = LookOf(index);
    const double w = 64, h = 25, radius = 3.5;
    return Supersample(64, 25, 6, [&](double px, double py) -> Sample {
        double depth = -RoundedRectDistance(px, py, 0, 0, w, h, radius);
        if (depth < 0)
            return {kSkinOutside, 1};
        if (depth < 1)
            return {look.outline, 1};
        double t = py / h;
        Colour face = look.hoverGradient ? Lerp(kFaceBlueGrey, kFaceWhite, t) : Lerp(kFaceWhite, kFaceBlueGrey, t);
        if (look.rimWidth == 0) {
            // Disabled: a flat, pale inside with no rim, fading into the face.
            return {Lerp(Lerp(look.rimTop, look.rimBottom, t), face, depth - 3), 1};
        }
        Colour rim = Lerp(look.rimTop, look.rimBottom, t);
        double rimEnd = 1 + look.rimWidth;
        if (depth < rimEnd)
            return {rim, 1};
        // One pixel of blend, so the border meets the gradient softly.
        return {Lerp(rim, face, depth - rimEnd), 1};
    });
}

Image DrawPanelStrip()
{
    // Light grey (the panel's own E0E0E0) with fine horizontal streaks, the
    // same at both ends so that tiles meet without a seam.
    const int w = 556, h = 20;
    Image img(w, h);
    Lcg rng{20240611u};
    std::array<double, h> rowShade{}, rowPhase{};
    for (int y = 0; y < h; ++y) {
        rowShade[static_cast<size_t>(y)] = (rng.Next() - 0.5) * 9 + (y % 2 == 0 ? 1.5 : -1.5);
        rowPhase[static_cast<size_t>(y)] = rng.Next() * 2 * std::numbers::pi;
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double u = 2 * std::numbers::pi * x / w;
            double wave = 2.2 * std::sin(3 * u + rowPhase[static_cast<size_t>(y)]) +
                          1.2 * std::sin(11 * u + 2 * rowPhase[static_cast<size_t>(y)]);
            double v = 224 + rowShade[static_cast<size_t>(y)] + wave;
            img.at(x, y) = {ToByte(v), ToByte(v), ToByte(v + 1), 255};
        }
    return img;
}

Image DrawRadioMark(bool selected)
{
    const Colour frame{86, 94, 124}, shadow{214, 216, 226}, white{255, 255, 255};
    const Colour fillTop{96, 150, 236}, fillBottom{24, 66, 168};
    Image img(12, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            Colour c = white;
            if (x == 0 || y == 0 || x == 11 || y == 11) {
                c = frame;
            } else if (x == 1 || y == 1) {
                c = shadow;  // a hint of depth at the inner top-left
            }
            if (selected && x >= 3 && x <= 8 && y >= 3 && y <= 8) {
                c = Lerp(fillTop, fillBottom, (y - 3) / 5.0);
                if (x == 3 || y == 3)
                    c = Lerp(c, white, 0.25);  // lit edge
            }
            img.at(x, y) = {ToByte(c.r), ToByte(c.g), ToByte(c.b), 255};
        }
    return img;
}

Image DrawProgramIcon()
{
    // A pool seen from above at a slant: deep water in a rounded frame, rings
    // spreading from where a drop has just landed, the next drop falling.
    const Colour frame{10, 30, 72}, waterTop{70, 160, 226}, waterBottom{8, 44, 120};
    const Colour ring{228, 244, 255}, drop{236, 248, 255}, dropEdge{20, 70, 140};
    Image img = Supersample(32, 32, 8, [&](double px, double py) -> Sample {
        double d = RoundedRectDistance(px, py, 1, 12, 31, 31, 6);
        // The falling drop: a round body with a point above it.
        double dx = px - 16, dy = py - 6.5;
        double body = std::sqrt(dx * dx + dy * dy) - 3.3;
        double tip = std::fabs(dx) - std::max(0.0, (py - 0.5) * 0.55);
        double dropDist = py < 6.5 ? std::max(tip, 0.5 - py) : body;
        if (d > 0) {
            if (dropDist < 0)
                return {dropDist > -0.8 ? dropEdge : drop, 1};
            return {{0, 0, 0}, 0};
        }
        if (d > -1.2)
            return {frame, 1};
        Colour c = Lerp(waterTop, waterBottom, (py - 12) / 19);
        // Rings: ellipses flattened by the slant, fading as they spread.
        double ex = px - 16, ey = (py - 22) * 2.0;
        double r = std::sqrt(ex * ex + ey * ey);
        for (double radius : {3.0, 6.8, 10.8}) {
            double strength = 1.0 - radius * 0.04;
            double band = std::fabs(r - radius);
            if (band < 1.1)
                c = Lerp(c, ring, strength * (1 - band / 1.1));
        }
        // A soft sheen along the top of the water.
        if (py < 17)
            c = Lerp(c, ring, (17 - py) / 5 * 0.25);
        if (dropDist < 0 && d < -1.2)
            return {dropDist > -0.8 ? dropEdge : drop, 1};
        return {c, 1};
    });
    QuantiseColours(img, 255);
    return img;
}

std::vector<Mono> DrawHandCursor()
{
    // A pointing hand, the tip of the index finger at the hot spot (12, 10).
    static const char* const rows[] = {
        "...........###..................",  // 10
        "..........#ooo#.................", "..........#ooo#.................",
        "..........#ooo#.................", "..........#ooo#.................",
        "..........#ooo####..............",  // 15
        "..........#ooo#ooo####..........", "..........#ooo#ooo#ooo###.......",
        "..........#ooo#ooo#ooo#oo#......", "...###....#ooooooo#ooo#oo#......",
        "..#ooo#...#oooooooooooooo#......",  // 20
        "..#oooo#..#oooooooooooooo#......", "...#oooo#.#oooooooooooooo#......",
        "....#oooo##oooooooooooooo#......", ".....#ooooooooooooooooooo#......",
        "......#oooooooooooooooooo#......",  // 25
        ".......#oooooooooooooooo#.......", "........#oooooooooooooo#........",
        ".........#ooooooooooooo#........", "..........#oooooooooooo#........",
        "..........#oooooooooooo#........",  // 30
        "..........##############........",
    };
    std::vector<Mono> px(32 * 32, Mono::Transparent);
    for (int r = 0; r < 22; ++r)
        for (int x = 0; x < 32; ++x) {
            char ch = rows[r][x];
            px[static_cast<size_t>((r + 10) * 32 + x)] = ch == '#'   ? Mono::Black
                                                         : ch == 'o' ? Mono::White
                                                                     : Mono::Transparent;
        }
    return px;
}

// ---------------------------------------------------------------- quantising

void QuantiseColours(Image& image, int maxColours)
{
    // Median cut over the opaque pixels' distinct colours, weighted by count.
    std::map<std::array<uint8_t, 3>, int> counts;
    for (const Rgba& p : image.pixels)
        if (p.a >= 128)
            ++counts[{p.r, p.g, p.b}];
    if (static_cast<int>(counts.size()) <= maxColours)
        return;

    struct Entry {
        std::array<uint8_t, 3> c;
        int n;
    };
    std::vector<std::vector<Entry>> boxes(1);
    for (auto& [c, n] : counts)
        boxes[0].push_back({c, n});
    auto spread = [](const std::vector<Entry>& box, int& channel) {
        int best = -1;
        for (int ch = 0; ch < 3; ++ch) {
            int lo = 255, hi = 0;
            for (const Entry& e : box) {
                lo = std::min<int>(lo, e.c[static_cast<size_t>(ch)]);
                hi = std::max<int>(hi, e.c[static_cast<size_t>(ch)]);
            }
            if (hi - lo > best) {
                best = hi - lo;
                channel = ch;
            }
        }
        return best;
    };
    while (static_cast<int>(boxes.size()) < maxColours) {
        int pick = -1, pickChannel = 0, widest = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            int ch = 0;
            int s = boxes[i].size() > 1 ? spread(boxes[i], ch) : 0;
            if (s > widest) {
                widest = s;
                pick = static_cast<int>(i);
                pickChannel = ch;
            }
        }
        if (pick < 0)
            break;
        auto& box = boxes[static_cast<size_t>(pick)];
        std::sort(box.begin(), box.end(), [&](const Entry& a, const Entry& b) {
            if (a.c[static_cast<size_t>(pickChannel)] != b.c[static_cast<size_t>(pickChannel)])
                return a.c[static_cast<size_t>(pickChannel)] < b.c[static_cast<size_t>(pickChannel)];
            return a.c < b.c;
        });
        int total = 0;
        for (const Entry& e : box)
            total += e.n;
        size_t cut = 0;
        for (int acc = 0; cut + 1 < box.size() && acc + box[cut].n <= total / 2; ++cut)
            acc += box[cut].n;
        if (cut == 0)
            cut = 1;
        std::vector<Entry> upper(box.begin() + static_cast<long>(cut), box.end());
        box.resize(cut);
        boxes.push_back(std::move(upper));
    }
    std::map<std::array<uint8_t, 3>, std::array<uint8_t, 3>> mapTo;
    for (const auto& box : boxes) {
        double r = 0, g = 0, b = 0, n = 0;
        for (const Entry& e : box) {
            r += e.c[0] * e.n;
            g += e.c[1] * e.n;
            b += e.c[2] * e.n;
            n += e.n;
        }
        std::array<uint8_t, 3> mean{ToByte(r / n), ToByte(g / n), ToByte(b / n)};
        for (const Entry& e : box)
            mapTo[e.c] = mean;
    }
    for (Rgba& p : image.pixels)
        if (p.a >= 128) {
            auto m = mapTo[{p.r, p.g, p.b}];
            p.r = m[0];
            p.g = m[1];
            p.b = m[2];
        }
}

// ---------------------------------------------------------------- files

std::vector<uint8_t> EncodeBmp24(const Image& image)
{
    int stride = RowBytes(image.width, 24);
    uint32_t dataSize = static_cast<uint32_t>(stride * image.height);
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, 14 + 40 + dataSize);
    Put32(out, 0);
    Put32(out, 14 + 40);
    PutInfoHeader(out, image.width, image.height, 24, dataSize, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgba& p = image.at(x, y);
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        for (int pad = image.width * 3; pad < stride; ++pad)
            out.push_back(0);
    }
    return out;
}

std::vector<uint8_t> EncodeIco8(const Image& image)
{
    // Palette: entry 0 is black for the transparent pixels, then the opaque
    // colours in order of first appearance.
    std::vector<std::array<uint8_t, 3>> palette{{0, 0, 0}};
    std::map<std::array<uint8_t, 3>, uint8_t> index;
    std::vector<uint8_t> pixels;
    std::vector<bool> transparent;
    for (const Rgba& p : image.pixels) {
        bool clear = p.a < 128;
        transparent.push_back(clear);
        if (clear) {
            pixels.push_back(0);
            continue;
        }
        std::array<uint8_t, 3> c{p.r, p.g, p.b};
        auto it = index.find(c);
        if (it == index.end()) {
            if (palette.size() == 256) {
                pixels.push_back(0);  // more colours than fit: caller forgot to quantise
                continue;
            }
            it = index.emplace(c, static_cast<uint8_t>(palette.size())).first;
            palette.push_back(c);
        }
        pixels.push_back(it->second);
    }
    palette.resize(256, {0, 0, 0});

    int stride = RowBytes(image.width, 8);
    int maskStride = RowBytes(image.width, 1);
    uint32_t imageBytes = static_cast<uint32_t>(40 + 256 * 4 + stride * image.height + maskStride * image.height);
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);  // icon
    Put16(out, 1);  // one image
    out.push_back(static_cast<uint8_t>(image.width));
    out.push_back(static_cast<uint8_t>(image.height));
    out.push_back(0);  // 256 colours
    out.push_back(0);
    Put16(out, 1);  // planes
    Put16(out, 8);  // bits per pixel
    Put32(out, imageBytes);
    Put32(out, 22);
    PutInfoHeader(out, image.width, image.height * 2, 8, static_cast<uint32_t>(stride * image.height), 256);
    for (const auto& c : palette) {
        out.push_back(c[2]);
        out.push_back(c[1]);
        out.push_back(c[0]);
        out.push_back(0);
    }
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x)
            out.push_back(pixels[static_cast<size_t>(y * image.width + x)]);
        for (int pad = image.width; pad < stride; ++pad)
            out.push_back(0);
    }
    PutMask(out, image.width, image.height, transparent);
    return out;
}

std::vector<uint8_t> EncodeCur1(int width, int height, const std::vector<Mono>& pixels, int hotX, int hotY)
{
    int stride = RowBytes(width, 1);
    uint32_t imageBytes = static_cast<uint32_t>(40 + 2 * 4 + 2 * stride * height);
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 2);  // cursor
    Put16(out, 1);
    out.push_back(static_cast<uint8_t>(width));
    out.push_back(static_cast<uint8_t>(height));
    out.push_back(2);
    out.push_back(0);
    Put16(out, static_cast<uint32_t>(hotX));
    Put16(out, static_cast<uint32_t>(hotY));
    Put32(out, imageBytes);
    Put32(out, 22);
    PutInfoHeader(out, width, height * 2, 1, static_cast<uint32_t>(stride * height), 2);
    Put32(out, 0x00000000);  // black
    Put32(out, 0x00FFFFFF);  // white
    // The XOR image: white pixels set; black and transparent clear.
    std::vector<bool> white, transparent;
    for (Mono m : pixels) {
        white.push_back(m == Mono::White);
        transparent.push_back(m == Mono::Transparent);
    }
    PutMask(out, width, height, white);
    PutMask(out, width, height, transparent);
    return out;
}

std::vector<PictureFile> DrawPictureFiles()
{
    static const char* const skinFiles[] = {
        "skin_normal.bmp",   "skin_highlight.bmp", "skin_highlightselect.bmp",
        "skin_selected.bmp", "skin_pressed.bmp",   "skin_disable.bmp",
    };
    std::vector<PictureFile> files;
    files.push_back({"brinefold.ico", EncodeIco8(DrawProgramIcon())});
    files.push_back({"panel_strip.bmp", EncodeBmp24(DrawPanelStrip())});
    files.push_back({"radio_unselected.bmp", EncodeBmp24(DrawRadioMark(false))});
    files.push_back({"radio_selected.bmp", EncodeBmp24(DrawRadioMark(true))});
    files.push_back({"link_hand.cur", EncodeCur1(32, 32, DrawHandCursor(), kHandHotX, kHandHotY)});
    for (int i = 0; i < 6; ++i)
        files.push_back({skinFiles[i], EncodeBmp24(DrawSkin(i))});
    return files;
}

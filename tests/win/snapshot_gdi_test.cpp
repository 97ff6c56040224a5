// The snapshot reader against GDI: a corpus of every layout the reader accepts
// (all depths, both headers, colours-used variants, bit fields, top-down,
// RLE4/RLE8 with deltas and line ends, odd widths) decoded by ReadDibFile and
// by SetDIBits into a 24-bit DIB section the way the renderer's reader was
// first built on it. The two must agree byte for byte.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "renderer/snapshot.h"
#include "renderer/snapshot_decode.h"
#include "tests/support/bmp_builder.h"
#include "tests/support/files.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Case {
    std::string name;
    Bytes file;
};

class Rng {
public:
    explicit Rng(uint32_t seed) : s(seed) {}
    uint32_t Next()
    {
        return (s = s * 1664525u + 1013904223u) >> 8;
    }
    uint32_t Below(uint32_t n)
    {
        return Next() % n;
    }

private:
    uint32_t s;
};

uint32_t Le32(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}

// GDI's picture: the header and CountDibColors entries in a work block
// (a core header widened), image size and colours used filled in when 0, the
// file's masks for bit fields, SetDIBits into a bottom-up 24-bit section
// selected into a memory DC, then the section's rows without their padding.
std::optional<Bytes> GdiDecode(const Bytes& file)
{
    const uint8_t* f = file.data();
    const bool signature = f[0] == 'B' && f[1] == 'M';
    const uint8_t* h = f + (signature ? 14 : 0);
    const uint32_t headerSize = Le32(h);
    const uint16_t n = CountDibColors(h);

    std::vector<uint32_t> block((40 + 4 * (n + 3)) / 4 + 1, 0);  // aligned for the structs
    auto* info = reinterpret_cast<BITMAPINFOHEADER*>(block.data());
    auto* colours = reinterpret_cast<uint8_t*>(block.data()) + 40;
    size_t tableAt = (h - f) + headerSize;
    if (headerSize == 40) {
        std::memcpy(info, h, 40);
        if (info->biCompression == BI_BITFIELDS) {
            std::memcpy(colours, f + tableAt, 12);
            tableAt += 12;
        } else {
            std::memcpy(colours, f + tableAt, 4 * size_t(n));
        }
    } else {
        BITMAPCOREHEADER core;
        std::memcpy(&core, h, 12);
        info->biSize = 40;
        info->biWidth = core.bcWidth;
        info->biHeight = core.bcHeight;
        info->biPlanes = core.bcPlanes;
        info->biBitCount = core.bcBitCount;
        info->biCompression = BI_RGB;
        info->biClrUsed = info->biClrImportant = n;
        for (int e = 0; e < n; ++e)
            std::memcpy(colours + 4 * e, f + tableAt + 3 * e, 3);
    }
    if (info->biSizeImage == 0) {
        info->biSizeImage = ((info->biWidth * info->biBitCount + 7) / 8) * info->biHeight;
    }
    const uint32_t storedColours = info->biClrUsed;
    if (info->biClrUsed == 0)
        info->biClrUsed = n;

    size_t bitsAt;
    if (signature) {
        bitsAt = Le32(f + 10);
    } else {  // a bare DIB: the pixels follow the colour table
        const uint32_t entries = storedColours != 0 ? std::min<uint32_t>(storedColours, 256)
                                                    : (info->biBitCount <= 8 ? 1u << info->biBitCount : 0);
        bitsAt = tableAt + entries * (headerSize == 40 ? 4 : 3);
    }

    const int width = info->biWidth, rows = std::abs(info->biHeight);
    BITMAPINFOHEADER target{};
    target.biSize = sizeof target;
    target.biWidth = width;
    target.biHeight = rows;
    target.biPlanes = 1;
    target.biBitCount = 24;
    target.biCompression = BI_RGB;
    target.biSizeImage = DWORD(rows * width * 3);

    HDC dc = CreateCompatibleDC(nullptr);
    void* sectionBits = nullptr;
    HBITMAP section =
        CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&target), DIB_RGB_COLORS, &sectionBits, nullptr, 0);
    if (dc == nullptr || section == nullptr) {
        ADD_FAILURE() << "no DC or DIB section";
        return std::nullopt;
    }
    HGDIOBJ previous = SelectObject(dc, section);
    const int lines =
        SetDIBits(dc, section, 0, UINT(rows), f + bitsAt, reinterpret_cast<BITMAPINFO*>(block.data()), DIB_RGB_COLORS);
    GdiFlush();
    Bytes out(size_t(width) * rows * 3);
    const auto* s = static_cast<const uint8_t*>(sectionBits);
    uint8_t* d = out.data();
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < width; ++x, s += 3, d += 3) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
        s += width % 4;
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(section);
    if (lines == 0)
        return std::nullopt;
    return out;
}

Bytes RandomBytes(Rng& rng, size_t n)
{
    Bytes b(n);
    for (uint8_t& v : b)
        v = uint8_t(rng.Next());
    return b;
}

std::vector<uint32_t> RandomPalette(Rng& rng, size_t n)
{
    std::vector<uint32_t> p(n);
    for (uint32_t& c : p)
        c = rng.Next() & 0xffffff;
    return p;
}

// A valid stream at random: runs, literals, deltas (right and up), line ends,
// now and then an early end of bitmap; ends by the last line end, with or
// without an end of bitmap after it.
Bytes RandomRle(Rng& rng, int width, int height, bool four)
{
    bmp::Rle r;
    r.four = four;
    const int top = four ? 16 : 256;
    int x = 0, y = 0;
    while (y < height) {
        const uint32_t pick = rng.Below(40);
        if (pick < 16 && x < width) {
            const int count = 1 + int(rng.Below(uint32_t(std::min(width - x, 255))));
            r.Run(uint8_t(count), uint8_t(rng.Next()));
            x += count;
        } else if (pick < 30 && width - x >= 3) {
            const int count = 3 + int(rng.Below(uint32_t(std::min(width - x, 255) - 2)));
            std::vector<uint8_t> literal(static_cast<size_t>(count));
            for (uint8_t& v : literal)
                v = uint8_t(rng.Below(uint32_t(top)));
            r.Literal(literal);
            x += count;
        } else if (pick < 34) {
            const int right = int(rng.Below(uint32_t(std::min(width - x, 255) + 1)));
            const int up = int(rng.Below(uint32_t(std::min(height - 1 - y, 2) + 1)));
            r.Delta(uint8_t(right), uint8_t(up));
            x += right;
            y += up;
        } else if (pick == 34 && rng.Below(4) == 0) {
            r.EndOfBitmap();
            return r.bytes;
        } else {
            r.EndOfLine();
            x = 0;
            ++y;
        }
    }
    if (rng.Below(2) == 0)
        r.EndOfBitmap();
    return r.bytes;
}

std::string Name(const char* kind, int width, int height, int extra = -1)
{
    std::string s = std::string(kind) + " " + std::to_string(width) + "x" + std::to_string(height);
    if (extra >= 0)
        s += " #" + std::to_string(extra);
    return s;
}

std::vector<Case> Corpus()
{
    Rng rng(20240607);
    std::vector<Case> corpus;
    auto add = [&](std::string name, bmp::Spec s) { corpus.push_back({std::move(name), bmp::Build(s)}); };
    auto uncompressed = [&](int width, int height, uint16_t bits) {
        bmp::Spec s;
        s.width = width;
        s.height = height;
        s.bitCount = bits;
        s.bits = RandomBytes(rng, (size_t(width) * bits + 31) / 32 * 4 * size_t(std::abs(height)));
        return s;
    };

    const std::vector<std::pair<int, int>> sizes = {{1, 3},  {2, 3},  {3, 3},   {4, 3},   {5, 3},
                                                    {17, 5}, {64, 4}, {103, 3}, {1366, 2}};
    const std::vector<std::vector<uint32_t>> masks16 = {{0xf800, 0x07e0, 0x001f}, {0x7c00, 0x03e0, 0x001f},
                                                        {0x0f00, 0x00f0, 0x000f}, {0x001f, 0x07e0, 0xf800},
                                                        {0x8000, 0x4000, 0x2000}, {0x0f0f, 0x00f0, 0xf000}};
    const std::vector<std::vector<uint32_t>> masks32 = {{0x00ff0000, 0x0000ff00, 0x000000ff},
                                                        {0x000000ff, 0x0000ff00, 0x00ff0000},
                                                        {0x3ff00000, 0x000ffc00, 0x000003ff},
                                                        {0xff000000, 0x00ff0000, 0x0000ff00},
                                                        {0x0000f000, 0x00000f00, 0x000000f0}};

    for (auto [w, h] : sizes) {
        for (uint16_t bits : {1, 4, 8}) {
            const uint32_t most = 1u << bits;
            const uint32_t few = bits == 1 ? 1 : bits == 4 ? 5 : 20;  // later indices are black
            for (uint32_t used : {0u, few}) {
                bmp::Spec s = uncompressed(w, h, bits);
                s.colorsUsed = used;
                s.palette = RandomPalette(rng, used ? used : most);
                add(Name("indexed", w, h, int(bits * 1000 + used)), s);
                s.signature = false;
                add(Name("bare indexed", w, h, int(bits * 1000 + used)), s);
            }
            bmp::Spec top = uncompressed(w, -h, bits);
            top.palette = RandomPalette(rng, most);
            add(Name("top-down indexed", w, h, bits), top);
            bmp::Spec core = uncompressed(w, h, bits);
            core.core = true;
            core.palette = RandomPalette(rng, most);
            add(Name("core indexed", w, h, bits), core);
        }
        for (uint16_t bits : {16, 24, 32}) {
            add(Name("rgb", w, h, bits), uncompressed(w, h, bits));
            add(Name("top-down rgb", w, h, bits), uncompressed(w, -h, bits));
            bmp::Spec core = uncompressed(w, h, bits);
            core.core = true;
            add(Name("core rgb", w, h, bits), core);
        }
        for (size_t m = 0; m < masks16.size(); ++m) {
            bmp::Spec s = uncompressed(w, m % 2 ? -h : h, 16);
            s.compression = bmp::kBitfields;
            s.masks = masks16[m];
            add(Name("fields16", w, h, int(m)), s);
        }
        for (size_t m = 0; m < masks32.size(); ++m) {
            bmp::Spec s = uncompressed(w, h, 32);
            s.compression = bmp::kBitfields;
            s.masks = masks32[m];
            add(Name("fields32", w, h, int(m)), s);
            s.signature = false;
            add(Name("bare fields32", w, h, int(m)), s);
        }
        for (bool four : {false, true}) {
            for (int k = 0; k < 4; ++k) {
                bmp::Spec s;
                s.width = w;
                s.height = h;
                s.bitCount = four ? 4 : 8;
                s.compression = four ? bmp::kRle4 : bmp::kRle8;
                s.colorsUsed = k % 2 ? (four ? 5 : 20) : 0;
                s.palette = RandomPalette(rng, s.colorsUsed ? s.colorsUsed : (four ? 16 : 256));
                s.bits = RandomRle(rng, w, h, four);
                s.sizeImage = uint32_t(s.bits.size());
                // An unset image size stands for the unpadded plain size.
                if (k == 2 && s.bits.size() <= (size_t(w) * s.bitCount + 7) / 8 * size_t(h))
                    s.sizeImage = 0;
                add(Name(four ? "rle4" : "rle8", w, h, k), s);
            }
        }
    }
    return corpus;
}

std::vector<std::string> messages;
void Record(const char* text)
{
    messages.emplace_back(text);
}

TEST(SnapshotAgainstGdi, EveryLayoutDecodesAsGdiDoes)
{
    char folder[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
    const std::string path = std::string(folder) + "bf_snapshot_gdi_" + std::to_string(GetCurrentProcessId()) + ".bmp";

    const std::vector<Case> corpus = Corpus();
    int compared = 0;
    for (const Case& c : corpus) {
        SCOPED_TRACE(c.name);
        const std::optional<Bytes> expected = GdiDecode(c.file);
        ASSERT_TRUE(expected.has_value()) << "GDI converts nothing";

        // In memory first: a refusal here would otherwise block on its box.
        messages.clear();
        RgbImage* inMemory = ConvertDibImage(c.file.data(), c.file.size(), Record);
        ASSERT_NE(inMemory, nullptr) << (messages.empty() ? "" : messages[0]);
        std::free(inMemory->pixels);
        std::free(inMemory);

        EXPECT_TRUE(WriteBytes(path, c.file)) << path;
        RgbImage* image = ReadDibFile(path.c_str());
        ASSERT_NE(image, nullptr);
        const Bytes got(image->pixels, image->pixels + size_t(image->width) * image->height * 3);
        const int rows = image->height;
        std::free(image->pixels);
        std::free(image);
        ASSERT_EQ(got.size(), expected->size());
        EXPECT_GT(rows, 0);
        if (got != *expected) {
            size_t at = 0;
            while (got[at] == (*expected)[at])
                ++at;
            ADD_FAILURE() << "first difference at byte " << at << " (pixel " << at / 3 << "): got " << int(got[at])
                          << ", GDI " << int((*expected)[at]);
        }
        ++compared;
    }
    DeleteFileA(path.c_str());
    EXPECT_GT(compared, 400);
    std::printf("compared %d files with GDI\n", compared);
}

}  // namespace

// The snapshot reader: layouts decoded to the pixels GDI gives, the colour
// count, the probe and open failures, and malformed files refused with the
// right message (built with AddressSanitizer: no stray read, nothing leaked).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "renderer/desktop_part.h"
#include "renderer/snapshot.h"
#include "renderer/snapshot_decode.h"
#include "tests/support/bmp_builder.h"
#include "tests/support/files.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Rows = std::vector<std::vector<uint32_t>>;

std::vector<std::string> shown;

void Record(const char* text)
{
    shown.emplace_back(text);
}

struct Decoded {
    bool ok = false;
    int32_t width = 0, height = 0;
    Bytes rgb;
};

// Through the shared reader body, recording the messages. The file is copied
// into an exact-size buffer so that any read past its end is caught (an empty
// file too: new[] of 0 bytes gives a real, unreadable block).
Decoded Convert(const Bytes& file)
{
    shown.clear();
    auto* copy = new uint8_t[file.size()];
    std::copy(file.begin(), file.end(), copy);
    RgbImage* image = ConvertDibImage(copy, file.size(), Record);
    delete[] copy;
    Decoded d;
    if (image != nullptr) {
        d.ok = true;
        d.width = image->width;
        d.height = image->height;
        d.rgb.assign(image->pixels, image->pixels + size_t(image->width) * image->height * 3);
        std::free(image->pixels);
        std::free(image);
    }
    return d;
}

// 0x00RRGGBB colours into the output's byte order.
Bytes Rgb(std::initializer_list<uint32_t> colours)
{
    Bytes out;
    for (uint32_t c : colours)
        out.insert(out.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    return out;
}

std::string TempPath(const char* name)
{
    return testing::TempDir() + "snapshot_" + std::to_string(getpid()) + "_" + name;
}

class SnapshotTest : public testing::Test {
protected:
    void SetUp() override
    {
        saved = snapshotMessageHook;
        snapshotMessageHook = Record;
        shown.clear();
    }
    void TearDown() override
    {
        snapshotMessageHook = saved;
        for (const auto& p : files)
            std::remove(p.c_str());
    }
    std::string File(const char* name, const Bytes& bytes)
    {
        files.push_back(TempPath(name));
        EXPECT_TRUE(WriteBytes(files.back(), bytes)) << files.back();
        return files.back();
    }
    std::vector<std::string> files;
    SnapshotMessageFn saved = nullptr;
};

const std::vector<uint32_t> kPalette4 = {0xff0000, 0x00ff00, 0x0000ff, 0x102030};

// --- The worked example and row widths -------------------------------------

TEST_F(SnapshotTest, WorkedTwoByTwoFileThroughTheLoader)
{
    bmp::Spec s;
    s.width = 2;
    s.height = 2;
    s.bits = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    const std::string path = File("worked.bmp", bmp::Build(s));

    RgbImage* image = LoadSnapshotImage(path.c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(Bytes(image->pixels, image->pixels + 12), (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
    std::free(image->pixels);
    std::free(image);
    EXPECT_TRUE(shown.empty());
}

TEST(SnapshotDecode, NarrowRowsCarryNoPadding)
{
    for (int width = 1; width <= 7; ++width) {
        for (uint16_t bits : {8, 24, 32}) {
            Rows rows(3);
            Bytes expected;
            std::vector<uint32_t> palette;
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < width; ++x) {
                    const uint32_t colour = 0x010203u * uint32_t(10 * y + x + 1);
                    const uint32_t index = uint32_t(palette.size());
                    if (bits == 8)
                        palette.push_back(colour);
                    rows[y].push_back(bits == 8 ? index : colour);
                    const Bytes c = Rgb({colour});
                    expected.insert(expected.end(), c.begin(), c.end());
                }
            }
            bmp::Spec s;
            s.width = width;
            s.height = 3;
            s.bitCount = bits;
            s.palette = palette;
            s.colorsUsed = uint32_t(palette.size());
            s.bits = bmp::PackRows(rows, bits);
            const Decoded d = Convert(bmp::Build(s));
            ASSERT_TRUE(d.ok) << "width " << width << " bits " << bits;
            EXPECT_EQ(d.rgb, expected) << "width " << width << " bits " << bits;
        }
    }
}

// The last row may end without its padding: only its pixels are read.
TEST(SnapshotDecode, LastRowNeedsNoPadding)
{
    bmp::Spec s;
    s.width = 1;
    s.height = 2;
    s.bits = {1, 2, 3, 0, 4, 5, 6};
    const Decoded d = Convert(bmp::Build(s));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rgb, (Bytes{3, 2, 1, 6, 5, 4}));
}

// --- Colour tables ----------------------------------------------------------

TEST(SnapshotColours, CountDibColors)
{
    for (auto [bits, count] : {std::pair{1, 2}, {4, 16}, {8, 256}, {16, 0}, {24, 0}, {32, 0}, {2, 0}}) {
        bmp::Spec core;
        core.core = true;
        core.bitCount = uint16_t(bits);
        core.colorsUsed = 20;  // not in a core header: no effect
        const Bytes c = bmp::Build(core);
        EXPECT_EQ(CountDibColors(c.data() + 14), count) << "core, bits " << bits;

        bmp::Spec info;
        info.bitCount = uint16_t(bits);
        const Bytes i = bmp::Build(info);
        EXPECT_EQ(CountDibColors(i.data() + 14), count) << "info, bits " << bits;

        info.colorsUsed = 20;
        const Bytes u = bmp::Build(info);
        EXPECT_EQ(CountDibColors(u.data() + 14), 20) << "colours used, bits " << bits;
    }
    bmp::Spec big;
    big.bitCount = 8;
    big.colorsUsed = 0x10014;  // only the low 16 bits count
    EXPECT_EQ(CountDibColors(bmp::Build(big).data() + 14), 0x14);
}

TEST(SnapshotColours, ColoursUsedSizesTheTableAndLaterIndicesAreBlack)
{
    std::vector<uint32_t> palette;
    for (uint32_t k = 0; k < 256; ++k)
        palette.push_back(0x010101u * k ^ 0x00a05a);
    const Rows rows = {{0, 19, 20, 255}};

    bmp::Spec full;
    full.width = 4;
    full.bitCount = 8;
    full.palette = palette;
    full.bits = bmp::PackRows(rows, 8);
    Decoded d = Convert(bmp::Build(full));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rgb, Rgb({palette[0], palette[19], palette[20], palette[255]}));

    // 20 entries: the file header points past them; 20 and 255 are black.
    bmp::Spec twenty = full;
    twenty.colorsUsed = 20;
    twenty.palette.resize(20);
    d = Convert(bmp::Build(twenty));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rgb, Rgb({palette[0], palette[19], 0, 0}));

    // The same without the file header: the pixels follow the 20 entries.
    twenty.signature = false;
    d = Convert(bmp::Build(twenty));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rgb, Rgb({palette[0], palette[19], 0, 0}));

    // 300 colours declared and stored at 8 bits: the first 256 count, and
    // the file header points past all 300.
    bmp::Spec declared = full;
    declared.colorsUsed = 300;
    for (uint32_t k = 256; k < 300; ++k)
        declared.palette.push_back(0xffffff - k);
    d = Convert(bmp::Build(declared));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rgb, Rgb({palette[0], palette[19], palette[20], palette[255]}));

    // More colours than the bit depth holds: the first 2^bits count.
    bmp::Spec many = full;
    many.bitCount = 1;
    many.width = 2;
    many.colorsUsed = 5;
    many.palette.resize(5);
    many.bits = bmp::PackRows({{1, 0}}, 1);
    d = Convert(bmp::Build(many));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rgb, Rgb({palette[1], palette[0]}));
}

TEST(SnapshotColours, PackedIndicesHighBitsFirst)
{
    bmp::Spec one;
    one.width = 10;
    one.bitCount = 1;
    one.palette = {0x112233, 0xaabbcc};
    one.bits = {0b10110000, 0b01000000, 0, 0};
    Decoded d = Convert(bmp::Build(one));
    ASSERT_TRUE(d.ok);
    const uint32_t a = 0x112233, b = 0xaabbcc;
    EXPECT_EQ(d.rgb, Rgb({b, a, b, b, a, a, a, a, a, b}));

    bmp::Spec four;
    four.width = 3;
    four.bitCount = 4;
    four.palette = kPalette4;
    four.colorsUsed = uint32_t(kPalette4.size());
    four.bits = {0x21, 0x30, 0, 0};
    d = Convert(bmp::Build(four));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rgb, Rgb({kPalette4[2], kPalette4[1], kPalette4[3]}));
}

TEST(SnapshotColours, CoreHeaderUsesThreeByteEntries)
{
    bmp::Spec s;
    s.core = true;
    s.width = 3;
    s.height = 1;
    s.bitCount = 4;
    s.palette = std::vector<uint32_t>(16, 0x777777);
    s.palette[0] = 0x010203;
    s.palette[15] = 0xf0e0d0;
    s.bits = {0x0f, 0x70, 0, 0};
    Decoded d = Convert(bmp::Build(s));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rgb, Rgb({0x010203, 0xf0e0d0, 0x777777}));

    bmp::Spec rgb;
    rgb.core = true;
    rgb.width = 1;
    rgb.bits = {9, 8, 7, 0};
    d = Convert(bmp::Build(rgb));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rgb, (Bytes{7, 8, 9}));
}

// --- 16 and 32 bits ----------------------------------------------------------

TEST(SnapshotFields, SixteenBitsDefaultToFiveFiveFive)
{
    bmp::Spec s;
    s.width = 5;
    s.bitCount = 16;
    s.bits = bmp::PackRows({{0x7fff, 0x7c00, 0x0421, 0x8000 | 0x03e0, 0x2d6b}}, 16);
    const Decoded d = Convert(bmp::Build(s));
    ASSERT_TRUE(d.ok);
    // 5 bits abcde scale to abcdeabc; the top bit is unused.
    EXPECT_EQ(d.rgb, Rgb({0xffffff, 0xff0000, 0x080808, 0x00ff00, 0x5a5a5a}));
}

TEST(SnapshotFields, BitFieldMasksAreHonoured)
{
    struct Case {
        uint16_t bits;
        std::vector<uint32_t> masks;
        uint32_t pixel;
        uint32_t colour;
    };
    const Case cases[] = {
        {16, {0xf800, 0x07e0, 0x001f}, 0xf800, 0xff0000},                  // 5-6-5
        {16, {0xf800, 0x07e0, 0x001f}, 0x0020, 0x000400},                  // one green step of 6 bits
        {16, {0x0f00, 0x00f0, 0x000f}, 0x0a5f, 0xaa55ff},                  // 4-4-4
        {16, {0x8000, 0x4000, 0x2000}, 0xa000, 0xc000c0},                  // 1-bit fields: 11000000
        {32, {0x000000ff, 0x0000ff00, 0x00ff0000}, 0x00332211, 0x112233},  // RGBX order
        {32, {0x3ff00000, 0x000ffc00, 0x000003ff}, 0x3ffa9403, 0xffa900},  // 10 bits: top 8
        {32, {0xff000000, 0x00ff0000, 0x0000ff00}, 0xa1b2c3d4, 0xa1b2c3},
    };
    for (const Case& c : cases) {
        bmp::Spec s;
        s.width = 1;
        s.bitCount = c.bits;
        s.compression = bmp::kBitfields;
        s.masks = c.masks;
        s.bits = bmp::PackRows({{c.pixel}}, c.bits);
        Decoded d = Convert(bmp::Build(s));
        ASSERT_TRUE(d.ok) << std::hex << c.pixel;
        EXPECT_EQ(d.rgb, Rgb({c.colour})) << std::hex << "pixel " << c.pixel;

        s.signature = false;  // bare DIB: pixels right after the masks
        d = Convert(bmp::Build(s));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.rgb, Rgb({c.colour}));
    }
}

TEST(SnapshotFields, ThirtyTwoBitsDefaultToBgrx)
{
    bmp::Spec s;
    s.width = 5;
    s.bitCount = 32;
    s.bits = bmp::PackRows({{0xff123456, 0x00abcdef, 0x7f000001, 0x00010000, 0x80808080}}, 32);
    const Decoded d = Convert(bmp::Build(s));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rgb, Rgb({0x123456, 0xabcdef, 0x000001, 0x010000, 0x808080}));
}

// --- Row order ---------------------------------------------------------------

// A monitor's part of the desktop picture: its rows, still bottom first; an
// area that does not lie wholly inside gives none.
TEST(SnapshotRows, AMonitorsPartKeepsItsRowsBottomFirst)
{
    uint8_t pixels[3 * 3 * 3];  // 3 x 3; each byte is 10 * (row from the top) + column
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            std::fill_n(pixels + ((2 - y) * 3 + x) * 3, 3, uint8_t(10 * y + x));
    const RgbImage picture = {3, 3, pixels};
    RgbImage* part = CropRgbImage(picture, {1, 0, 2, 2});
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->width, 2);
    EXPECT_EQ(part->height, 2);
    EXPECT_EQ(std::vector<uint8_t>(part->pixels, part->pixels + 12),
              (std::vector<uint8_t>{11, 11, 11, 12, 12, 12, 1, 1, 1, 2, 2, 2}));
    FreeRgbImage(part);
    for (PictureArea outside :
         {PictureArea{2, 0, 2, 1}, PictureArea{0, 2, 1, 2}, PictureArea{-1, 0, 1, 1}, PictureArea{0, 0, 0, 1}})
        EXPECT_EQ(CropRgbImage(picture, outside), nullptr);
}

TEST(SnapshotRows, TopDownFilesComeOutBottomUp)
{
    const Rows bottomUp = {{0x010203, 0x040506}, {0x070809, 0x0a0b0c}, {0x0d0e0f, 0x101112}};
    bmp::Spec s;
    s.width = 2;
    s.height = 3;
    s.bits = bmp::PackRows(bottomUp, 24);
    const Decoded plain = Convert(bmp::Build(s));
    s.height = -3;
    s.bits = bmp::PackRows({bottomUp[2], bottomUp[1], bottomUp[0]}, 24);
    const Decoded flipped = Convert(bmp::Build(s));
    ASSERT_TRUE(plain.ok);
    ASSERT_TRUE(flipped.ok);
    EXPECT_EQ(flipped.height, 3);
    EXPECT_EQ(flipped.rgb, plain.rgb);
    EXPECT_EQ(plain.rgb, Rgb({0x010203, 0x040506, 0x070809, 0x0a0b0c, 0x0d0e0f, 0x101112}));
}

// --- Run-length encoding -------------------------------------------------------

TEST(SnapshotRle, Rle8RunsLiteralsDeltasAndUntouchedBlack)
{
    bmp::Rle r;
    r.Run(2, 1)
        .Literal({2, 3, 1})
        .Delta(1, 1)  // row 0: 1 1 2 3 1 -, a delta onto the row's very end
        .EndOfLine()  // row 1: - - - - - -
        .Delta(1, 0)
        .Run(1, 3)  // row 2 at x 1
        .Delta(3, 0)
        .Run(1, 2)  // row 2: - 3 - - - 2
        .EndOfBitmap();
    bmp::Spec s;
    s.width = 6;
    s.height = 3;
    s.bitCount = 8;
    s.compression = bmp::kRle8;
    s.palette = kPalette4;  // entry 0 is red: untouched pixels must still be black
    s.colorsUsed = uint32_t(kPalette4.size());
    s.sizeImage = uint32_t(r.bytes.size());
    s.bits = r.bytes;
    const Decoded d = Convert(bmp::Build(s));
    ASSERT_TRUE(d.ok);
    const uint32_t R = kPalette4[1], G = kPalette4[2], B = kPalette4[3];
    EXPECT_EQ(d.rgb, Rgb({R, R, G, B, R, 0, 0, 0, 0, 0, 0, 0, 0, B, 0, 0, 0, G}));
}

TEST(SnapshotRle, Rle4NibblesAlternateFromAnyColumn)
{
    bmp::Rle r;
    r.four = true;
    r.Run(1, 0x30)           // x 0
        .Run(5, 0x12)        // x 1..5 from an odd column: 1 2 1 2 1
        .Literal({3, 2, 1})  // x 6..8, odd count (padded)
        .EndOfLine()
        .Delta(1, 0)
        .Literal({2, 3, 3})
        .EndOfLine();  // row 1 from x 1
    bmp::Spec s;
    s.width = 9;
    s.height = 2;
    s.bitCount = 4;
    s.compression = bmp::kRle4;
    s.palette = kPalette4;
    s.colorsUsed = uint32_t(kPalette4.size());
    s.sizeImage = uint32_t(r.bytes.size());
    s.bits = r.bytes;
    const Decoded d = Convert(bmp::Build(s));  // the last end-of-line ends it
    ASSERT_TRUE(d.ok);
    const uint32_t A = kPalette4[1], G = kPalette4[2], B = kPalette4[3];
    EXPECT_EQ(d.rgb, Rgb({B, A, G, A, G, A, B, G, A, 0, G, B, B, 0, 0, 0, 0, 0}));
}

// An image size of 0 stands for the unpadded uncompressed size, which bounds
// the stream; a larger stated size is bounded by the file.
TEST(SnapshotRle, StreamBoundedByImageSizeAndFile)
{
    bmp::Rle r;
    r.Run(3, 1).EndOfBitmap();
    bmp::Spec s;
    s.width = 3;
    s.height = 1;
    s.bitCount = 8;
    s.compression = bmp::kRle8;
    s.palette = kPalette4;
    s.colorsUsed = uint32_t(kPalette4.size());
    s.bits = r.bytes;
    s.sizeImage = 0;  // 3 bytes: the end-of-bitmap is cut off
    EXPECT_FALSE(Convert(bmp::Build(s)).ok);
    EXPECT_EQ(shown, std::vector<std::string>{"Image file conversion error."});
    s.sizeImage = 1000;
    EXPECT_TRUE(Convert(bmp::Build(s)).ok);
    s.bits.pop_back();
    EXPECT_FALSE(Convert(bmp::Build(s)).ok);
}

// --- Malformed files --------------------------------------------------------

struct Bad {
    const char* what;
    Bytes file;
    const char* message;
};

bmp::Spec Rgb24(int32_t w, int32_t h)
{
    bmp::Spec s;
    s.width = w;
    s.height = h;
    s.bits.assign(size_t((w * 3 + 3) / 4 * 4) * (h < 0 ? -h : h), 0x40);
    return s;
}

bmp::Spec Rle8(const bmp::Rle& r, int32_t w = 4, int32_t h = 2)
{
    bmp::Spec s;
    s.width = w;
    s.height = h;
    s.bitCount = 8;
    s.compression = bmp::kRle8;
    s.palette = kPalette4;
    s.colorsUsed = uint32_t(kPalette4.size());
    s.bits = r.bytes;
    s.sizeImage = uint32_t(r.bytes.size());
    return s;
}

template <typename F>
Bytes Edit(bmp::Spec s, F f)
{
    f(s);
    return bmp::Build(s);
}

// The same file claiming other sides.
Bytes Sized(bmp::Spec s, int32_t width, int32_t height)
{
    return Edit(s, [&](auto& spec) {
        spec.width = width;
        spec.height = height;
    });
}

TEST(SnapshotMalformed, RefusedWithTheirMessage)
{
    const char* kConv = "Image file conversion error.";
    const char* kFormat = "Unknown DIB file format.";
    const char* kMemory = "Out of memory.";
    const Bytes good = bmp::Build(Rgb24(3, 2));
    // 21 pixel bytes needed (the last row unpadded), 20 left.
    const Bytes truncated(good.begin(), good.end() - 4);
    const Bytes coreFile = Edit(Rgb24(1, 1), [](auto& s) { s.core = true; });
    Bytes offsetPast = good;
    offsetPast[10] = uint8_t(good.size() + 1);
    Bytes shortTable = Edit(Rgb24(1, 1), [](auto& s) {
        s.bitCount = 8;
        s.palette.resize(200);
        s.bitsOffset = 0;
        s.bits.clear();
    });

    const std::vector<Bad> cases = {
        {"one byte", {'B'}, kFormat},
        {"file header only", Bytes(good.begin(), good.begin() + 16), kFormat},
        {"108-byte header", Edit(Rgb24(2, 2), [](auto& s) { s.headerSize = 108; }), kFormat},
        {"124-byte header", Edit(Rgb24(2, 2), [](auto& s) { s.headerSize = 124; }), kFormat},
        {"64-byte header", Edit(Rgb24(2, 2), [](auto& s) { s.headerSize = 64; }), kFormat},
        {"header cut", Bytes(good.begin(), good.begin() + 40), kConv},
        {"core header cut", Bytes(coreFile.begin(), coreFile.begin() + 22), kConv},
        {"pixels one byte short", truncated, kConv},
        {"pixel offset past the end", offsetPast, kConv},
        {"colour table cut", shortTable, kConv},
        {"masks cut",
         Edit(Rgb24(1, 1),
              [](auto& s) {
                  s.bitCount = 32;
                  s.compression = bmp::kBitfields;
                  s.masks = {0xff};
                  s.bits.clear();
              }),
         kConv},
        {"zero mask",
         Edit(Rgb24(1, 1),
              [](auto& s) {
                  s.bitCount = 32;
                  s.compression = bmp::kBitfields;
                  s.masks = {0xff, 0, 0xff00};
              }),
         kConv},
        {"bit fields at 24 bits",
         Edit(Rgb24(1, 1),
              [](auto& s) {
                  s.compression = bmp::kBitfields;
                  s.masks = {1, 2, 4};
              }),
         kConv},
        {"JPEG payload", Edit(Rgb24(1, 1), [](auto& s) { s.compression = 4; }), kConv},
        {"PNG payload", Edit(Rgb24(1, 1), [](auto& s) { s.compression = 5; }), kConv},
        {"unknown compression", Edit(Rgb24(1, 1), [](auto& s) { s.compression = 0x1234; }), kConv},
        {"RLE8 at 4 bits", Edit(Rle8(bmp::Rle().EndOfBitmap()), [](auto& s) { s.bitCount = 4; }), kConv},
        {"RLE top-down", Edit(Rle8(bmp::Rle().EndOfBitmap()), [](auto& s) { s.height = -2; }), kConv},
        {"width 0", Edit(Rgb24(1, 1), [](auto& s) { s.width = 0; }), kConv},
        {"negative width", Edit(Rgb24(1, 1), [](auto& s) { s.width = -1; }), kConv},
        {"height 0", Edit(Rgb24(1, 1), [](auto& s) { s.height = 0; }), kConv},
        {"no planes", Edit(Rgb24(1, 1), [](auto& s) { s.planes = 0; }), kConv},
        {"2 bits", Edit(Rgb24(1, 1), [](auto& s) { s.bitCount = 2; }), kConv},
        {"0 bits", Edit(Rgb24(1, 1), [](auto& s) { s.bitCount = 0; }), kConv},
        {"64 bits", Edit(Rgb24(1, 1), [](auto& s) { s.bitCount = 64; }), kConv},
        {"size overflows", Sized(Rgb24(1, 1), 0x7fffffff, 0x7fffffff), kMemory},
        {"top-down size overflows", Sized(Rgb24(1, 1), 0x10000, INT32_MIN), kMemory},
        {"source size overflows",
         Edit(Rgb24(1, 1),
              [](auto& s) {
                  s.bitCount = 32;
                  s.width = 40000;
                  s.height = 30000;
              }),
         kMemory},
        {"huge RLE picture", Sized(Rle8(bmp::Rle().EndOfBitmap()), 70000, 70000), kMemory},
        {"huge picture, little data", Sized(Rgb24(1, 1), 20000, 20000), kMemory},
        {"RLE wider than any screen", Sized(Rle8(bmp::Rle().EndOfBitmap()), 16385, 1), kMemory},
        {"RLE taller than any screen", Sized(Rle8(bmp::Rle().EndOfBitmap()), 1, 16385), kMemory},
        {"RLE as wide as the largest screen", Sized(Rle8(bmp::Rle().EndOfBitmap()), 16384, 1), nullptr},
        {"largest sides, little data", Sized(Rgb24(1, 1), 16384, 16384), kMemory},
        // A few bytes of RLE asking for more pixels than an 8K screen has.
        {"RLE of the largest sides", Sized(Rle8(bmp::Rle().EndOfBitmap()), 16384, 16384), kMemory},
        {"RLE one row over 2^26 pixels", Sized(Rle8(bmp::Rle().EndOfBitmap()), 16384, 4097), kMemory},
        {"largest picture, little data", Sized(Rgb24(1, 1), 16384, 4096), kConv},
        {"RLE run past the row", bmp::Build(Rle8(bmp::Rle().Run(5, 1).EndOfBitmap())), kConv},
        {"RLE run past the row later", bmp::Build(Rle8(bmp::Rle().Run(3, 1).Run(2, 1).EndOfBitmap())), kConv},
        {"RLE literal past the row", bmp::Build(Rle8(bmp::Rle().Run(2, 1).Literal({1, 2, 3}).EndOfBitmap())), kConv},
        {"RLE delta past the row", bmp::Build(Rle8(bmp::Rle().Delta(5, 0).EndOfBitmap())), kConv},
        {"RLE delta past the picture", bmp::Build(Rle8(bmp::Rle().Delta(0, 2).EndOfBitmap())), kConv},
        {"RLE without an end", bmp::Build(Rle8(bmp::Rle().Run(4, 1))), kConv},
        {"RLE literal cut", bmp::Build(Rle8(bmp::Rle().Push({0, 4, 1, 2}))), kConv},
        {"RLE delta cut", bmp::Build(Rle8(bmp::Rle().Push({0, 2, 1}))), kConv},
        {"RLE empty", bmp::Build(Rle8(bmp::Rle())), kConv},
    };
    for (const Bad& c : cases) {
        const Decoded d = Convert(c.file);
        if (c.message == nullptr) {
            EXPECT_TRUE(d.ok) << c.what;
            continue;
        }
        EXPECT_FALSE(d.ok) << c.what;
        EXPECT_EQ(shown, std::vector<std::string>{c.message}) << c.what;
    }
}

// The end of the last row ends the picture; what follows is not read.
TEST(SnapshotMalformed, NothingReadAfterTheLastRow)
{
    bmp::Rle r;
    r.Run(4, 1).EndOfLine().Run(4, 2).EndOfLine().Run(9, 9).Delta(9, 9);
    const Decoded d = Convert(bmp::Build(Rle8(r)));
    ASSERT_TRUE(d.ok);
    EXPECT_TRUE(shown.empty());
}

// Every prefix of valid files of each kind: refused or decoded, never a
// stray read (ASan) and always exactly one message when refused.
TEST(SnapshotMalformed, EveryTruncation)
{
    std::vector<Bytes> files = {
        bmp::Build(Rgb24(3, 2)),
        bmp::Build(Rle8(bmp::Rle().Run(1, 1).Literal({1, 2, 3}).EndOfLine().Delta(1, 0).Run(1, 3).EndOfBitmap())),
        Edit(Rgb24(2, 2),
             [](auto& s) {
                 s.core = true;
                 s.bitCount = 4;
                 s.palette = kPalette4;
                 s.palette.resize(16);
                 s.bits = {0x12, 0, 0, 0, 0x30, 0, 0, 0};
             }),
        Edit(Rgb24(2, 1),
             [](auto& s) {
                 s.bitCount = 16;
                 s.compression = bmp::kBitfields;
                 s.masks = {0xf800, 0x7e0, 0x1f};
                 s.bits = {1, 2, 3, 4};
             }),
    };
    for (const Bytes& file : files) {
        for (size_t n = 0; n < file.size(); ++n) {
            const Decoded d = Convert(Bytes(file.begin(), file.begin() + n));
            EXPECT_EQ(shown.size(), d.ok ? 0u : 1u) << n;
        }
        EXPECT_TRUE(Convert(file).ok) << (shown.empty() ? "" : shown[0]) << " size " << file.size();
    }
}

// --- Opening the file ---------------------------------------------------------

TEST_F(SnapshotTest, MissingFileIsQuiet)
{
    const std::string path = TempPath("missing.bmp");
    EXPECT_EQ(LoadSnapshotImage(path.c_str()), nullptr);
    EXPECT_EQ(LoadSnapshotImage(nullptr), nullptr);
    EXPECT_TRUE(shown.empty());

    // The reader itself (no probe) names the file.
    EXPECT_EQ(ReadDibFile(path.c_str()), nullptr);
    EXPECT_EQ(shown, std::vector<std::string>{"Failed to open DIB file " + path + ".\n"});
}

TEST_F(SnapshotTest, EmptyFilePassesTheProbeButCannotBeMapped)
{
    const std::string path = File("empty.bmp", {});
    EXPECT_EQ(LoadSnapshotImage(path.c_str()), nullptr);
    EXPECT_EQ(shown, std::vector<std::string>{"Failed to open DIB file " + path + ".\n"});
}

TEST_F(SnapshotTest, FileMessagesComeFromTheDecoder)
{
    const std::string path = File("v5.bmp", Edit(Rgb24(2, 2), [](auto& s) { s.headerSize = 124; }));
    EXPECT_EQ(LoadSnapshotImage(path.c_str()), nullptr);
    EXPECT_EQ(shown, std::vector<std::string>{"Unknown DIB file format."});
}

TEST(SnapshotPathTest, FixedPath)
{
    EXPECT_STREQ(SnapshotPath, "c:\\velkor\\Brinefold.bmp");
}

}  // namespace

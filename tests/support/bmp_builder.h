// Test-side bitmap files: a small builder for every header, table and pixel
// layout the snapshot reader meets, malformed ones included (every stored
// field is set as given, nothing is checked or fixed up).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

namespace bmp {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3;

struct Spec {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bitCount = 24;
    uint32_t compression = kRgb;
    bool core = false;        // the 12-byte core header instead of the 40-byte one
    bool signature = true;    // the 14-byte "BM" file header
    uint32_t headerSize = 0;  // 0: 12 or 40 as `core` says; else stored as given (and padded)
    uint16_t planes = 1;
    uint32_t sizeImage = 0;
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> palette;       // 0x00RRGGBB, all stored (3 bytes each with the core header)
    std::vector<uint32_t> masks;         // stored right after the header
    std::vector<uint8_t> bits;           // pixel data as stored
    std::optional<uint32_t> bitsOffset;  // the file header's offset; default: right after the table
};

inline void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

inline std::vector<uint8_t> Build(const Spec& s)
{
    std::vector<uint8_t> out;
    if (s.signature) {
        out = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    }
    const size_t headerAt = out.size();
    const uint32_t headerSize = s.headerSize != 0 ? s.headerSize : (s.core ? 12 : 40);
    Put32(out, headerSize);
    if (s.core) {
        Put16(out, static_cast<uint32_t>(s.width));
        Put16(out, static_cast<uint32_t>(s.height));
        Put16(out, s.planes);
        Put16(out, s.bitCount);
    } else {
        Put32(out, static_cast<uint32_t>(s.width));
        Put32(out, static_cast<uint32_t>(s.height));
        Put16(out, s.planes);
        Put16(out, s.bitCount);
        Put32(out, s.compression);
        Put32(out, s.sizeImage);
        Put32(out, 2835);
        Put32(out, 2835);
        Put32(out, s.colorsUsed);
        Put32(out, 0);
    }
    out.resize(headerAt + headerSize, 0);
    for (uint32_t m : s.masks)
        Put32(out, m);
    for (uint32_t c : s.palette) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
        out.push_back(static_cast<uint8_t>(c >> 16));
        if (!s.core)
            out.push_back(0);
    }
    const uint32_t offset = s.bitsOffset.value_or(static_cast<uint32_t>(out.size()));
    out.insert(out.end(), s.bits.begin(), s.bits.end());
    if (s.signature) {
        const uint32_t fileSize = static_cast<uint32_t>(out.size());
        for (int k = 0; k < 4; ++k) {
            out[2 + k] = static_cast<uint8_t>(fileSize >> (8 * k));
            out[10 + k] = static_cast<uint8_t>(offset >> (8 * k));
        }
    }
    return out;
}

// Stored rows (first row first) of pixel values at `bitCount`, each row padded
// to 4 bytes. Values: palette indices, 16/32-bit words, or 0x00RRGGBB for 24.
inline std::vector<uint8_t> PackRows(const std::vector<std::vector<uint32_t>>& rows, uint16_t bitCount)
{
    std::vector<uint8_t> out;
    for (const auto& row : rows) {
        const size_t start = out.size();
        if (bitCount < 8) {
            const size_t bytes = (row.size() * bitCount + 7) / 8;
            out.resize(start + bytes, 0);
            for (size_t x = 0; x < row.size(); ++x) {
                const size_t bit = x * bitCount;
                const int shift = 8 - bitCount - static_cast<int>(bit % 8);
                out[start + bit / 8] |= static_cast<uint8_t>((row[x] & ((1u << bitCount) - 1)) << shift);
            }
        } else {
            for (uint32_t v : row) {
                for (int k = 0; k < bitCount / 8; ++k)
                    out.push_back(static_cast<uint8_t>(v >> (8 * k)));
            }
        }
        while ((out.size() - start) % 4 != 0)
            out.push_back(0);
    }
    return out;
}

// A 24-bit bottom-up file, width x height, as a screen capture stores it:
// pixel(x, y) gives 0x00RRGGBB, y = 0 the bottom row.
template <typename PixelFn>
std::vector<uint8_t> Rgb24(int32_t width, int32_t height, PixelFn pixel)
{
    std::vector<std::vector<uint32_t>> rows(static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x)
            rows[static_cast<size_t>(y)].push_back(pixel(x, y));
    }
    Spec s;
    s.width = width;
    s.height = height;
    s.bits = PackRows(rows, 24);
    s.sizeImage = static_cast<uint32_t>(s.bits.size());
    return Build(s);
}

// An RLE4/RLE8 stream, op by op (nothing is checked: malformed streams too).
struct Rle {
    bool four = false;
    std::vector<uint8_t> bytes;

    // `count` pixels of one index (RLE4: `value`'s two nibbles alternating).
    Rle& Run(uint8_t count, uint8_t value)
    {
        return Push({count, value});
    }
    // Literal indices (3 or more: fewer would read as an escape), padded to
    // a 16-bit boundary.
    Rle& Literal(const std::vector<uint8_t>& indices)
    {
        Push({0, static_cast<uint8_t>(indices.size())});
        const size_t start = bytes.size();
        if (four) {
            for (size_t k = 0; k < indices.size(); ++k) {
                if (k % 2 == 0)
                    bytes.push_back(static_cast<uint8_t>(indices[k] << 4));
                else
                    bytes.back() |= indices[k] & 0x0f;
            }
        } else {
            bytes.insert(bytes.end(), indices.begin(), indices.end());
        }
        if ((bytes.size() - start) % 2 != 0)
            bytes.push_back(0);
        return *this;
    }
    Rle& EndOfLine()
    {
        return Push({0, 0});
    }
    Rle& EndOfBitmap()
    {
        return Push({0, 1});
    }
    Rle& Delta(uint8_t right, uint8_t up)
    {
        return Push({0, 2, right, up});
    }
    Rle& Push(std::initializer_list<uint8_t> b)
    {
        bytes.insert(bytes.end(), b);
        return *this;
    }
};

}  // namespace bmp

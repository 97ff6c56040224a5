// The snapshot reader's portable part: the bitmap decoder, the colour count,
// the probe before reading, and the steps both platform readers share.
//
// The decoder yields what GDI's SetDIBits gives when it converts the file
// into a 24-bit DIB section (palette lookup, RLE runs, 16/32-bit field
// scaling), but it never trusts the header: every offset and size is checked
// against the bytes present before anything is read or allocated.
#include "renderer/snapshot_decode.h"

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The row converters move whole words and name their bytes from the low end.
static_assert(std::endian::native == std::endian::little);

const char kDibOpenFailedFormat[] = "Failed to open DIB file %s.\n";
const char kDibUnknownFormat[] = "Unknown DIB file format.";
const char kDibOutOfMemory[] = "Out of memory.";
const char kDibConversionError[] = "Image file conversion error.";
const char kDibCaption[] = "Error";

namespace {

constexpr uint64_t kLargestSide = 16384;                 // pixels, either way
constexpr uint64_t kLargestPicture = uint64_t{1} << 26;  // pixels in all: an 8K x 8K screen

// Compression values of the information header.
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

constexpr uint32_t kMasks555[3] = {0x7c00, 0x03e0, 0x001f};
constexpr uint32_t kMasks888[3] = {0xff0000, 0x00ff00, 0x0000ff};

inline uint16_t Le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

DibField FieldOf(uint32_t mask)
{
    DibField field{0, 0};
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++field.shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++field.length;
    }
    return field;
}

namespace {

// A field scaled to 8 bits the way GDI does it: the top bits of the field,
// with the field's high bits repeated once into the low ones (5 bits abcde
// give abcdeabc, 1 bit gives 11000000 or 0).
inline uint8_t FieldValue(uint32_t pixel, DibField field)
{
    static constexpr uint32_t kTopBits[9] = {0x00, 0x80, 0xc0, 0xe0, 0xf0, 0xf8, 0xfc, 0xfe, 0xff};
    const int move = field.shift + field.length - 8;
    uint32_t v = move < 0 ? pixel << -move : pixel >> move;
    v &= kTopBits[field.length < 8 ? field.length : 8];
    if (field.length < 8) {
        v |= v >> field.length;
    }
    return static_cast<uint8_t>(v);
}

void DecodeIndexedRow(const DibLayout& l, const uint8_t* s, uint8_t* d)
{
    const int32_t w = l.width;
    switch (l.bitCount) {
    case 8:
        for (int32_t x = 0; x < w; ++x, d += 3) {
            std::memcpy(d, l.palette[s[x]], 3);
        }
        break;
    case 4:
        for (int32_t x = 0; x < w; ++x, d += 3) {
            const uint8_t index = (x & 1) ? (s[x >> 1] & 0x0f) : (s[x >> 1] >> 4);
            std::memcpy(d, l.palette[index], 3);
        }
        break;
    default:  // 1
        for (int32_t x = 0; x < w; ++x, d += 3) {
            const uint8_t index = (s[x >> 3] >> (7 - (x & 7))) & 1;
            std::memcpy(d, l.palette[index], 3);
        }
        break;
    }
}

// Blue-green-red to red-green-blue, four pixels (three words) at a time.
void DecodeRgb24Row(const uint8_t* s, uint8_t* d, int32_t w)
{
    int32_t x = 0;
    for (; x + 4 <= w; x += 4, s += 12, d += 12) {
        uint32_t a, b, c;  // b0 g0 r0 b1 | g1 r1 b2 g2 | r2 b3 g3 r3
        std::memcpy(&a, s, 4);
        std::memcpy(&b, s + 4, 4);
        std::memcpy(&c, s + 8, 4);
        const uint32_t o0 = ((a >> 16) & 0xff) | (a & 0xff00) | ((a & 0xff) << 16) | ((b >> 8) & 0xff) << 24;
        const uint32_t o1 = (b & 0xff) | (a >> 24) << 8 | (c & 0xff) << 16 | (b >> 24) << 24;
        const uint32_t o2 = ((b >> 16) & 0xff) | (c >> 24) << 8 | (c & 0xff0000) | ((c >> 8) & 0xff) << 24;
        std::memcpy(d, &o0, 4);
        std::memcpy(d + 4, &o1, 4);
        std::memcpy(d + 8, &o2, 4);
    }
    for (; x < w; ++x, s += 3, d += 3) {
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
    }
}

// The usual 32-bit layout (blue, green, red, unused byte).
void DecodeBgrxRow(const uint8_t* s, uint8_t* d, int32_t w)
{
    int32_t x = 0;
    for (; x + 4 <= w; x += 4, s += 16, d += 12) {
        uint32_t p[4];
        std::memcpy(p, s, 16);
        const uint32_t o0 = ((p[0] >> 16) & 0xff) | (p[0] & 0xff00) | (p[0] & 0xff) << 16 | ((p[1] >> 16) & 0xff) << 24;
        const uint32_t o1 = ((p[1] >> 8) & 0xff) | (p[1] & 0xff) << 8 | (p[2] & 0xff0000) | ((p[2] >> 8) & 0xff) << 24;
        const uint32_t o2 = (p[2] & 0xff) | (p[3] & 0xff0000) >> 8 | (p[3] & 0xff00) << 8 | (p[3] & 0xff) << 24;
        std::memcpy(d, &o0, 4);
        std::memcpy(d + 4, &o1, 4);
        std::memcpy(d + 8, &o2, 4);
    }
    for (; x < w; ++x, s += 4, d += 3) {
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
    }
}

void DecodeFieldsRow(const DibLayout& l, const uint8_t* s, uint8_t* d)
{
    const DibField r = l.fields[0], g = l.fields[1], b = l.fields[2];
    const int32_t w = l.width;
    if (l.encoding == DibEncoding::Fields16) {
        for (int32_t x = 0; x < w; ++x, s += 2, d += 3) {
            const uint32_t pixel = Le16(s);
            d[0] = FieldValue(pixel, r);
            d[1] = FieldValue(pixel, g);
            d[2] = FieldValue(pixel, b);
        }
        return;
    }
    if (std::memcmp(l.masks, kMasks888, sizeof kMasks888) == 0) {
        DecodeBgrxRow(s, d, w);
        return;
    }
    for (int32_t x = 0; x < w; ++x, s += 4, d += 3) {
        const uint32_t pixel = Le32(s);
        d[0] = FieldValue(pixel, r);
        d[1] = FieldValue(pixel, g);
        d[2] = FieldValue(pixel, b);
    }
}

// Runs fill their pixels with palette colours; pixels no run reaches stay
// black (GDI leaves them untouched in the zeroed section). The stream must
// end (end of bitmap, or end of line past the last row) before its bytes do,
// and no run or delta may leave its row or the picture.
DibStatus DecodeRle(const DibLayout& l, uint8_t* rgb)
{
    std::memset(rgb, 0, DibOutputBytes(l));
    const uint8_t* s = l.bits;
    const size_t n = l.bitsSize;
    const bool four = l.encoding == DibEncoding::Rle4;
    const int64_t w = l.width;
    int64_t x = 0, y = 0;  // y counts rows from the bottom, as stored
    size_t i = 0;
    for (;;) {
        if (n - i < 2) {
            return DibStatus::ConversionError;
        }
        const uint8_t count = s[i];
        const uint8_t value = s[i + 1];
        i += 2;
        if (count != 0) {  // a run of one index (RLE4: two alternating)
            if (x + count > w) {
                return DibStatus::ConversionError;
            }
            uint8_t* d = rgb + (static_cast<size_t>(y) * w + x) * 3;
            for (int k = 0; k < count; ++k, d += 3) {
                const uint8_t index = !four ? value : (k & 1) ? (value & 0x0f) : (value >> 4);
                std::memcpy(d, l.palette[index], 3);
            }
            x += count;
            continue;
        }
        switch (value) {
        case 0:  // end of line
            x = 0;
            if (++y >= l.rows) {
                return DibStatus::Ok;
            }
            break;
        case 1:  // end of bitmap
            return DibStatus::Ok;
        case 2:  // delta: right and up
            if (n - i < 2) {
                return DibStatus::ConversionError;
            }
            x += s[i];
            y += s[i + 1];
            i += 2;
            if (x > w || y >= l.rows) {
                return DibStatus::ConversionError;
            }
            break;
        default: {  // `value` literal indices, padded to a 16-bit boundary
            const size_t bytes = four ? (value + 1u) / 2 : value;
            if (n - i < bytes || x + value > w) {
                return DibStatus::ConversionError;
            }
            uint8_t* d = rgb + (static_cast<size_t>(y) * w + x) * 3;
            for (int k = 0; k < value; ++k, d += 3) {
                const uint8_t index = !four ? s[i + k] : (k & 1) ? (s[i + k / 2] & 0x0f) : (s[i + k / 2] >> 4);
                std::memcpy(d, l.palette[index], 3);
            }
            x += value;
            i += bytes + (bytes & 1);
            if (i > n) {
                i = n;
            }
            break;
        }
        }
    }
}

}  // namespace

uint16_t CountDibColors(const uint8_t* header)
{
    uint16_t bitCount;
    if (Le32(header) == kBmpCoreHeaderBytes) {
        bitCount = Le16(header + 10);
    } else {
        const uint32_t colorsUsed = Le32(header + 32);
        if (colorsUsed != 0) {
            return static_cast<uint16_t>(colorsUsed);
        }
        bitCount = Le16(header + 14);
    }
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

const char* DibStatusMessage(DibStatus status)
{
    switch (status) {
    case DibStatus::UnknownFormat: return kDibUnknownFormat;
    case DibStatus::OutOfMemory: return kDibOutOfMemory;
    case DibStatus::ConversionError: return kDibConversionError;
    case DibStatus::Ok: break;
    }
    return nullptr;
}

namespace {

// The bitmap header's fields, whichever of the two headers the file has.
struct DibHeader {
    size_t at = 0;      // where it starts in the file
    uint32_t size = 0;  // 12 (core) or 40 (information header)
    bool core = false;
    int64_t width = 0, height = 0;
    uint16_t planes = 0, bitCount = 0;
    uint32_t compression = kBiRgb, sizeImage = 0, colorsUsed = 0;

    bool Rle() const
    {
        return compression == kBiRle8 || compression == kBiRle4;
    }
    size_t TableEntrySize() const
    {
        return core ? 3 : 4;
    }
};

// The header after the file header, or at the start of a bare DIB.
DibStatus ReadDibHeader(const uint8_t* file, size_t size, bool signature, DibHeader& d)
{
    d.at = signature ? kBmpFileHeaderBytes : 0;
    if (size < d.at + 4) {
        return DibStatus::UnknownFormat;
    }
    const uint8_t* h = file + d.at;
    d.size = Le32(h);
    if (d.size != kBmpCoreHeaderBytes && d.size != kBmpInfoHeaderBytes) {
        return DibStatus::UnknownFormat;
    }
    if (size - d.at < d.size) {
        return DibStatus::ConversionError;
    }
    d.core = d.size == kBmpCoreHeaderBytes;
    if (d.core) {  // unsigned 16-bit sizes; always bottom-up
        d.width = Le16(h + 4);
        d.height = Le16(h + 6);
        d.planes = Le16(h + 8);
        d.bitCount = Le16(h + 10);
        d.colorsUsed = CountDibColors(h);
    } else {
        d.width = static_cast<int32_t>(Le32(h + 4));
        d.height = static_cast<int32_t>(Le32(h + 8));
        d.planes = Le16(h + 12);
        d.bitCount = Le16(h + 14);
        d.compression = Le32(h + 16);
        d.sizeImage = Le32(h + 20);
        d.colorsUsed = Le32(h + 32);
    }
    return DibStatus::Ok;
}

// The layouts GDI converts, at a size a screen can have; fills the picture's
// geometry.
DibStatus CheckDibGeometry(const DibHeader& d, DibLayout& l)
{
    if (d.width <= 0 || d.height == 0) {
        return DibStatus::ConversionError;
    }
    if (d.Rle()) {
        if (d.height < 0 || d.bitCount != (d.compression == kBiRle4 ? 4 : 8)) {
            return DibStatus::ConversionError;
        }
    } else {
        if (d.planes == 0) {
            return DibStatus::ConversionError;
        }
        switch (d.bitCount) {
        case 1:
        case 4:
        case 8:
        case 24:
            if (d.compression != kBiRgb)
                return DibStatus::ConversionError;
            break;
        case 16:
        case 32:
            if (d.compression != kBiRgb && d.compression != kBiBitfields)
                return DibStatus::ConversionError;
            break;
        default: return DibStatus::ConversionError;
        }
    }
    const uint64_t rows = static_cast<uint64_t>(d.height < 0 ? -d.height : d.height);
    // No screen is that large, and a few bytes of RLE could otherwise have the
    // start-up allocate and clear gigabytes for a picture nobody can see.
    if (static_cast<uint64_t>(d.width) > kLargestSide || rows > kLargestSide ||
        static_cast<uint64_t>(d.width) * rows > kLargestPicture) {
        return DibStatus::OutOfMemory;
    }
    l.width = static_cast<int32_t>(d.width);
    l.rows = static_cast<int32_t>(rows);
    l.topDown = d.height < 0;
    l.bitCount = d.bitCount;
    l.stride = (static_cast<size_t>(d.width) * d.bitCount + 31) / 32 * 4;
    return DibStatus::Ok;
}

// Colour masks of 16- and 32-bit files: stored right after the header by
// bit-field files, else the fixed 5-5-5 and 8-8-8 ones. Moves `tableAt` past
// stored masks.
DibStatus ReadDibMasks(const uint8_t* file, size_t size, const DibHeader& d, size_t& tableAt, DibLayout& l)
{
    if (d.bitCount != 16 && d.bitCount != 32) {
        return DibStatus::Ok;
    }
    if (d.compression == kBiBitfields) {
        if (size - tableAt < 12) {
            return DibStatus::ConversionError;
        }
        for (int c = 0; c < 3; ++c) {
            l.masks[c] = Le32(file + tableAt + 4 * c);
            if (l.masks[c] == 0) {
                return DibStatus::ConversionError;
            }
        }
        tableAt += 12;
    } else {
        std::memcpy(l.masks, d.bitCount == 16 ? kMasks555 : kMasks888, sizeof l.masks);
    }
    for (int c = 0; c < 3; ++c) {
        l.fields[c] = FieldOf(l.masks[c]);
    }
    return DibStatus::Ok;
}

// Colour table: colours used entries (at most 2^bits), else all 2^bits;
// indices past the table are black.
DibStatus ReadDibColorTable(const uint8_t* file, size_t size, const DibHeader& d, size_t tableAt, DibLayout& l)
{
    if (d.bitCount > 8) {
        return DibStatus::Ok;
    }
    const uint32_t most = 1u << d.bitCount;
    const uint32_t used = d.colorsUsed == 0 || d.colorsUsed > most ? most : d.colorsUsed;
    if ((size - tableAt) / d.TableEntrySize() < used) {
        return DibStatus::ConversionError;
    }
    for (uint32_t e = 0; e < used; ++e) {
        const uint8_t* q = file + tableAt + e * d.TableEntrySize();
        l.palette[e][0] = q[2];
        l.palette[e][1] = q[1];
        l.palette[e][2] = q[0];
    }
    return DibStatus::Ok;
}

// Pixel data: where the file header says, or right after the colour table of
// a bare DIB (colours used entries, at most 256, else 2^bits); how many bytes
// of it the decoder may read, and how.
DibStatus LocateDibPixels(const uint8_t* file, size_t size, bool signature, const DibHeader& d, size_t tableAt,
                          DibLayout& l)
{
    uint64_t bitsAt;
    if (signature) {
        bitsAt = Le32(file + 10);
    } else {
        uint64_t entries =
            d.colorsUsed != 0 ? (d.colorsUsed < 256 ? d.colorsUsed : 256) : (d.bitCount <= 8 ? 1u << d.bitCount : 0);
        bitsAt = tableAt + entries * d.TableEntrySize();
    }
    if (bitsAt > size) {
        return DibStatus::ConversionError;
    }
    l.bits = file + bitsAt;
    const uint64_t available = size - bitsAt;
    const uint64_t rowBytes = (static_cast<uint64_t>(d.width) * d.bitCount + 7) / 8;

    if (d.Rle()) {
        l.encoding = d.compression == kBiRle4 ? DibEncoding::Rle4 : DibEncoding::Rle8;
        // An unset image size is taken as the unpadded uncompressed size.
        const uint64_t limit = d.sizeImage != 0 ? d.sizeImage : rowBytes * static_cast<uint64_t>(l.rows);
        l.bitsSize = static_cast<size_t>(limit < available ? limit : available);
        return DibStatus::Ok;
    }
    const uint64_t needed = l.stride * static_cast<uint64_t>(l.rows - 1) + rowBytes;
    if (available < needed) {
        return DibStatus::ConversionError;
    }
    l.bitsSize = static_cast<size_t>(needed);
    switch (d.bitCount) {
    case 16: l.encoding = DibEncoding::Fields16; break;
    case 24: l.encoding = DibEncoding::Rgb24; break;
    case 32: l.encoding = DibEncoding::Fields32; break;
    default: l.encoding = DibEncoding::Indexed; break;
    }
    return DibStatus::Ok;
}

}  // namespace

DibStatus ParseDib(const uint8_t* file, size_t size, DibLayout* layout)
{
    DibLayout& l = *layout;
    l = DibLayout{};
    // With the file header the bitmap header follows it; without, the file
    // is a bare DIB (header, masks, colour table, pixels packed together).
    const bool signature = size >= 2 && file[0] == 'B' && file[1] == 'M';
    DibHeader header;
    DibStatus status = ReadDibHeader(file, size, signature, header);
    if (status == DibStatus::Ok)
        status = CheckDibGeometry(header, l);
    size_t tableAt = header.at + header.size;
    if (status == DibStatus::Ok)
        status = ReadDibMasks(file, size, header, tableAt, l);
    if (status == DibStatus::Ok)
        status = ReadDibColorTable(file, size, header, tableAt, l);
    if (status == DibStatus::Ok)
        status = LocateDibPixels(file, size, signature, header, tableAt, l);
    return status;
}

size_t DibOutputBytes(const DibLayout& layout)
{
    return static_cast<size_t>(layout.width) * static_cast<size_t>(layout.rows) * 3;
}

DibStatus DecodeDib(const DibLayout& l, uint8_t* rgb)
{
    if (l.encoding == DibEncoding::Rle4 || l.encoding == DibEncoding::Rle8) {
        return DecodeRle(l, rgb);
    }
    const size_t outStride = static_cast<size_t>(l.width) * 3;
    for (int32_t row = 0; row < l.rows; ++row) {
        const int32_t stored = l.topDown ? l.rows - 1 - row : row;
        const uint8_t* s = l.bits + static_cast<size_t>(stored) * l.stride;
        uint8_t* d = rgb + static_cast<size_t>(row) * outStride;
        switch (l.encoding) {
        case DibEncoding::Indexed: DecodeIndexedRow(l, s, d); break;
        case DibEncoding::Rgb24: DecodeRgb24Row(s, d, l.width); break;
        default: DecodeFieldsRow(l, s, d); break;
        }
    }
    return DibStatus::Ok;
}

RgbImage* ConvertDibImage(const uint8_t* file, size_t size, DibMessageFn show)
{
    DibLayout layout;
    DibStatus status = ParseDib(file, size, &layout);
    uint8_t* pixels = nullptr;
    RgbImage* image = nullptr;
    if (status == DibStatus::Ok) {
        pixels = static_cast<uint8_t*>(std::malloc(DibOutputBytes(layout)));
        if (pixels == nullptr) {
            status = DibStatus::OutOfMemory;
        }
    }
    if (status == DibStatus::Ok) {
        status = DecodeDib(layout, pixels);
    }
    if (status == DibStatus::Ok) {
        image = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
        if (image == nullptr) {
            status = DibStatus::OutOfMemory;
        }
    }
    if (status != DibStatus::Ok) {
        show(DibStatusMessage(status));
        std::free(pixels);
        return nullptr;
    }
    image->width = layout.width;
    image->height = layout.rows;
    image->pixels = pixels;
    return image;
}

void FormatDibOpenFailure(char* out, size_t capacity, const char* path)
{
    std::snprintf(out, capacity, kDibOpenFailedFormat, path);
}

void FreeRgbImage(RgbImage* image)
{
    if (image == nullptr)
        return;
    std::free(image->pixels);
    std::free(image);
}

RgbImage* ReadDibFile(const char* path)
{
    return ReadDibPath(path, false);
}

RgbImage* LoadSnapshotImage(const char* path)
{
    // A missing snapshot ends the renderer quietly: no message for it.
    return path == nullptr ? nullptr : ReadDibPath(path, true);
}

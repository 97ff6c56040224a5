// The bitmap decoder behind the snapshot reader, portable (no platform
// headers): parses a whole file held in memory, checks every size against the
// bytes present, and converts the pixels into red-green-blue rows, bottom row
// first. The platform readers (snapshot_win.cpp, snapshot_posix.cpp) only
// map the file and show the messages.
#pragma once

#include <cstddef>
#include <cstdint>

#include "renderer/snapshot.h"

// The reader's messages, shown with the caption "Error".
extern const char kDibOpenFailedFormat[];  // "Failed to open DIB file %s.\n"
extern const char kDibUnknownFormat[];     // "Unknown DIB file format."
extern const char kDibOutOfMemory[];       // "Out of memory."
extern const char kDibConversionError[];   // "Image file conversion error."
extern const char kDibCaption[];           // "Error"

enum class DibStatus {
    Ok,
    UnknownFormat,    // header size neither 12 nor 40 (or not even readable)
    OutOfMemory,      // the picture is too large to hold
    ConversionError,  // anything else that cannot be converted
};

const char* DibStatusMessage(DibStatus status);  // nullptr for Ok

enum class DibEncoding : uint8_t { Indexed, Rgb24, Fields16, Fields32, Rle4, Rle8 };

// One colour field of a 16- or 32-bit pixel, as GDI reads it: the lowest run
// of set bits in the mask, scaled to 8 bits.
struct DibField {
    uint8_t shift;
    uint8_t length;
};

// GDI takes the lowest run of set bits of a mask as the field; other bits
// are ignored. (The Linux hack reads X visuals' masks the same way.)
DibField FieldOf(uint32_t mask);

// A parsed file: everything DecodeDib needs, all pointers inside the file.
struct DibLayout {
    int32_t width;
    int32_t rows;  // |height|
    bool topDown;  // negative height: the first stored row is the top one
    uint16_t bitCount;
    DibEncoding encoding;
    const uint8_t* bits;  // first byte of the pixel data
    size_t bitsSize;      // uncompressed: bytes needed; RLE: bytes the stream may use
    size_t stride;        // bytes per stored row (uncompressed)
    uint32_t masks[3];    // red, green, blue (16 and 32 bits)
    DibField fields[3];
    uint8_t palette[256][3];  // red, green, blue; entries past the table are black
};

// Checks the file and fills `layout`; no allocation.
DibStatus ParseDib(const uint8_t* file, size_t size, DibLayout* layout);

// Bytes of the decoded picture: width * rows * 3.
size_t DibOutputBytes(const DibLayout& layout);

// Writes DibOutputBytes(layout) bytes to `rgb`. Only RLE streams can still
// fail here (a run past its row or the picture, or no end before the data do).
DibStatus DecodeDib(const DibLayout& layout, uint8_t* rgb);

// The shared body of ReadDibFile once the file is mapped: parse, allocate,
// decode, and the record. Messages go to `show` where they arise.
using DibMessageFn = void (*)(const char* text);
RgbImage* ConvertDibImage(const uint8_t* file, size_t size, DibMessageFn show);

// The platform reader: opens the file once, maps it and decodes it with
// ConvertDibImage. A file that cannot be opened at all gives nullptr, with
// the open failure message unless quiet.
RgbImage* ReadDibPath(const char* path, bool quiet);

// "Failed to open DIB file <path>.\n", cut to fit `capacity`.
void FormatDibOpenFailure(char* out, size_t capacity, const char* path);

// The snapshot reader: a Windows bitmap file into tightly packed RGB rows.
//
// What it does: reads "BM" files (and bare DIBs) with the 40-byte information
// header or the 12-byte core header; 1, 4, 8, 16, 24 and 32 bits per pixel;
// uncompressed, RLE8, RLE4 and 16/32-bit bit fields; with or without a colour
// table. The pixels equal what GDI's SetDIBits gives in a 24-bit DIB section.
// What it does not: V4/V5 headers, JPEG/PNG payloads, OS/2 2.x headers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/contract.h"  // SnapshotPath, the fixed path

// Allocated with malloc by the reader; the caller frees pixels, then the record.
struct RgbImage {
    int32_t width;
    int32_t height;   // rows; a top-down file is turned bottom-up, so never negative
    uint8_t* pixels;  // width * height * 3 bytes, red-green-blue, bottom row first
};

// Paths are UTF-8 on every platform (the Windows reader opens them through
// the wide file calls), so a snapshot in any user's folder can be read.

// No image (nullptr) and no message when the file cannot be opened at all.
RgbImage* LoadSnapshotImage(const char* path);

// The reader proper: maps the file and decodes it with ReadDibBytes. On
// failure shows one "Error" message and returns nullptr.
RgbImage* ReadDibFile(const char* path);

// The same decoder over a whole file's bytes held in memory (a screen grab
// that never touches the disk): one "Error" message and nullptr on failure.
RgbImage* ReadDibBytes(const uint8_t* bytes, size_t size);

// Frees what the reader allocated; nothing for nullptr.
void FreeRgbImage(RgbImage* image);

// Colour-table entries of a bitmap header (12-byte core or 40-byte info
// header, all of its bytes present): colours used when set, else 2, 16 or
// 256 for 1, 4 or 8 bits per pixel, else 0.
uint16_t CountDibColors(const uint8_t* header);

#ifdef _WIN32
// At the fixed SnapshotPath, which any account may write, only a plain file
// the user running this program, SYSTEM or the Administrators own is read:
// another's picture counts as none.
#else
// Native builds have no message boxes: the reader's messages go through this
// hook (stderr by default) so that tests can observe them.
using SnapshotMessageFn = void (*)(const char* text);
extern SnapshotMessageFn snapshotMessageHook;
#endif

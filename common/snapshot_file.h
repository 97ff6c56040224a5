// The snapshot file as the launcher writes it: a Windows bitmap of 24 bits
// per pixel with the 40-byte information header, bottom row first, rows
// padded to four bytes: the layout of a bottom-up 24-bit DIB section, so the
// picture's bits are written as they are. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/contract.h"

inline constexpr size_t kSnapshotHeaderBytes = kBmpFileHeaderBytes + kBmpInfoHeaderBytes;

// Bytes of one stored row of a picture this wide.
size_t SnapshotRowBytes(int32_t width);

// A bitmap file's little-endian 16- and 32-bit fields, appended.
void Put16(std::vector<uint8_t>& out, uint32_t v);
void Put32(std::vector<uint8_t>& out, uint32_t v);

// The file and information headers for a width x height picture; empty when
// the size is not positive or the file would not fit its 32-bit size field.
std::vector<uint8_t> SnapshotFileHeader(int32_t width, int32_t height);

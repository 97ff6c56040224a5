// What Brinefold.scr and Brinefold.dll must agree on. The two programs meet
// through three things only: the snapshot file, which the launcher writes and
// the renderer reads; the renderer's command line, which names that file and
// carries the user's choice about the display mode; and the renderer's
// window, which the launcher finds by its title to learn whether the renderer
// still runs.
#pragma once

#include <cstdint>

// The renderer's window title.
inline constexpr char kRendererWindowTitle[] = "Brinefold_VC";

// The snapshot's file name in the user's folder, and the fixed path the
// renderer reads when it is given none.
inline constexpr char kSnapshotFileName[] = "Brinefold.bmp";
inline constexpr char SnapshotPath[] = "c:\\velkor\\Brinefold.bmp";

// After the snapshot's path: keep the display's mode rather than switch to
// 1024 x 768 x 32. Compared without regard to case.
inline constexpr char kKeepResolutionSwitch[] = "/keepresolution";

// The bitmap headers: the file header, then the 40-byte information header
// the launcher writes, or the 12-byte core header older files have.
inline constexpr uint32_t kBmpFileHeaderBytes = 14;
inline constexpr uint32_t kBmpInfoHeaderBytes = 40;
inline constexpr uint32_t kBmpCoreHeaderBytes = 12;

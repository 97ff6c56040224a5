// The winmm side of Brinefold_BGM: MCI command strings, MCI error texts, the
// wave output device count and the sound player. Windows only.
#pragma once

#include "launcher/music/bgm.h"

// The platform calls for BgmUsePlatform.
BgmPlatform BgmWinmm();

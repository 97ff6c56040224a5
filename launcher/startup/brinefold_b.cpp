#include "launcher/startup/brinefold_b.h"

int16_t BgmKind = 0;
int16_t BgmRepeatTrack = 0;
std::string BgmFile;
std::string BgmFolder;

int32_t HiddenCursorCount = 0;
int32_t LastResult = 0;
ZoomPointValue ZoomPoint = {0, 0};

#include "launcher/dialog/settings_dialog.h"

#include "launcher/settings/settings.h"
#include "launcher/runtime/runtime.h"

#include <cmath>

int ScaleToDpi(int pixels, int dpi)
{
    // Nearest, halves away from zero, in integers (no float drift).
    const long long product = static_cast<long long>(pixels) * dpi;
    const long long rounded = product >= 0 ? (product + 48) / 96 : -((-product + 48) / 96);
    return static_cast<int>(rounded);
}

DialogRect ScaleToDpi(const DialogRect& rect, int dpi)
{
    const int left = ScaleToDpi(rect.x, dpi);
    const int top = ScaleToDpi(rect.y, dpi);
    return {left, top, ScaleToDpi(rect.x + rect.width, dpi) - left, ScaleToDpi(rect.y + rect.height, dpi) - top};
}

int GradientLevel(int y, double innerHeight)
{
    const double d = innerHeight / 3.142;
    // nearbyint rounds halves to even under the default rounding mode.
    return static_cast<int>(std::nearbyint(std::fabs(std::sin(y / d) * 220.0)));
}

Rgb GradientColour(int y, double innerHeight)
{
    const int k = GradientLevel(y, innerHeight);
    return {static_cast<uint8_t>(k), static_cast<uint8_t>(k), static_cast<uint8_t>(k + 30)};
}

int GradientLastLine(double innerHeight)
{
    return static_cast<int>(std::nearbyint(innerHeight));
}

std::vector<TilePoint> TilePositions(int panelWidth, int panelHeight, int stripWidth, int stripHeight)
{
    std::vector<TilePoint> copies;
    if (stripWidth <= 0 || stripHeight <= 0)
        return copies;
    int x = 0;
    int y = 0;
    for (;;) {
        copies.push_back({x, y});
        if (y > panelHeight) {
            if (x > panelWidth)
                break;
            x += stripWidth;
            y = 0;
        } else {
            y += stripHeight;
        }
    }
    return copies;
}

namespace {

// Twips back to pixels, to the nearest. The halves cannot occur here: a
// half of an odd twips count or a third of a multiple of 15 never lands
// exactly between two pixels.
int TwipsToPixels(long long twips)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

}  // namespace

DialogPlace DialogPlacement(int screenWidth, int screenHeight, int outerWidth, int outerHeight)
{
    const long long freeWidth = (static_cast<long long>(screenWidth) - outerWidth) * kTwipsPerPixel;
    const long long freeHeight = (static_cast<long long>(screenHeight) - outerHeight) * kTwipsPerPixel;
    // C++ integer division drops the fraction towards zero, as "\" does.
    return {TwipsToPixels(freeWidth / 2), TwipsToPixels(freeHeight / 3)};
}

MusicControls MusicControlsFor(MusicKind kind)
{
    MusicControls controls = {-1, false, false};
    if (kind == MusicKind::None || kind == MusicKind::Cd || kind == MusicKind::File)
        controls.selectedMark = static_cast<int>(kind);
    controls.repeatEnabled = kind == MusicKind::Cd;
    controls.fileEnabled = kind == MusicKind::File;
    return controls;
}

std::vector<std::string> RepeatListEntries()
{
    std::vector<std::string> entries;
    for (int track = 0; track <= 30; ++track)
        entries.push_back(FormatOptionalDigits(track));
    return entries;
}

int16_t RepeatTrackFromText(std::string_view text)
{
    const std::optional<double> number = WholeNumber(text);
    if (!number)
        return 0;
    return ToInt16(*number).value_or(0);
}

void SaveDialogSettings(std::string_view repeatText, bool keepResolution,
                        const std::function<void(const char* key, const std::string& value)>& put)
{
    // Each write runs even if an earlier one failed.
    Guarded([&] { put(kKeyBgmKind, NumberText(static_cast<int16_t>(BgmKind))); });
    BgmRepeatTrack = RepeatTrackFromText(repeatText);
    Guarded([&] { put(kKeyBgmRepeatTrack, NumberText(BgmRepeatTrack)); });
    Guarded([&] { put(kKeyBgmFile, BgmFile); });
    KeepResolution = keepResolution;
    Guarded([&] { put(kKeyKeepResolution, NumberText(KeepResolution ? 1 : 0)); });
}

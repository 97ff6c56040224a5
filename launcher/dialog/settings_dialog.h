// The settings dialog Brinefold_P without the platform: its layout (every
// control's place at 100% scaling, and the scaling to the display's DPI), the
// pictures it computes (the gradient background, the strip tiling of the
// music panel, the window's place on the screen), the enabled states that
// follow the music kind, the repeat list, and saving.
//
// Portable: no <windows.h>. The window itself is settings_dialog_win.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/settings/settings.h"

// --- layout -----------------------------------------------------------------

struct DialogRect {
    int x, y, width, height;
    friend bool operator==(const DialogRect&, const DialogRect&) = default;
};

// Client area of the dialog at 100% scaling (7410 x 4050 twips): below the
// music panel a row for the display-mode check box, then the link and the
// buttons.
inline constexpr int kDialogClientWidth = 494;
inline constexpr int kDialogClientHeight = 270;

// The music panel Pic_C on the dialog, outer size including its one-pixel border.
inline constexpr DialogRect kPicC = {12, 16, 469, 165};
inline constexpr int kPicCBorder = 1;
inline constexpr uint32_t kPicCBackColour = 0xE0E0E0;  // 0xBBGGRR

// Inside Pic_C (relative to its inner area).
inline constexpr DialogRect kShape3 = {20, 20, 113, 21};
inline constexpr DialogRect kTitleLabel = {20, 24, 111, 13};
inline constexpr DialogRect kImgBgm[3] = {{28, 76, 13, 13}, {28, 56, 13, 13}, {28, 96, 13, 13}};
inline constexpr DialogRect kLblBgm[3] = {{44, 76, 22, 13}, {44, 56, 43, 13}, {44, 96, 60, 13}};
inline constexpr DialogRect kBgmRepeat = {112, 52, 41, 20};  // the closed drop-down's field
inline constexpr DialogRect kRepeatLabel = {156, 56, 66, 13};
inline constexpr DialogRect kCmdFile = {112, 92, 41, 21};
inline constexpr DialogRect kLblFname = {44, 116, 409, 33};

// On the dialog. The check box is a little wider than its box and text, so
// that a larger fallback face still fits.
inline constexpr DialogRect kChkKeepResolution = {12, 192, 160, 17};
inline constexpr DialogRect kLblUrl = {12, 232, 219, 13};
inline constexpr DialogRect kCmdSet = {316, 224, 81, 25};
inline constexpr DialogRect kCmdCan = {400, 224, 81, 25};

// The panel strip Pic_Mbl kept with the dialog, at its own size.
inline constexpr int kStripWidth = 556;
inline constexpr int kStripHeight = 20;

// Child window ids, so that the dialog's parts can be told apart (by the
// dialog, and by the tests that drive the real program).
enum DialogControlId : int {
    kIdPicC = 100,
    kIdTitleLabel = 101,
    kIdImgBgm0 = 110,  // Img_BGM(i) is kIdImgBgm0 + i
    kIdLblBgm0 = 120,  // lbl_BGM(i) is kIdLblBgm0 + i
    kIdBgmRepeat = 130,
    kIdRepeatLabel = 131,
    kIdCmdFile = 140,
    kIdLblFname = 150,
    kIdLblUrl = 160,
    kIdCmdSet = 170,
    kIdCmdCan = 171,
    kIdChkKeepResolution = 180,
};

// The maker's web page, the text of lbl_URL.
inline constexpr char kMakerPage[] = "https://brinefold.example.org/";

// A length in pixels at 100% scaling, at the given DPI (96 is 100%), rounded
// to the nearest pixel.
int ScaleToDpi(int pixels, int dpi);
// A rectangle scaled by its edges, so that neighbouring controls keep
// touching and the gaps between them stay even.
DialogRect ScaleToDpi(const DialogRect& rect, int dpi);

// --- pictures ---------------------------------------------------------------

// The background: with H the inner height and d = H / 3.142, the line y has
// the level k = |sin(y / d) x 220| rounded to the nearest (halves to even)
// and the colour RGB(k, k, k + 30): dark blue (0, 0, 30) at the top and the
// bottom, light blue-grey (220, 220, 250) in the middle. The constant is
// 3.142, not pi.
int GradientLevel(int y, double innerHeight);
struct Rgb {
    uint8_t red, green, blue;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
Rgb GradientColour(int y, double innerHeight);
// The last line drawn: H rounded to an integer (halves to even); lines 0 to
// it inclusive are drawn.
int GradientLastLine(double innerHeight);

// Where the strip is copied to tile the panel, in the order of the copies:
// down the first column until a copy starts below the panel, then the next
// column, until a column starts right of the panel. Copies reaching past the
// edges are clipped by the caller's surface. A strip without size gives no
// copies (the loop would never end).
struct TilePoint {
    int x, y;
    friend bool operator==(const TilePoint&, const TilePoint&) = default;
};
std::vector<TilePoint> TilePositions(int panelWidth, int panelHeight, int stripWidth, int stripHeight);

// The dialog's place, from its outer size: centred across the screen and at
// a third of the free height from the top. Computed in twips as the layout
// stores it: left = (screen width - dialog width) \ 2 and top = (screen
// height - dialog height) \ 3, "\" dropping the fraction (towards zero); the
// twips are then turned back into the nearest pixel.
struct DialogPlace {
    int left, top;
    friend bool operator==(const DialogPlace&, const DialogPlace&) = default;
};
DialogPlace DialogPlacement(int screenWidth, int screenHeight, int outerWidth, int outerHeight);

// --- the music choice -------------------------------------------------------

// What the radio group shows for a music kind: the selected mark (the
// options' order is the kinds' order; -1, none, for a kind from a hand-edited
// file), and which of BGM_Repeat (CD only) and Cmd_File (music file only) are
// enabled.
struct MusicControls {
    int selectedMark;
    bool repeatEnabled;
    bool fileEnabled;
    friend bool operator==(const MusicControls&, const MusicControls&) = default;
};
MusicControls MusicControlsFor(MusicKind kind);

// The repeat list's 31 entries: "" then "1" to "30" (the "##" pattern).
std::vector<std::string> RepeatListEntries();

// The repeat text as saved: a numeric text converted to 16 bits (nearest,
// halves to even); anything else, and a number that does not fit in 16 bits,
// is 0 -- "no single track", the same as an empty list.
int16_t RepeatTrackFromText(std::string_view text);

// Saving (Cmd_Set): BgmRepeatTrack from the repeat text and KeepResolution
// from the check box, then the four keys in the order kind, repeat track,
// file, display mode, the numbers in the settings file's number form (" 2",
// " 1" for a kept mode). put writes one key of the settings file.
void SaveDialogSettings(std::string_view repeatText, bool keepResolution,
                        const std::function<void(const char* key, const std::string& value)>& put);

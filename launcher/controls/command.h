// The Command button without the platform: its per-instance state, the state
// table (pointer, focus, mouse button and timer events in; new state, face to
// draw and Click out), its host-facing properties, its stored properties, and
// the geometry of a face (gradient vertices, the eight border pieces, the
// caption's top).
//
// Does: decide. Every face drawing is recorded in `face` and counted in
// `faceDrawings`; the window (command_win.cpp) paints whatever `face` says.
// Does not: touch a window, a timer or a device context.
//
// Portable: no platform headers.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "launcher/controls/property_bag.h"

// 16-bit booleans as forms and stored properties exchange them.
inline constexpr int16_t kTrue = -1;
inline constexpr int16_t kFalse = 0;

// The six skin pictures, 64 x 25 pixels each; only their 4-pixel border is used.
enum class CommandSkin : uint8_t { Normal, HighLight, HighLightSelect, Selected, Pressed, Disable };
inline constexpr int kCommandSkinCount = 6;
inline constexpr int kSkinWidth = 64;
inline constexpr int kSkinHeight = 25;
const char* CommandSkinName(CommandSkin skin);

enum class MouseButton : uint8_t { Left, Right, Middle };

// Pointer tracking interval of TmrMouse.
inline constexpr unsigned kTmrMouseInterval = 100;

// The caption's design font: a proportional Japanese Gothic face, 9.75 points,
// Shift-JIS character set.
FontSpec CommandDesignFont();

struct CommandCore {
    // --- Per-instance state, as the control names it.
    uint8_t ButtonState = 0;   // 0 not initialised, 1 normal, 2 hover, 3 focused, 4 focused + hover
    int16_t Enabled = kFalse;  // a never-stored instance starts disabled (see GetEnabled)
    uint8_t FirstRun = 0;      // 0 until stored once
    int16_t HoverGradient = kFalse;
    int16_t LeftDown = kFalse;

    // --- The caption LblMsg and the background mode.
    std::string caption = "Command";  // UTF-8
    FontSpec font = CommandDesignFont();
    int32_t captionColour = 0;   // 0x00BBGGRR, or 0x800000nn for system colour nn
    bool captionEnabled = true;  // false: drawn greyed
    bool opaque = true;          // false: transparent background, only the caption shows

    // --- TmrMouse: on once Initialize has run.
    bool timerOn = false;

    // --- The face last drawn, and how many face drawings there have been.
    CommandSkin face = CommandSkin::Normal;
    uint32_t faceDrawings = 0;

    // Where change notices go (the host's layout store); may be null.
    PropertyBag* host = nullptr;

    // --- Events (the handlers of the control and of LblMsg, which passes its
    // mouse events on unchanged). Each returns whether Click is raised.
    void UserControl_MouseMove();  // the pointer moves over the button
    void UserControl_GotFocus();
    void UserControl_LostFocus();
    void UserControl_MouseDown(MouseButton button);
    bool UserControl_MouseUp(MouseButton button);  // true: raise Click
    void TmrMouse_Timer(bool pointerOverButton);
    void UserControl_Resize();

    // --- Host-facing members.
    void Initialize();
    std::string GetCaption() const
    {
        return caption;
    }
    void LetCaption(std::string_view text);
    FontSpec GetFont() const
    {
        return font;
    }
    void SetFont(const FontSpec& f);
    int32_t GetFontColour();
    void LetFontColour(int32_t colour);
    int16_t GetEnabled();
    void LetEnabled(int16_t enabled);
    int16_t GetVisible();
    void LetVisible(int16_t visible);

    // --- Stored properties, in the orders the control reads and writes them.
    void ReadProperties(const PropertyBag& bag, const FontSpec& ambientFont);
    void WriteProperties(PropertyBag& bag, const FontSpec& ambientFont);

    // --- Algorithms shared by the above.
    void DrawFace(CommandSkin skin);
    void RedrawByEnabledState();
    void Refresh();
    void LeaveHover();

private:
    void TellHost(std::string_view name);
};

// A caption colour is a plain RGB value or one of the system colours; anything
// else is refused, as the label refuses it.
bool IsValidCaptionColour(int32_t colour);

// "&HC6C5D7" -> red C6, green C5, blue D7, each the high byte of a 16-bit
// component. False for a text that is not "&H" and six hexadecimal digits.
struct Colour16 {
    uint16_t red, green, blue;
};
bool ColourFromText(std::string_view text, Colour16& out);

// The face gradient, laid out as Windows' TRIVERTEX and GRADIENT_RECT records.
struct GradientVertex {
    int32_t x, y;
    uint16_t red, green, blue, alpha;
};
struct GradientRectangle {
    uint32_t upperLeft, lowerRight;
};
struct FaceGradient {
    std::array<GradientVertex, 2> vertex;
    GradientRectangle rect;
};
inline constexpr std::string_view kGradientBlueGreyText = "&HC6C5D7";
inline constexpr std::string_view kGradientWhiteText = "&HFFFFFF";
// Vertex 0 top-left, vertex 1 bottom-right at (width - 1, height - 1); the
// rectangle names vertex 1 upper-left and vertex 0 lower-right. HoverGradient
// False: white at the top; True: light blue-grey at the top.
FaceGradient MakeFaceGradient(int32_t width, int32_t height, int16_t hoverGradient);

// The eight stretch copies that frame a face with a skin's border.
struct PixelRect {
    int32_t x, y, width, height;
};
struct BorderPiece {
    PixelRect skin;    // in the 64 x 25 skin
    PixelRect button;  // on the button surface
};
std::array<BorderPiece, 8> BorderPieces(int32_t width, int32_t height);

// The caption's top in pixels: (height - caption height - 20 twips) / 2,
// computed in twips (15 per pixel), rounded to the nearest pixel.
int32_t CaptionTop(int32_t height, int32_t captionHeight);

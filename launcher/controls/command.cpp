#include "launcher/controls/command.h"

#include <cmath>

const char* CommandSkinName(CommandSkin skin)
{
    switch (skin) {
    case CommandSkin::Normal: return "Normal";
    case CommandSkin::HighLight: return "HighLight";
    case CommandSkin::HighLightSelect: return "HighLightSelect";
    case CommandSkin::Selected: return "Selected";
    case CommandSkin::Pressed: return "Pressed";
    case CommandSkin::Disable: return "Disable";
    }
    return "?";
}

FontSpec CommandDesignFont()
{
    FontSpec f;
    f.name = "ＭＳ Ｐゴシック";
    f.size = 9.75;
    f.weight = 400;
    f.charset = 128;  // Shift-JIS
    return f;
}

// ---------------------------------------------------------------- drawing

void CommandCore::DrawFace(CommandSkin skin)
{
    // The gradient runs the other way while the pointer is over an unfocused
    // button; states 0 and 4 keep the direction they had.
    switch (ButtonState) {
    case 1: HoverGradient = kFalse; break;
    case 2: HoverGradient = kTrue; break;
    case 3: HoverGradient = kFalse; break;
    default: break;
    }
    face = skin;
    ++faceDrawings;
}

void CommandCore::RedrawByEnabledState()
{
    if (Enabled != kFalse) {
        DrawFace(CommandSkin::Normal);
        captionEnabled = true;
    } else {
        DrawFace(CommandSkin::Disable);
        captionEnabled = false;
    }
}

void CommandCore::Refresh()
{
    if (Enabled == kFalse)
        return;
    captionEnabled = true;
    if (FirstRun == 0)
        captionColour = 0;
    DrawFace(CommandSkin::Normal);
}

void CommandCore::LeaveHover()
{
    if (Enabled == kFalse)
        return;
    if (ButtonState == 2) {
        ButtonState = 1;
        DrawFace(CommandSkin::Normal);
    } else if (ButtonState == 4) {
        ButtonState = 3;
        DrawFace(CommandSkin::Selected);
    }
}

void CommandCore::TellHost(std::string_view name)
{
    if (host)
        host->PropertyChanged(name);
}

// ---------------------------------------------------------------- events

void CommandCore::UserControl_MouseMove()
{
    if (Enabled == kFalse)
        return;
    if (ButtonState == 1) {
        ButtonState = 2;
        DrawFace(CommandSkin::HighLight);
    } else if (ButtonState == 3 && LeftDown == kFalse) {
        ButtonState = 4;
        DrawFace(CommandSkin::HighLightSelect);
    }
}

void CommandCore::UserControl_GotFocus()
{
    if (Enabled == kFalse)
        return;
    if (ButtonState == 2) {
        // Focus arriving during a hover comes from a click on the button.
        ButtonState = 4;
        DrawFace(CommandSkin::Pressed);
    } else {
        ButtonState = 3;
        DrawFace(CommandSkin::Selected);
    }
}

void CommandCore::UserControl_LostFocus()
{
    if (Enabled == kFalse)
        return;
    if (ButtonState != 1) {
        ButtonState = 1;
        DrawFace(CommandSkin::Normal);
    }
}

void CommandCore::UserControl_MouseDown(MouseButton button)
{
    if (Enabled == kFalse)
        return;
    if (button != MouseButton::Left)
        return;
    DrawFace(CommandSkin::Pressed);
    LeftDown = kTrue;
}

bool CommandCore::UserControl_MouseUp(MouseButton button)
{
    if (Enabled == kFalse)
        return false;
    if (button == MouseButton::Left) {
        if (ButtonState == 2) {
            DrawFace(CommandSkin::Normal);
        } else if (ButtonState == 4) {
            DrawFace(CommandSkin::HighLightSelect);
        }
        LeftDown = kFalse;
    }
    // Focused with the pointer elsewhere means the press was dragged off.
    return ButtonState != 3 && Enabled == kTrue;
}

void CommandCore::TmrMouse_Timer(bool pointerOverButton)
{
    if (!pointerOverButton)
        LeaveHover();
}

void CommandCore::UserControl_Resize()
{
    RedrawByEnabledState();
}

// ---------------------------------------------------------------- members

void CommandCore::Initialize()
{
    ButtonState = 1;
    timerOn = true;
}

void CommandCore::LetCaption(std::string_view text)
{
    caption = text;
    TellHost("Caption");
}

void CommandCore::SetFont(const FontSpec& f)
{
    font = f;
    TellHost("Font");
}

int32_t CommandCore::GetFontColour()
{
    int32_t colour = captionColour;
    Refresh();
    return colour;
}

void CommandCore::LetFontColour(int32_t colour)
{
    if (!IsValidCaptionColour(colour)) {
        Refresh();
        return;
    }
    captionColour = colour;
    Refresh();
    TellHost("FontColour");
}

int16_t CommandCore::GetEnabled()
{
    if (FirstRun == 0) {
        // An instance that was never stored comes up enabled on first look.
        Refresh();
        FirstRun = 1;
        Enabled = kTrue;
    }
    int16_t result = Enabled;
    RedrawByEnabledState();
    return result;
}

void CommandCore::LetEnabled(int16_t enabled)
{
    Enabled = enabled != kFalse ? kTrue : kFalse;
    TellHost("Enabled");
    RedrawByEnabledState();
}

int16_t CommandCore::GetVisible()
{
    if (!opaque)
        return kFalse;
    Refresh();
    return kTrue;
}

void CommandCore::LetVisible(int16_t visible)
{
    if (visible != kFalse) {
        opaque = true;
        Refresh();
    } else {
        opaque = false;
    }
    TellHost("Visible");
}

// ---------------------------------------------------------------- stored properties

// A value that cannot be converted leaves the field as it was and the next
// property is read (continue on error).
void CommandCore::ReadProperties(const PropertyBag& bag, const FontSpec& ambientFont)
{
    PropertyToBool(bag.ReadProperty("Enabled", StoredBool{kTrue}), Enabled);
    PropertyToString(bag.ReadProperty("Caption", std::string("Command1")), caption);
    PropertyToFont(bag.ReadProperty("Font", ambientFont), font);
    PropertyToByte(bag.ReadProperty("FirstRun", uint8_t{1}), FirstRun);
    int32_t colour;
    if (PropertyToInt32(bag.ReadProperty("FontColour", int32_t{0}), colour) && IsValidCaptionColour(colour))
        captionColour = colour;
    int16_t backStyle;
    if (PropertyToInt16(bag.ReadProperty("Visible", int16_t{1}), backStyle) && (backStyle == 0 || backStyle == 1))
        opaque = backStyle == 1;
    Refresh();
}

void CommandCore::WriteProperties(PropertyBag& bag, const FontSpec& ambientFont)
{
    bag.WriteProperty("Enabled", StoredBool{Enabled != kFalse ? kTrue : kFalse}, StoredBool{kTrue});
    bag.WriteProperty("Caption", caption, std::string("Command"));
    bag.WriteProperty("FirstRun", FirstRun, uint8_t{1});
    bag.WriteProperty("Font", font, ambientFont);
    bag.WriteProperty("FontColour", captionColour, int32_t{0});
    bag.WriteProperty("Visible", static_cast<int16_t>(opaque ? 1 : 0), int16_t{1});
    Refresh();
}

// ---------------------------------------------------------------- geometry

bool IsValidCaptionColour(int32_t colour)
{
    uint32_t c = static_cast<uint32_t>(colour);
    if (c <= 0x00FFFFFF)
        return true;
    // System colours 0 (scroll bar) to 30 (menu bar), as the platform numbers them.
    return (c & 0xFFFFFF00u) == 0x80000000u && (c & 0xFF) <= 30;
}

bool ColourFromText(std::string_view text, Colour16& out)
{
    if (text.size() != 8 || text[0] != '&' || (text[1] != 'H' && text[1] != 'h'))
        return false;
    uint16_t parts[3];
    for (int i = 0; i < 3; ++i) {
        int value = 0;
        for (int k = 0; k < 2; ++k) {
            char ch = text[2 + i * 2 + k];
            int digit;
            if (ch >= '0' && ch <= '9')
                digit = ch - '0';
            else if (ch >= 'A' && ch <= 'F')
                digit = ch - 'A' + 10;
            else if (ch >= 'a' && ch <= 'f')
                digit = ch - 'a' + 10;
            else
                return false;
            value = value * 16 + digit;
        }
        parts[i] = static_cast<uint16_t>(value << 8);
    }
    out = {parts[0], parts[1], parts[2]};
    return true;
}

namespace {

Colour16 ColourOf(std::string_view text)
{
    Colour16 colour{};
    ColourFromText(text, colour);
    return colour;
}

}  // namespace

FaceGradient MakeFaceGradient(int32_t width, int32_t height, int16_t hoverGradient)
{
    // The colour texts are fixed: read once, not at every face drawn.
    static const Colour16 blueGrey = ColourOf(kGradientBlueGreyText);
    static const Colour16 white = ColourOf(kGradientWhiteText);
    const Colour16& top = hoverGradient != kFalse ? blueGrey : white;
    const Colour16& bottom = hoverGradient != kFalse ? white : blueGrey;
    FaceGradient g{};
    g.vertex[0] = {0, 0, top.red, top.green, top.blue, 0};
    g.vertex[1] = {width - 1, height - 1, bottom.red, bottom.green, bottom.blue, 0};
    g.rect = {1, 0};
    return g;
}

std::array<BorderPiece, 8> BorderPieces(int32_t w, int32_t h)
{
    return {{
        {{0, 0, 4, 4}, {0, 0, 4, 4}},            // top-left corner
        {{4, 0, 56, 4}, {4, 0, w - 8, 4}},       // top edge
        {{60, 0, 4, 4}, {w - 4, 0, 4, 4}},       // top-right corner
        {{60, 4, 4, 17}, {w - 4, 4, 4, h - 8}},  // right edge
        {{60, 21, 4, 4}, {w - 4, h - 4, 4, 4}},  // bottom-right corner
        {{4, 21, 56, 4}, {4, h - 4, w - 8, 4}},  // bottom edge
        {{0, 21, 4, 4}, {0, h - 4, 4, 4}},       // bottom-left corner
        {{0, 4, 4, 17}, {0, 4, 4, h - 8}},       // left edge
    }};
}

int32_t CaptionTop(int32_t height, int32_t captionHeight)
{
    double twips = (static_cast<double>(height) * 15 - static_cast<double>(captionHeight) * 15 - 20) / 2;
    return static_cast<int32_t>(std::lround(twips / 15));
}

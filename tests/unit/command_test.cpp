// The Command button's state table, properties, stored properties and face
// geometry, without a window.
#include <gtest/gtest.h>

#include <tuple>

#include "launcher/controls/command.h"

namespace {

// A button as the settings dialog has it: loaded from its layout, sized by
// the host, initialised.
CommandCore LoadedButton(const PropertyBag& layout = {})
{
    CommandCore b;
    b.ReadProperties(layout, CommandDesignFont());
    b.UserControl_Resize();
    b.Initialize();
    return b;
}

// Runs one event and reports which face it drew, if any.
struct Drawn {
    bool drew;
    CommandSkin face;
};
template <typename F>
Drawn Step(CommandCore& b, F&& event)
{
    uint32_t before = b.faceDrawings;
    event();
    return {b.faceDrawings != before, b.face};
}

void ExpectFace(const Drawn& d, CommandSkin skin)
{
    EXPECT_TRUE(d.drew);
    EXPECT_EQ(d.face, skin) << CommandSkinName(d.face) << " instead of " << CommandSkinName(skin);
}

TEST(CommandStates, HoverAndLeaveByTimer)
{
    CommandCore b = LoadedButton();
    ASSERT_EQ(b.ButtonState, 1);
    EXPECT_TRUE(b.timerOn);

    ExpectFace(Step(b, [&] { b.UserControl_MouseMove(); }), CommandSkin::HighLight);
    EXPECT_EQ(b.ButtonState, 2);
    EXPECT_EQ(b.HoverGradient, kTrue);
    // Further moves over the button draw nothing.
    EXPECT_FALSE(Step(b, [&] { b.UserControl_MouseMove(); }).drew);
    // A tick with the pointer still over it changes nothing.
    EXPECT_FALSE(Step(b, [&] { b.TmrMouse_Timer(true); }).drew);

    ExpectFace(Step(b, [&] { b.TmrMouse_Timer(false); }), CommandSkin::Normal);
    EXPECT_EQ(b.ButtonState, 1);
    EXPECT_EQ(b.HoverGradient, kFalse);
    EXPECT_FALSE(Step(b, [&] { b.TmrMouse_Timer(false); }).drew);
}

TEST(CommandStates, ClickOnHoveredButtonWithoutFocus)
{
    CommandCore b = LoadedButton();
    b.UserControl_MouseMove();
    // The press comes first; the focus it gives arrives during the press.
    ExpectFace(Step(b, [&] { b.UserControl_MouseDown(MouseButton::Left); }), CommandSkin::Pressed);
    EXPECT_EQ(b.LeftDown, kTrue);
    ExpectFace(Step(b, [&] { b.UserControl_GotFocus(); }), CommandSkin::Pressed);
    EXPECT_EQ(b.ButtonState, 4);
    EXPECT_EQ(b.HoverGradient, kTrue);  // state 4 keeps the hover direction

    bool click = false;
    ExpectFace(Step(b, [&] { click = b.UserControl_MouseUp(MouseButton::Left); }), CommandSkin::HighLightSelect);
    EXPECT_TRUE(click);
    EXPECT_EQ(b.LeftDown, kFalse);
    EXPECT_EQ(b.ButtonState, 4);

    // The pointer leaves a focused button: Selected, not Normal.
    ExpectFace(Step(b, [&] { b.TmrMouse_Timer(false); }), CommandSkin::Selected);
    EXPECT_EQ(b.ButtonState, 3);
    EXPECT_EQ(b.HoverGradient, kFalse);
    // And comes back.
    ExpectFace(Step(b, [&] { b.UserControl_MouseMove(); }), CommandSkin::HighLightSelect);
    EXPECT_EQ(b.ButtonState, 4);
}

TEST(CommandStates, DragOffAndBackRaisesNoClick)
{
    CommandCore b = LoadedButton();
    b.UserControl_MouseMove();
    b.UserControl_GotFocus();  // state 4
    b.UserControl_MouseUp(MouseButton::Left);

    b.UserControl_MouseDown(MouseButton::Left);
    ExpectFace(Step(b, [&] { b.TmrMouse_Timer(false); }), CommandSkin::Selected);
    // Dragging back in while still holding changes nothing...
    EXPECT_FALSE(Step(b, [&] { b.UserControl_MouseMove(); }).drew);
    EXPECT_EQ(b.ButtonState, 3);
    // ...and the release there raises nothing either.
    bool click = true;
    EXPECT_FALSE(Step(b, [&] { click = b.UserControl_MouseUp(MouseButton::Left); }).drew);
    EXPECT_FALSE(click);
    EXPECT_EQ(b.LeftDown, kFalse);
    // With the button up, the next move over it hovers again.
    ExpectFace(Step(b, [&] { b.UserControl_MouseMove(); }), CommandSkin::HighLightSelect);

    // A release outside before a tick has noticed the pointer leaving still clicks.
    b.UserControl_MouseDown(MouseButton::Left);
    EXPECT_TRUE(b.UserControl_MouseUp(MouseButton::Left));
}

TEST(CommandStates, RightButtonClicksWithoutPressedFace)
{
    for (bool focused : {false, true}) {
        CommandCore b = LoadedButton();
        if (focused)
            b.UserControl_GotFocus();  // state 3
        b.UserControl_MouseMove();     // state 2 or 4
        CommandSkin hoverFace = b.face;
        EXPECT_FALSE(Step(b, [&] { b.UserControl_MouseDown(MouseButton::Right); }).drew);
        EXPECT_EQ(b.LeftDown, kFalse);
        bool click = false;
        EXPECT_FALSE(Step(b, [&] { click = b.UserControl_MouseUp(MouseButton::Right); }).drew);
        EXPECT_TRUE(click) << "focused " << focused;
        EXPECT_EQ(b.face, hoverFace);
    }
    // A focused button with the pointer elsewhere raises nothing.
    CommandCore b = LoadedButton();
    b.UserControl_GotFocus();
    EXPECT_FALSE(b.UserControl_MouseUp(MouseButton::Right));
}

TEST(CommandStates, BeforeInitialize)
{
    CommandCore b;
    b.ReadProperties({}, CommandDesignFont());
    b.UserControl_Resize();
    ASSERT_EQ(b.ButtonState, 0);
    EXPECT_FALSE(b.timerOn);
    EXPECT_FALSE(Step(b, [&] { b.UserControl_MouseMove(); }).drew);
    EXPECT_EQ(b.ButtonState, 0);

    // A left click gives the focus: state 3, Selected, and no Click.
    b.UserControl_MouseDown(MouseButton::Left);
    ExpectFace(Step(b, [&] { b.UserControl_GotFocus(); }), CommandSkin::Selected);
    EXPECT_EQ(b.ButtonState, 3);
    bool click = true;
    EXPECT_FALSE(Step(b, [&] { click = b.UserControl_MouseUp(MouseButton::Left); }).drew);
    EXPECT_FALSE(click);
    EXPECT_EQ(b.face, CommandSkin::Selected);
}

TEST(CommandStates, FocusLeavingAHoveredButton)
{
    CommandCore b = LoadedButton();
    b.UserControl_MouseMove();
    b.UserControl_GotFocus();
    ASSERT_EQ(b.ButtonState, 4);
    ExpectFace(Step(b, [&] { b.UserControl_LostFocus(); }), CommandSkin::Normal);
    EXPECT_EQ(b.ButtonState, 1);  // although the pointer is still over it
    ExpectFace(Step(b, [&] { b.UserControl_MouseMove(); }), CommandSkin::HighLight);
    EXPECT_EQ(b.ButtonState, 2);
    // Focus leaving a normal button draws nothing.
    CommandCore c = LoadedButton();
    EXPECT_FALSE(Step(c, [&] { c.UserControl_LostFocus(); }).drew);
}

TEST(CommandStates, DisabledReactsToNothing)
{
    CommandCore b = LoadedButton();
    b.UserControl_MouseMove();  // state 2
    ExpectFace(Step(b, [&] { b.LetEnabled(kFalse); }), CommandSkin::Disable);
    EXPECT_FALSE(b.captionEnabled);
    EXPECT_EQ(b.ButtonState, 2);

    uint32_t drawings = b.faceDrawings;
    b.UserControl_MouseMove();
    b.UserControl_GotFocus();
    b.UserControl_MouseDown(MouseButton::Left);
    EXPECT_FALSE(b.UserControl_MouseUp(MouseButton::Left));
    EXPECT_FALSE(b.UserControl_MouseUp(MouseButton::Right));
    b.TmrMouse_Timer(false);
    b.UserControl_LostFocus();
    EXPECT_EQ(b.faceDrawings, drawings);
    EXPECT_EQ(b.ButtonState, 2);
    EXPECT_EQ(b.LeftDown, kFalse);
    EXPECT_TRUE(b.timerOn);  // the timer keeps running

    // Resizing a disabled button keeps the Disable face.
    ExpectFace(Step(b, [&] { b.UserControl_Resize(); }), CommandSkin::Disable);
    // Enabling redraws Normal without changing the state.
    ExpectFace(Step(b, [&] { b.LetEnabled(kTrue); }), CommandSkin::Normal);
    EXPECT_TRUE(b.captionEnabled);
    EXPECT_EQ(b.ButtonState, 2);
}

TEST(CommandStates, ReadingFontColourOrVisibleRedrawsNormal)
{
    CommandCore b = LoadedButton();
    b.UserControl_MouseMove();
    ASSERT_EQ(b.face, CommandSkin::HighLight);
    ExpectFace(Step(b, [&] { EXPECT_EQ(b.GetFontColour(), 0); }), CommandSkin::Normal);
    b.UserControl_GotFocus();
    ASSERT_EQ(b.face, CommandSkin::Pressed);
    ExpectFace(Step(b, [&] { EXPECT_EQ(b.GetVisible(), kTrue); }), CommandSkin::Normal);
    EXPECT_EQ(b.ButtonState, 4);  // the state stays
    // A transparent button reads False and draws nothing.
    b.LetVisible(kFalse);
    EXPECT_FALSE(b.opaque);
    EXPECT_FALSE(Step(b, [&] { EXPECT_EQ(b.GetVisible(), kFalse); }).drew);
    ExpectFace(Step(b, [&] { b.LetVisible(kTrue); }), CommandSkin::Normal);
    EXPECT_TRUE(b.opaque);
}

TEST(CommandProperties, ChangeNoticesAndFontColour)
{
    PropertyBag layout;
    CommandCore b = LoadedButton(layout);
    b.host = &layout;
    b.LetCaption("設定");
    EXPECT_EQ(b.GetCaption(), "設定");
    FontSpec bold = CommandDesignFont();
    bold.weight = 700;
    b.SetFont(bold);
    EXPECT_EQ(b.GetFont().weight, 700);
    b.LetFontColour(0x0000FF);
    EXPECT_EQ(b.captionColour, 0x0000FF);
    b.LetFontColour(static_cast<int32_t>(0x8000001E));  // the last system colour
    EXPECT_EQ(b.captionColour, static_cast<int32_t>(0x8000001E));
    b.LetFontColour(static_cast<int32_t>(0x80000012));
    EXPECT_EQ(b.captionColour, static_cast<int32_t>(0x80000012));
    b.LetEnabled(kTrue);
    b.LetVisible(kTrue);
    EXPECT_EQ(layout.Changed(), (std::vector<std::string>{"Caption", "Font", "FontColour", "Enabled", "Visible"}));

    // A colour the label refuses still refreshes the face but changes nothing
    // and tells the host nothing.
    layout.ClearChanged();
    b.UserControl_MouseMove();
    ExpectFace(Step(b, [&] { b.LetFontColour(0x01000000); }), CommandSkin::Normal);
    b.LetFontColour(static_cast<int32_t>(0x8000001F));  // one past the system colours
    EXPECT_EQ(b.captionColour, static_cast<int32_t>(0x80000012));
    EXPECT_TRUE(layout.Changed().empty());
}

TEST(CommandProperties, NeverStoredInstanceComesUpOnFirstReadOfEnabled)
{
    CommandCore b;  // FirstRun 0, Enabled False
    b.captionColour = 0x00FF00;
    ASSERT_EQ(b.Enabled, kFalse);
    Drawn d = Step(b, [&] { EXPECT_EQ(b.GetEnabled(), kTrue); });
    ExpectFace(d, CommandSkin::Normal);
    EXPECT_EQ(b.FirstRun, 1);
    EXPECT_EQ(b.Enabled, kTrue);
    EXPECT_EQ(b.captionColour, 0x00FF00);  // the refresh ran while still disabled
    // Later reads only redraw by enabled state.
    b.LetEnabled(kFalse);
    ExpectFace(Step(b, [&] { EXPECT_EQ(b.GetEnabled(), kFalse); }), CommandSkin::Disable);
    EXPECT_EQ(b.Enabled, kFalse);
}

TEST(CommandStoredProperties, DefaultsAreNotStoredAndReadBack)
{
    CommandCore b;
    b.GetEnabled();  // FirstRun 1, Enabled True, as a freshly placed button
    PropertyBag bag;
    b.WriteProperties(bag, CommandDesignFont());
    // Everything equals its write default, the caption "Command" included.
    EXPECT_TRUE(bag.Entries().empty());

    CommandCore r;
    r.ReadProperties(bag, CommandDesignFont());
    EXPECT_EQ(r.GetCaption(), "Command1");
    EXPECT_EQ(r.Enabled, kTrue);
    EXPECT_EQ(r.FirstRun, 1);
    EXPECT_EQ(r.captionColour, 0);
    EXPECT_TRUE(r.opaque);
    EXPECT_EQ(r.font, CommandDesignFont());
    EXPECT_EQ(r.ButtonState, 0);
    EXPECT_EQ(r.face, CommandSkin::Normal);  // loading ends with a refresh
    EXPECT_EQ(r.faceDrawings, 1u);
}

TEST(CommandStoredProperties, WrittenInOrderAndRoundTrip)
{
    FontSpec ambient = CommandDesignFont();
    CommandCore b = LoadedButton();
    b.LetEnabled(kFalse);
    b.LetCaption("ｷｬﾝｾﾙ");
    b.FirstRun = 0;
    FontSpec font = ambient;
    font.name = "Arial";
    font.size = 12;
    font.italic = true;
    b.SetFont(font);
    b.LetFontColour(0x00FFFFFF);
    b.LetVisible(kFalse);

    PropertyBag bag;
    b.WriteProperties(bag, ambient);
    std::vector<std::string> names;
    for (const auto& e : bag.Entries())
        names.push_back(e.first);
    EXPECT_EQ(names, (std::vector<std::string>{"Enabled", "Caption", "FirstRun", "Font", "FontColour", "Visible"}));
    EXPECT_EQ(std::get<int16_t>(bag.Entries()[5].second), 0);  // "Visible" as a 16-bit integer

    CommandCore r;
    r.ReadProperties(bag, ambient);
    EXPECT_EQ(r.Enabled, kFalse);
    EXPECT_EQ(r.GetCaption(), "ｷｬﾝｾﾙ");
    EXPECT_EQ(r.FirstRun, 0);
    EXPECT_EQ(r.font, font);
    EXPECT_EQ(r.captionColour, 0x00FFFFFF);
    EXPECT_FALSE(r.opaque);
    // Disabled after loading: the refresh drew nothing; the host's first
    // sizing draws the Disable face with a greyed caption.
    EXPECT_EQ(r.faceDrawings, 0u);
    r.UserControl_Resize();
    EXPECT_EQ(r.face, CommandSkin::Disable);
    EXPECT_FALSE(r.captionEnabled);

    // Writing again over an old bag drops values that went back to default.
    r.LetEnabled(kTrue);
    r.LetCaption("Command");
    r.WriteProperties(bag, ambient);
    EXPECT_FALSE(bag.Contains("Enabled"));
    EXPECT_FALSE(bag.Contains("Caption"));
    EXPECT_TRUE(bag.Contains("Font"));
}

TEST(CommandStoredProperties, UnreadableValuesAreSkipped)
{
    PropertyBag bag;
    bag.WriteProperty("Caption", std::string("ＯＫ"), std::string("Command"));
    bag.WriteProperty("FirstRun", int32_t{300}, uint8_t{1});          // does not fit a byte
    bag.WriteProperty("FontColour", std::string("red"), int32_t{0});  // not a number
    bag.WriteProperty("Visible", std::string(" 0 "), int16_t{1});     // a numeric text
    bag.WriteProperty("Font", int32_t{5}, FontSpec{});                // not a font
    CommandCore r;
    r.captionColour = 0x0000FF;
    r.ReadProperties(bag, CommandDesignFont());
    EXPECT_EQ(r.GetCaption(), "ＯＫ");
    EXPECT_EQ(r.FirstRun, 0);       // kept
    EXPECT_EQ(r.captionColour, 0);  // kept, then blackened: FirstRun is still 0
    EXPECT_FALSE(r.opaque);
    EXPECT_EQ(r.font, CommandDesignFont());
}

TEST(PropertyBagConversions, RoundHalvesToEvenAndRefuseWhatDoesNotFit)
{
    int16_t i16 = 7;
    uint8_t u8 = 7;
    EXPECT_TRUE(PropertyToInt16(std::string("2.5"), i16));
    EXPECT_EQ(i16, 2);
    EXPECT_TRUE(PropertyToInt16(std::string("3.5"), i16));
    EXPECT_EQ(i16, 4);
    EXPECT_FALSE(PropertyToInt16(int32_t{40000}, i16));
    EXPECT_FALSE(PropertyToByte(int16_t{-1}, u8));
    EXPECT_FALSE(PropertyToInt16(std::string("1e999"), i16));
    EXPECT_EQ(i16, 4);
    EXPECT_EQ(u8, 7);
}

TEST(CommandGeometry, GradientFollowsHoverGradient)
{
    // Vertex 0 top-left, vertex 1 at (w - 1, h - 1), the rectangle naming 1
    // as upper-left; white (FF00) above light blue-grey (C600, C500, D700).
    FaceGradient g = MakeFaceGradient(117, 28, kFalse);
    EXPECT_EQ(std::tie(g.vertex[0].x, g.vertex[0].y, g.vertex[1].x, g.vertex[1].y), std::make_tuple(0, 0, 116, 27));
    EXPECT_EQ(std::tie(g.rect.upperLeft, g.rect.lowerRight), std::make_tuple(1u, 0u));
    EXPECT_EQ(std::tie(g.vertex[0].red, g.vertex[0].blue), std::make_tuple(0xFF00, 0xFF00));
    EXPECT_EQ(std::tie(g.vertex[1].red, g.vertex[1].green, g.vertex[1].blue, g.vertex[1].alpha),
              std::make_tuple(0xC600, 0xC500, 0xD700, 0));
    FaceGradient h = MakeFaceGradient(41, 21, kTrue);
    EXPECT_EQ(std::tie(h.vertex[0].red, h.vertex[1].red), std::make_tuple(0xC600, 0xFF00));

    Colour16 c{};
    EXPECT_FALSE(ColourFromText("&HC6C5DG", c));
    EXPECT_TRUE(ColourFromText("&h0a0B0c", c));
    EXPECT_EQ(std::tie(c.red, c.blue), std::make_tuple(0x0A00, 0x0C00));
}

TEST(CommandGeometry, BorderPiecesFrameTheButtonExactly)
{
    for (auto [w, h] : {std::pair{117, 28}, {81, 25}, {41, 21}, {64, 25}}) {
        // Every pixel of the 4-pixel frame is covered once; the inside never.
        std::vector<int> cover(static_cast<size_t>(w * h), 0);
        for (const BorderPiece& p : BorderPieces(w, h)) {
            EXPECT_GE(p.skin.x, 0);
            EXPECT_LE(p.skin.x + p.skin.width, kSkinWidth);
            EXPECT_LE(p.skin.y + p.skin.height, kSkinHeight);
            for (int y = p.button.y; y < p.button.y + p.button.height; ++y)
                for (int x = p.button.x; x < p.button.x + p.button.width; ++x)
                    ++cover[static_cast<size_t>(y * w + x)];
        }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                bool frame = x < 4 || y < 4 || x >= w - 4 || y >= h - 4;
                ASSERT_EQ(cover[static_cast<size_t>(y * w + x)], frame ? 1 : 0)
                    << w << "x" << h << " at " << x << "," << y;
            }
    }
}

TEST(CommandGeometry, CaptionSitsTwoThirdsOfAPixelAboveCentre)
{
    EXPECT_EQ(CaptionTop(25, 13), 5);   // 80 twips = 5.33 px
    EXPECT_EQ(CaptionTop(28, 13), 7);   // 102.5 twips = 6.83 px
    EXPECT_EQ(CaptionTop(21, 13), 3);   // 50 twips = 3.33 px
    EXPECT_EQ(CaptionTop(12, 13), -1);  // a caption taller than the button
}

}  // namespace

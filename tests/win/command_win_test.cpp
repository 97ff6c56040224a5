// A real Command button on a host window, driven by real input (SendInput)
// and messages; its face checked from the pixels on screen against the skin
// pictures and the gradient colours.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "launcher/controls/command_win.h"
#include "launcher/resources/resource_ids.h"
#include "tests/support/win_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kButtonId = 42;
constexpr int kX = 40, kY = 30, kW = 117, kH = 28;

struct HostState {
    int commands = 0;
    int lastId = 0;
};
HostState host;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        ++host.commands;
        host.lastId = LOWORD(wp);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

COLORREF SkinPixel(CommandSkin skin, int x, int y)
{
    static HDC dcs[kCommandSkinCount];
    int i = static_cast<int>(skin);
    if (!dcs[i]) {
        HBITMAP bmp = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SKIN_NORMAL + i),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        dcs[i] = CreateCompatibleDC(nullptr);
        SelectObject(dcs[i], bmp);
    }
    return GetPixel(dcs[i], x, y);
}

struct Rgb {
    int r, g, b;
};
Rgb ToRgb(COLORREF c)
{
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

class CommandWin : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = HostProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
            wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
            wc.lpszClassName = L"CommandTestHost";
            registered = RegisterClassW(&wc) != 0;
        }
        host = {};
        hostWindow = CreateWindowExW(0, L"CommandTestHost", L"Command test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                     100, 100, 300, 120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(hostWindow, nullptr);
        SetForegroundWindow(hostWindow);
        // Park the pointer away from where the button will be.
        MoveTo(100 + 250, 100 + 100);

        PropertyBag layout;
        layout.WriteProperty("Caption", std::string("設定"), std::string("Command"));
        button = Command::Create(hostWindow, kButtonId, kX, kY, kW, kH, layout, CommandDesignFont());
        ASSERT_TRUE(button);
        button.Initialize();
        button.OnClick([](HWND, void* n) { ++*static_cast<int*>(n); }, &clicks);
        Pump(50);
    }
    void TearDown() override
    {
        if (GetCapture())
            ReleaseCapture();
        Mouse(MOUSEEVENTF_LEFTUP);
        Pump(20);
        DestroyWindow(hostWindow);
        Pump(10);
    }

    const CommandCore& state() const
    {
        return *button.State();
    }
    // Screen position of a point of the button.
    void MoveTo(int sx, int sy)
    {
        Mouse(MOUSEEVENTF_MOVE, sx, sy);
        Pump(30);
    }
    void MoveOver()
    {
        MoveTo(100 + kX + kW / 2, 100 + kY + kH / 2);
    }
    void MoveAway()
    {
        MoveTo(100 + 250, 100 + 100);
    }

    // What the button shows on screen at a point of its own.
    COLORREF Shown(int x, int y)
    {
        HDC dc = GetDC(button.window());
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(button.window(), dc);
        return c;
    }

    // The border on screen is the skin's: the corners pixel for pixel, the
    // top and bottom edges where they are stretched.
    void ExpectBorderOf(CommandSkin skin)
    {
        SCOPED_TRACE(CommandSkinName(skin));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                ASSERT_EQ(Shown(x, y), SkinPixel(skin, x, y)) << "top-left " << x << "," << y;
                ASSERT_EQ(Shown(kW - 4 + x, kH - 4 + y), SkinPixel(skin, 60 + x, 21 + y))
                    << "bottom-right " << x << "," << y;
            }
        for (int y = 0; y < 4; ++y) {
            EXPECT_EQ(Shown(kW / 3, y), SkinPixel(skin, 30, y));
            EXPECT_EQ(Shown(kW / 3, kH - 4 + y), SkinPixel(skin, 30, 21 + y));
        }
    }

    // The gradient just inside the border, left of the caption: white at the
    // top and light blue-grey (C6, C5, D7) at the bottom, or the other way
    // round while hovered.
    void ExpectGradient(bool hover)
    {
        Rgb top = ToRgb(Shown(6, 4)), bottom = ToRgb(Shown(6, kH - 5));
        auto along = [](double t, int from, int to) { return from + (to - from) * t; };
        double tTop = 4.0 / (kH - 1), tBottom = (kH - 5.0) / (kH - 1);
        Rgb white{255, 255, 255}, grey{0xC6, 0xC5, 0xD7};
        Rgb a = hover ? grey : white, b = hover ? white : grey;
        EXPECT_NEAR(top.r, along(tTop, a.r, b.r), 3);
        EXPECT_NEAR(top.g, along(tTop, a.g, b.g), 3);
        EXPECT_NEAR(top.b, along(tTop, a.b, b.b), 3);
        EXPECT_NEAR(bottom.r, along(tBottom, a.r, b.r), 3);
        EXPECT_NEAR(bottom.g, along(tBottom, a.g, b.g), 3);
        EXPECT_NEAR(bottom.b, along(tBottom, a.b, b.b), 3);
    }

    bool FaceIs(CommandSkin skin) const
    {
        return state().face == skin;
    }

    HWND hostWindow = nullptr;
    Command button;
    int clicks = 0;
};

TEST_F(CommandWin, AtRestNormalFaceOverTheGradientWithAJapaneseCaption)
{
    EXPECT_EQ(state().ButtonState, 1);
    EXPECT_EQ(state().face, CommandSkin::Normal);
    ExpectBorderOf(CommandSkin::Normal);
    ExpectGradient(false);
    EXPECT_EQ(button.Caption(), "設定");

    // The caption is drawn in black, in a Shift-JIS Gothic face (when one is installed).
    int dark = 0;
    for (int y = 6; y < kH - 6; ++y)
        for (int x = kW / 2 - 15; x < kW / 2 + 15; ++x)
            if (ToRgb(Shown(x, y)).r < 100)
                ++dark;
    EXPECT_GT(dark, 20);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(button.window(), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    HDC dc = GetDC(button.window());
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    EXPECT_EQ(GetTextCharset(dc), SHIFTJIS_CHARSET) << "face " << face;
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 13);  // 9.75 points at 96 dpi
    SelectObject(dc, old);
    ReleaseDC(button.window(), dc);
}

TEST_F(CommandWin, HoverPressAndReleaseRaiseClick)
{
    MoveOver();
    ASSERT_TRUE(WaitUntil([&] { return FaceIs(CommandSkin::HighLight); }, 1000));
    EXPECT_EQ(state().ButtonState, 2);
    ExpectBorderOf(CommandSkin::HighLight);
    ExpectGradient(true);

    Mouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(WaitUntil([&] { return state().ButtonState == 4; }, 1000));  // the press gave the focus
    EXPECT_EQ(GetFocus(), button.window());
    EXPECT_EQ(state().face, CommandSkin::Pressed);
    ExpectBorderOf(CommandSkin::Pressed);
    EXPECT_EQ(clicks, 0);

    Mouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(WaitUntil([&] { return clicks == 1; }, 1000));
    EXPECT_EQ(state().face, CommandSkin::HighLightSelect);
    ExpectBorderOf(CommandSkin::HighLightSelect);
    Pump(150);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(host.commands, 0);  // the callback took it
}

TEST_F(CommandWin, LeaveHoverWithinATimerTick)
{
    MoveOver();
    ASSERT_TRUE(WaitUntil([&] { return state().ButtonState == 2; }, 1000));
    Pump(120);  // let a tick pass with the pointer over the button
    EXPECT_EQ(state().ButtonState, 2);
    auto left = Clock::now();
    MoveAway();
    ASSERT_TRUE(WaitUntil([&] { return state().ButtonState == 1; }, 1000)) << "the pointer left, the face stayed";
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - left).count();
    std::printf("leave-hover noticed %lld ms after the pointer left\n", static_cast<long long>(ms));
    EXPECT_LE(ms, 250);
    ExpectBorderOf(CommandSkin::Normal);
    ExpectGradient(false);
}

TEST_F(CommandWin, DraggedOffAndReleasedOutsideRaisesNoClick)
{
    MoveOver();
    Mouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(WaitUntil([&] { return state().ButtonState == 4; }, 1000));
    MoveAway();
    ASSERT_TRUE(WaitUntil([&] { return state().ButtonState == 3; }, 1000));
    ExpectBorderOf(CommandSkin::Selected);
    // Back over it while still holding: nothing changes.
    MoveOver();
    Pump(150);
    EXPECT_EQ(state().ButtonState, 3);
    MoveAway();
    Pump(30);
    Mouse(MOUSEEVENTF_LEFTUP);
    Pump(150);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(state().LeftDown, kFalse);  // the captured release reached the button
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(CommandWin, DisabledShowsDisableAndRaisesNothing)
{
    MoveOver();
    ASSERT_TRUE(WaitUntil([&] { return state().ButtonState == 2; }, 1000));
    button.Enabled(false);
    EXPECT_EQ(state().face, CommandSkin::Disable);
    ExpectBorderOf(CommandSkin::Disable);
    EXPECT_FALSE(IsWindowEnabled(button.window()));
    // The caption is greyed: no black pixel left.
    for (int y = 6; y < kH - 6; ++y)
        for (int x = kW / 2 - 15; x < kW / 2 + 15; ++x)
            ASSERT_GT(ToRgb(Shown(x, y)).r, 60);

    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(MOUSEEVENTF_LEFTUP);
    Mouse(MOUSEEVENTF_RIGHTDOWN);
    Mouse(MOUSEEVENTF_RIGHTUP);
    // Messages sent straight to the window are ignored as well.
    SendMessageW(button.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(button.window(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    Pump(150);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(host.commands, 0);
    EXPECT_EQ(state().face, CommandSkin::Disable);

    button.Enabled(true);
    EXPECT_EQ(state().ButtonState, 2);  // enabling keeps the state
    ExpectBorderOf(CommandSkin::Normal);
}

TEST_F(CommandWin, AFocusedButtonDisabledAndEnabledAgainClicksAtTheFirstClick)
{
    // Disabling the window takes its focus; enabled again, the button must
    // not go on as focused, or the press that gives it the focus back ends
    // in state 3 and its release raises nothing.
    SetFocus(button.window());
    ASSERT_EQ(state().ButtonState, 3);
    button.Enabled(false);
    EXPECT_NE(GetFocus(), button.window());
    button.Enabled(true);
    EXPECT_EQ(state().ButtonState, 1);
    ExpectBorderOf(CommandSkin::Normal);

    MoveOver();
    ASSERT_TRUE(WaitUntil([&] { return state().ButtonState == 2; }, 1000));
    EXPECT_EQ(state().face, CommandSkin::HighLight);
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(WaitUntil([&] { return clicks == 1; }, 1000)) << "the first click was swallowed";
    EXPECT_EQ(state().ButtonState, 4);
}

TEST_F(CommandWin, RightButtonReachesTheParentAsWmCommand)
{
    button.OnClick(nullptr);
    MoveOver();
    ASSERT_TRUE(WaitUntil([&] { return state().ButtonState == 2; }, 1000));
    Mouse(MOUSEEVENTF_RIGHTDOWN);
    Pump(30);
    EXPECT_EQ(state().face, CommandSkin::HighLight);  // no pressed face
    Mouse(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(WaitUntil([&] { return host.commands == 1; }, 1000));
    EXPECT_EQ(host.lastId, kButtonId);
    EXPECT_EQ(clicks, 0);
}

TEST_F(CommandWin, TransparentShowsTheHostBehindTheCaption)
{
    button.Visible(false);
    Pump(20);
    EXPECT_EQ(ToRgb(Shown(1, 1)).r, 255);  // the host's white, no border
    EXPECT_EQ(ToRgb(Shown(6, kH - 5)).b, 255);
    EXPECT_FALSE(button.Visible());
    button.Visible(true);
    ExpectBorderOf(CommandSkin::Normal);
    EXPECT_EQ(button.Layout()->Changed(), (std::vector<std::string>{"Visible"}));
}

}  // namespace

namespace {

// The pictures as Windows' own loaders read them from the resource script.
TEST(LauncherResources, LoadWithTheirSizes)
{
    HINSTANCE self = GetModuleHandleW(nullptr);
    auto bitmapSize = [&](int id) {
        BITMAP bm{};
        HBITMAP h =
            static_cast<HBITMAP>(LoadImageW(self, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        if (!h)
            return std::make_pair(0, 0);
        GetObjectW(h, sizeof bm, &bm);
        DeleteObject(h);
        EXPECT_EQ(bm.bmBitsPixel, 24) << id;
        return std::make_pair(static_cast<int>(bm.bmWidth), static_cast<int>(bm.bmHeight));
    };
    EXPECT_EQ(bitmapSize(IDB_PANEL_STRIP), std::make_pair(556, 20));
    EXPECT_EQ(bitmapSize(IDB_RADIO_UNSELECTED), std::make_pair(12, 12));
    EXPECT_EQ(bitmapSize(IDB_RADIO_SELECTED), std::make_pair(12, 12));
    EXPECT_EQ(bitmapSize(IDB_PREVIEW), std::make_pair(152, 112));
    for (int id = IDB_SKIN_NORMAL; id <= IDB_SKIN_DISABLE; ++id)
        EXPECT_EQ(bitmapSize(id), std::make_pair(64, 25));

    HICON icon = static_cast<HICON>(LoadImageW(self, MAKEINTRESOURCEW(IDI_BRINEFOLD), IMAGE_ICON, 32, 32, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(icon, &ii));
    BITMAP colour{};
    GetObjectW(ii.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 32);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);

    HCURSOR hand = LoadCursorW(self, MAKEINTRESOURCEW(IDC_LINK_HAND));
    ASSERT_NE(hand, nullptr);
    ASSERT_TRUE(GetIconInfo(hand, &ii));
    EXPECT_FALSE(ii.fIcon);
    EXPECT_EQ(ii.xHotspot, 12u);
    EXPECT_EQ(ii.yHotspot, 10u);
    EXPECT_EQ(ii.hbmColor, nullptr);  // monochrome: the mask holds both planes
    DeleteObject(ii.hbmMask);
}

}  // namespace

// The preview form in the same process as its host, so that Wine draws it:
// what lands on the screen is compared pixel by pixel with the picture
// compiled in from the launcher's resources. Embedding, placement and the end
// with the host are checked on the real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "launcher/preview/preview_win.h"
#include "launcher/resources/resource_ids.h"
#include "launcher/runtime/runtime.h"
#include "launcher/runtime/toolkit_win.h"
#include "tests/support/win_test_support.h"

namespace {

constexpr int kPictureW = 152, kPictureH = 112;
constexpr COLORREF kHostColour = RGB(255, 0, 255);  // shows wherever the preview does not reach

// A magenta top-level window standing in for the Display settings' monitor.
HWND MakeHost(int x, int y, int w, int h)
{
    static ATOM cls = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = CreateSolidBrush(kHostColour);
        wc.lpszClassName = "BfPreviewTestHost";
        return RegisterClassA(&wc);
    }();
    (void)cls;
    return CreateWindowExA(0, "BfPreviewTestHost", "host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, w, h, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

int32_t HandleNumber(HWND window)
{
    return static_cast<int32_t>(reinterpret_cast<LONG_PTR>(window));
}

// Pixels as 0x00RRGGBB, top row first.
struct Pixels {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const
    {
        return px[static_cast<size_t>(y * w + x)];
    }
};

// What the screen shows over a window's rectangle.
Pixels OnScreen(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top, ScreenPixels(r)};
}

const Pixels& ResourcePicture()
{
    static Pixels picture = [] {
        HBITMAP bmp = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_PREVIEW),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        BITMAP info = {};
        GetObjectA(bmp, sizeof info, &info);
        HDC dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bmp);
        Pixels p{info.bmWidth, info.bmHeight, ReadPixels(dc, 0, 0, info.bmWidth, info.bmHeight)};
        DeleteDC(dc);
        DeleteObject(bmp);
        return p;
    }();
    return picture;
}

// The form's window: the host's only child.
HWND PreviewOf(HWND host)
{
    return FindWindowExA(host, nullptr, "Brinefold_R", nullptr);
}

class PreviewForm : public ::testing::Test {
protected:
    void TearDown() override
    {
        // Nothing may stay loaded for the next test.
        if (HWND stray = FindWindowA("Brinefold_R", nullptr))
            DestroyWindow(stray);
    }
};

}  // namespace

TEST_F(PreviewForm, ShowsThePictureAtItsOwnSizeFromTheTopLeftAndBlackBeyond)
{
    const Pixels& picture = ResourcePicture();
    ASSERT_EQ(picture.w, kPictureW);
    ASSERT_EQ(picture.h, kPictureH);
    const SIZE hosts[] = {{kPictureW, kPictureH}, {300, 200}, {100, 60}, {200, 50}};
    for (SIZE size : hosts) {
        SCOPED_TRACE(testing::Message() << "host " << size.cx << " x " << size.cy);
        HWND host = MakeHost(60, 40, size.cx, size.cy);
        ASSERT_NE(host, nullptr);
        Pump(30);

        ShowPreview(HandleNumber(host));
        HWND form = PreviewOf(host);
        ASSERT_NE(form, nullptr);
        UpdateWindow(host);
        UpdateWindow(form);
        Pump(100);

        Pixels shown = OnScreen(host);
        int wrong = 0, firstX = -1, firstY = -1;
        for (int y = 0; y < shown.h; ++y)
            for (int x = 0; x < shown.w; ++x) {
                const uint32_t want = (x < picture.w && y < picture.h) ? picture.at(x, y) : 0u;
                if (shown.at(x, y) != want && wrong++ == 0) {
                    firstX = x;
                    firstY = y;
                }
            }
        EXPECT_EQ(wrong, 0) << "first at (" << firstX << ", " << firstY << ")";

        DestroyWindow(host);
        Pump(20);
    }
}

TEST_F(PreviewForm, IsABorderlessChildFillingTheHostAndUnloadsWithIt)
{
    HWND host = MakeHost(100, 80, 200, 150);
    ASSERT_NE(host, nullptr);
    // The Display settings' own window is active, with the focus: showing the
    // picture must take neither.
    HWND settings = CreateWindowExA(0, "BfPreviewTestHost", "settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 80, 200,
                                    150, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(settings);
    SetFocus(settings);
    Pump(50);
    ASSERT_EQ(GetForegroundWindow(), settings);
    ASSERT_EQ(GetFocus(), settings);
    ShowPreview(HandleNumber(host));
    Pump(50);
    HWND form = PreviewOf(host);
    ASSERT_NE(form, nullptr);

    char text[64] = {};
    GetWindowTextA(form, text, sizeof text);
    EXPECT_STREQ(text, "Preview Window");
    EXPECT_EQ(GetParent(form), host);
    const LONG style = GetWindowLongA(form, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & (WS_POPUP | WS_CAPTION | WS_THICKFRAME));
    EXPECT_TRUE(IsWindowVisible(form));

    RECT hostRect, formRect, client;
    GetWindowRect(host, &hostRect);
    GetWindowRect(form, &formRect);
    GetClientRect(form, &client);
    EXPECT_TRUE(EqualRect(&hostRect, &formRect));
    EXPECT_EQ(client.right, 200);  // no frame: all of it is picture
    EXPECT_EQ(client.bottom, 150);
    EXPECT_EQ(GetForegroundWindow(), settings);
    EXPECT_EQ(GetFocus(), settings);
    DestroyWindow(settings);

    LastResult = 0;
    DestroyWindow(host);
    EXPECT_FALSE(IsWindow(form));
    EXPECT_NE(LastResult, 0);  // the unload handler ran and posted its close
}

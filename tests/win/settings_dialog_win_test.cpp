// The settings dialog in this process, for what Wine never does on its own:
// a move to a monitor of another scale (WM_DPICHANGED, sent here the way
// Windows sends it, with the suggested window rectangle); and the link's
// pointer, which only this process can read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "launcher/dialog/settings_dialog_win.h"
#include "launcher/dialog/settings_dialog.h"
#include "launcher/settings/settings.h"
#include "tests/support/win_test_support.h"

namespace {

DialogRect PlaceIn(HWND window, HWND part)
{
    RECT r;
    GetWindowRect(part, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
            static_cast<int>(r.bottom - r.top)};
}

struct Seen {
    bool found = false;
    SIZE client = {};
    DialogRect set = {}, panel = {}, repeat = {}, mark = {};
    std::wstring repeatText;
    POINT linkHotSpot = {-1, -1};
};

// The hot spot of the pointer shown at the centre of a window.
POINT HotSpotOver(HWND window)
{
    const POINT centre = CentreOf(window);
    Mouse(MOUSEEVENTF_MOVE, centre.x, centre.y);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof cursor;
    ICONINFO info = {};
    if (!GetCursorInfo(&cursor) || !GetIconInfo(cursor.hCursor, &info))
        return {-1, -1};
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    return {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
}

TEST(SettingsDialogWin, AMoveToAMonitorAt200PercentLaysEverythingOutAgainAndTheLinkShowsTheHand)
{
    BgmKind = MusicKind::Cd;
    BgmRepeatTrack = 4;
    BgmFile.clear();
    Seen seen;
    // The dialog runs its modal loop on this thread; another one plays Windows.
    std::thread windows([&seen] {
        HWND dialog = nullptr;
        for (int i = 0; i < 250 && !(dialog = FindWindowW(L"Brinefold_P", L"<Brinefold>")); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!dialog)
            return;
        seen.found = true;
        RECT outer;
        GetWindowRect(dialog, &outer);
        RECT suggested = {0, 0, 2 * kDialogClientWidth, 2 * kDialogClientHeight};
        AdjustWindowRectEx(&suggested, static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)));
        OffsetRect(&suggested, outer.left - suggested.left, outer.top - suggested.top);
        SendMessageW(dialog, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));

        RECT client;
        GetClientRect(dialog, &client);
        seen.client = {client.right, client.bottom};
        HWND panel = GetDlgItem(dialog, kIdPicC);
        seen.set = PlaceIn(dialog, GetDlgItem(dialog, kIdCmdSet));
        seen.panel = PlaceIn(dialog, panel);
        seen.repeat = PlaceIn(panel, GetDlgItem(panel, kIdBgmRepeat));
        seen.mark = PlaceIn(panel, GetDlgItem(panel, kIdImgBgm0 + 1));
        wchar_t text[16] = {};
        SendMessageW(GetDlgItem(panel, kIdBgmRepeat), WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text));
        seen.repeatText = text;
        seen.linkHotSpot = HotSpotOver(GetDlgItem(dialog, kIdLblUrl));
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    ShowSettingsDialog();
    windows.join();

    ASSERT_TRUE(seen.found) << "no dialog";
    EXPECT_EQ(seen.client.cx, 988);
    EXPECT_EQ(seen.client.cy, 540);
    EXPECT_EQ(seen.set, ScaleToDpi(kCmdSet, 192));
    EXPECT_EQ(seen.panel, ScaleToDpi(kPicC, 192));
    EXPECT_EQ(seen.repeat, ScaleToDpi(kBgmRepeat, 192));  // the closed field at its scaled height
    EXPECT_EQ(seen.mark, ScaleToDpi(kImgBgm[1], 192));
    EXPECT_EQ(seen.repeatText, L"4");  // the values stay as they were
    EXPECT_EQ(BgmKind, MusicKind::Cd);
    // Over the link, the hand from the program's resources (hot spot 12, 10).
    EXPECT_EQ(seen.linkHotSpot.x, 12);
    EXPECT_EQ(seen.linkHotSpot.y, 10);
}

}  // namespace

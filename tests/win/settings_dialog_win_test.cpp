// The settings dialog in this process, for what Wine never does on its own:
// a move to a monitor of another scale (WM_DPICHANGED, sent here the way
// Windows sends it, with the suggested window rectangle); the link's pointer,
// which only this process can read back; and the exact texts the set button
// hands to the profile writer, which Wine's writer does not keep.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

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

// Every control, where it is designed at 100%; on the dialog or inside the
// panel, and whether it is sized to its text (then only its corner and least
// height are fixed).
struct Control {
    int id;
    DialogRect design;
    bool inPanel;
    bool sizedToText;
};
const Control kControls[] = {
    {kIdPicC, kPicC, false, false},
    {kIdTitleLabel, kTitleLabel, true, false},
    {kIdImgBgm0, kImgBgm[0], true, false},
    {kIdImgBgm0 + 1, kImgBgm[1], true, false},
    {kIdImgBgm0 + 2, kImgBgm[2], true, false},
    {kIdLblBgm0, kLblBgm[0], true, true},
    {kIdLblBgm0 + 1, kLblBgm[1], true, true},
    {kIdLblBgm0 + 2, kLblBgm[2], true, true},
    {kIdBgmRepeat, kBgmRepeat, true, false},  // the closed field at its scaled height
    {kIdRepeatLabel, kRepeatLabel, true, true},
    {kIdCmdFile, kCmdFile, true, false},
    {kIdLblFname, kLblFname, true, false},
    {kIdChkKeepResolution, kChkKeepResolution, false, false},
    {kIdLblUrl, kLblUrl, false, true},
    {kIdCmdSet, kCmdSet, false, false},
    {kIdCmdCan, kCmdCan, false, false},
};

struct Seen {
    bool found = false;
    SIZE client = {};
    std::vector<DialogRect> places;  // kControls' order
    std::wstring repeatText;
    POINT linkHotSpot = {-1, -1};
    bool closedBySet = false;
};

// What the set button handed to the profile writer.
std::vector<std::vector<std::string>> written;
int RecordWrite(const char* section, const char* key, const char* value, const char* file)
{
    written.push_back({section, key, value, file});
    return 1;
}

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

TEST(SettingsDialogWin, AMoveToAMonitorAt200PercentLaysEverythingOutAgainTheLinkShowsTheHandAndSetWritesTheNumberForm)
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
        for (const Control& c : kControls) {
            HWND holder = c.inPanel ? panel : dialog;
            seen.places.push_back(PlaceIn(holder, GetDlgItem(holder, c.id)));
        }
        wchar_t text[16] = {};
        SendMessageW(GetDlgItem(panel, kIdBgmRepeat), WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text));
        seen.repeatText = text;
        seen.linkHotSpot = HotSpotOver(GetDlgItem(dialog, kIdLblUrl));
        // A click on the set button saves and closes.
        const POINT set = CentreOf(GetDlgItem(dialog, kIdCmdSet));
        Mouse(MOUSEEVENTF_MOVE, set.x, set.y);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        Mouse(MOUSEEVENTF_LEFTDOWN);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Mouse(MOUSEEVENTF_LEFTUP);
        for (int i = 0; i < 100 && IsWindow(dialog); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        seen.closedBySet = !IsWindow(dialog);
        if (!seen.closedBySet)
            PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    written.clear();
    const ProfileWriter writer = UseProfileWriter(RecordWrite);
    ShowSettingsDialog();
    UseProfileWriter(writer);
    windows.join();

    ASSERT_TRUE(seen.found) << "no dialog";
    EXPECT_EQ(seen.client.cx, 988);
    EXPECT_EQ(seen.client.cy, 540);
    // Every control at twice its designed place and size.
    ASSERT_EQ(seen.places.size(), std::size(kControls));
    for (size_t i = 0; i < seen.places.size(); ++i) {
        const DialogRect& d = kControls[i].design;
        const DialogRect& at = seen.places[i];
        SCOPED_TRACE(testing::Message() << "control " << kControls[i].id);
        EXPECT_EQ(at.x, 2 * d.x);
        EXPECT_EQ(at.y, 2 * d.y);
        if (kControls[i].sizedToText) {
            EXPECT_GE(at.height, 2 * d.height);
        } else {
            EXPECT_EQ(at.width, 2 * d.width);
            EXPECT_EQ(at.height, 2 * d.height);
        }
    }
    EXPECT_EQ(seen.repeatText, L"4");  // the values stay as they were
    EXPECT_EQ(BgmKind, MusicKind::Cd);
    // Over the link, the hand from the program's resources (hot spot 12, 10).
    EXPECT_EQ(seen.linkHotSpot.x, 12);
    EXPECT_EQ(seen.linkHotSpot.y, 10);
    // The numbers go to the profile writer in their form " 1", blank included.
    ASSERT_TRUE(seen.closedBySet) << "the set button did not close the dialog";
    ASSERT_EQ(written.size(), 4u);
    const std::string file = written[0][3];
    EXPECT_EQ(file.substr(file.size() - 23), "Brinefold\\Brinefold.ini");
    using W = std::vector<std::string>;
    EXPECT_EQ(written, (std::vector<W>{{"Section", kKeyBgmKind, " 1", file},
                                       {"Section", kKeyBgmRepeatTrack, " 4", file},
                                       {"Section", kKeyBgmFile, "", file},
                                       {"Section", kKeyKeepResolution, " 0", file}}));
}

}  // namespace

// The real Brinefold.scr /c under Wine: the settings dialog as a person meets
// it. It is driven by real input (SendInput: pointer moves, clicks, typed
// keys) on the real windows, checked through the windows' own texts and
// states, the pixels on the screen and the bytes of Brinefold.ini.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/utf8_win.h"
#include "launcher/dialog/settings_dialog.h"
#include "launcher/runtime/user_texts.h"
#include "launcher/settings/settings.h"
#include "launcher/ui/gdi_win.h"
#include "launcher/ui/gothic_face_win.h"
#include "tests/support/files.h"
#include "tests/support/win_test_support.h"

namespace {

constexpr char kFolder[] = "C:\\bf-dialog-e2e";
// The user's own settings, which the dialog reads and writes; the file beside
// the program is the machine's default, never written.
const std::string kIni = BrinefoldFolder(FOLDERID_RoamingAppData) + "\\Brinefold.ini";
constexpr char kMachineIni[] = "C:\\bf-dialog-e2e\\Brinefold.ini";
constexpr wchar_t kCaption[] = L"<Brinefold>";

void Pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// A settings file as the profile calls write it, the music keys as Shift-JIS
// bytes; the display-mode key only when keep is given.
std::string Ini(const std::string& kind, const std::string& repeat, const std::string& file,
                const std::string& keep = "")
{
    return std::string("[Section]\r\n") + kKeyBgmKind + "=" + kind + "\r\n" + kKeyBgmRepeatTrack + "=" + repeat +
           "\r\n" + kKeyBgmFile + "=" + file + "\r\n" +
           (keep.empty() ? "" : std::string(kKeyKeepResolution) + "=" + keep + "\r\n");
}

// The file after the set button wrote the numbers in their form " 2".
// HACK: Wine's profile writer drops the blank that leads a value (" 2" is
// stored as "2"); Windows keeps it. Both read back as the same number.
std::string Saved(const std::string& kind, const std::string& repeat, const std::string& file,
                  const std::string& keep = " 0")
{
    auto unblank = [](const std::string& number) { return number[0] == ' ' ? number.substr(1) : number; };
    return Ini(unblank(kind), unblank(repeat), file, unblank(keep));
}

// What an edit field shows (GetWindowText does not ask another process).
std::wstring ShownText(HWND control)
{
    wchar_t text[512] = {};
    SendMessageW(control, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

// ---------------------------------------------------------------- input

// Moves the pointer there; with flags, presses and releases a button there.
void ClickAt(POINT at, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP)
{
    Mouse(MOUSEEVENTF_MOVE, at.x, at.y);
    Pause(60);
    for (DWORD flags : {down, up}) {
        if (!flags)
            continue;
        Mouse(flags);
        Pause(flags == down ? 40 : 120);
    }
}

// Types characters (vk 0) or presses one key.
void Type(const std::wstring& text, WORD vk = 0)
{
    for (size_t i = 0; i < (vk ? 1 : text.size()); ++i) {
        INPUT in[2] = {};
        for (int up = 0; up < 2; ++up) {
            in[up].type = INPUT_KEYBOARD;
            in[up].ki.wVk = vk;
            in[up].ki.wScan = vk ? 0 : text[i];
            in[up].ki.dwFlags = (vk ? 0 : KEYEVENTF_UNICODE) | (up ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, in, sizeof(INPUT));
        Pause(15);
    }
    Pause(100);
}

// ---------------------------------------------------------------- the program

struct Launcher : TestProcess {
    explicit Launcher(const std::string& args) : TestProcess(std::string(kFolder) + "\\Brinefold.scr", args) {}
};

// The first visible top-level window of a launcher with this title and
// class (null: any).
HWND WaitForWindow(const Launcher& launcher, const wchar_t* title, const wchar_t* cls = nullptr)
{
    return WaitForProcessWindow(launcher.pi.dwProcessId, title, cls, 5000);
}

// What the screen shows over a window, grabbed once.
struct Screenshot {
    RECT area = {};
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first

    explicit Screenshot(HWND window)
    {
        GetWindowRect(window, &area);
        pixels = ScreenPixels(area);
    }
    Rgb At(POINT p) const
    {
        const uint32_t c = pixels[static_cast<size_t>((p.y - area.top) * (area.right - area.left) + p.x - area.left)];
        return {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)};
    }
    // How many pixels over a window satisfy the test.
    int Count(HWND part, const std::function<bool(Rgb)>& test) const
    {
        RECT r;
        GetWindowRect(part, &r);
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += test(At({x, y}));
        return n;
    }
};

bool IsBlueMark(Rgb c)
{
    return c.blue > 150 && c.blue > c.red + 60 && c.blue > c.green + 30;
}

// The open dialog of a launcher and its parts.
struct Dialog {
    HWND window = nullptr;
    HWND panel = nullptr;

    explicit Dialog(const Launcher& launcher) : window(WaitForWindow(launcher, kCaption))
    {
        if (!window)
            return;
        panel = GetDlgItem(window, kIdPicC);
        // Shown and painted: the top line of the background is dark blue.
        WaitUntil(
            [&] {
                Rgb c = Screenshot(window).At(Screen(2, 0));
                return c.red < 10 && c.blue > 20;
            },
            5000);
        Pause(150);
    }
    HWND Part(int id) const
    {
        HWND part = GetDlgItem(window, id);
        return part ? part : GetDlgItem(panel, id);
    }
    HWND repeat() const
    {
        return Part(kIdBgmRepeat);
    }
    HWND file() const
    {
        return Part(kIdCmdFile);
    }
    HWND mark(int i) const
    {
        return Part(kIdImgBgm0 + i);
    }
    HWND option(int i) const
    {
        return Part(kIdLblBgm0 + i);
    }
    void Press(int id) const
    {
        ClickAt(CentreOf(Part(id)));
    }
    POINT Screen(int x, int y) const
    {
        POINT p = {x, y};
        ClientToScreen(window, &p);
        return p;
    }
    // A part's place in the client area.
    DialogRect Place(HWND part) const
    {
        RECT r;
        GetWindowRect(part, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        return {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
                static_cast<int>(r.bottom - r.top)};
    }
};

// How far right the text of a dialog's part may reach, in the client area:
// the part's own right edge, the nearest part right of it on its rows, and
// the inside of its parent.
int RoomFor(const Dialog& d, HWND part)
{
    const DialogRect at = d.Place(part);
    HWND parent = GetParent(part);
    RECT inside;
    GetClientRect(parent, &inside);
    MapWindowPoints(parent, d.window, reinterpret_cast<POINT*>(&inside), 2);
    int room = std::min(static_cast<int>(inside.right), at.x + at.width);
    for (HWND other = GetWindow(parent, GW_CHILD); other; other = GetWindow(other, GW_HWNDNEXT)) {
        const DialogRect o = d.Place(other);
        if (other != part && o.x > at.x && o.y < at.y + at.height && at.y < o.y + o.height)
            room = std::min(room, o.x);
    }
    return room;
}

class SettingsDialogE2E : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CreateDirectoryA(kFolder, nullptr);
        ASSERT_TRUE(CopyBuilt(BF_LAUNCHER_PATH, std::string(kFolder) + "\\Brinefold.scr"));
        WriteBytes(std::string(kFolder) + "\\Brinefold.dll", "");  // start-up only checks it is there
        WriteBytes(std::string(kFolder) + "\\tune.wav", "RIFF");
        CreateDirectoryA(BrinefoldFolder(FOLDERID_RoamingAppData).c_str(), nullptr);
        // No scaled display left over from an interrupted run.
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels");
    }
    void SetUp() override
    {
        ClickAt({5, 5}, 0, 0);
    }  // the pointer away from the dialog
    void TearDown() override
    {
        ForgetPlantedDlls();
    }
};

// ---------------------------------------------------------------- tests

TEST_F(SettingsDialogE2E, OpensAtItsPlaceWithItsControlsAndColours)
{
    const std::string before = Ini(" 0", " 0", "");
    WriteBytes(kIni, before);
    Launcher launcher("/c");
    Dialog d(launcher);
    ASSERT_NE(d.window, nullptr) << "no window titled <Brinefold>";

    // Client 494 x 270, centred across, a third of the free height above;
    // fixed size, a close box, no minimise or maximise box.
    RECT client, outer;
    GetClientRect(d.window, &client);
    GetWindowRect(d.window, &outer);
    EXPECT_EQ(client.right, kDialogClientWidth);
    EXPECT_EQ(client.bottom, kDialogClientHeight);
    EXPECT_EQ(DialogPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), outer.right - outer.left,
                              outer.bottom - outer.top),
              (DialogPlace{static_cast<int>(outer.left), static_cast<int>(outer.top)}));
    const LONG style = GetWindowLongW(d.window, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    // The texts, as the windows hold them.
    EXPECT_EQ(TextOf(d.Part(kIdTitleLabel)), L"BGM");
    EXPECT_EQ(TextOf(d.option(0)), L"なし");
    EXPECT_EQ(TextOf(d.option(1)), L"音楽CD");
    EXPECT_EQ(TextOf(d.option(2)), L"MP3、WAV");
    EXPECT_EQ(TextOf(d.Part(kIdRepeatLabel)), L"曲目をﾘﾋﾟｰﾄ");
    EXPECT_EQ(TextOf(d.Part(kIdLblUrl)), L"https://brinefold.example.org/");
    EXPECT_EQ(TextOf(d.Part(kIdLblFname)), L"");
    EXPECT_EQ(TextOf(d.Part(kIdChkKeepResolution)), L"解像度を変更しない");

    // Places: the buttons on the dialog, the drop-down's closed field and
    // the file button inside the panel's border.
    EXPECT_EQ(d.Place(d.Part(kIdCmdSet)), kCmdSet);
    EXPECT_EQ(d.Place(d.Part(kIdCmdCan)), kCmdCan);
    EXPECT_EQ(d.Place(d.Part(kIdChkKeepResolution)), kChkKeepResolution);
    EXPECT_EQ(d.Place(d.panel), kPicC);
    const int inX = kPicC.x + kPicCBorder, inY = kPicC.y + kPicCBorder;
    EXPECT_EQ(d.Place(d.repeat()), (DialogRect{inX + kBgmRepeat.x, inY + kBgmRepeat.y, 41, 20}));
    EXPECT_EQ(d.Place(d.file()), (DialogRect{inX + kCmdFile.x, inY + kCmdFile.y, 41, 21}));

    // The repeat list: an empty entry, then 1 to 30; the text "##" of 0.
    ASSERT_EQ(SendMessageW(d.repeat(), CB_GETCOUNT, 0, 0), 31);
    wchar_t entry[16] = {};
    SendMessageW(d.repeat(), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(entry));
    EXPECT_STREQ(entry, L"");
    SendMessageW(d.repeat(), CB_GETLBTEXT, 30, reinterpret_cast<LPARAM>(entry));
    EXPECT_STREQ(entry, L"30");
    EXPECT_EQ(ShownText(d.repeat()), L"");

    // Kind 0: the drop-down and the file button disabled, so the focus
    // order runs check box, set, cancel, check box. No key in the file: the
    // display mode is switched.
    EXPECT_FALSE(IsWindowEnabled(d.repeat()));
    EXPECT_FALSE(IsWindowEnabled(d.file()));
    HWND keep = d.Part(kIdChkKeepResolution);
    EXPECT_EQ(GetNextDlgTabItem(d.window, keep, FALSE), d.Part(kIdCmdSet));
    EXPECT_EQ(GetNextDlgTabItem(d.window, d.Part(kIdCmdSet), FALSE), d.Part(kIdCmdCan));
    EXPECT_EQ(GetNextDlgTabItem(d.window, d.Part(kIdCmdCan), FALSE), keep);
    EXPECT_EQ(SendMessageW(keep, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // The picture: the gradient's lines down the left margin and behind the
    // check box, the panel light grey, black option and check box texts, the
    // white link, only the "なし" mark filled blue.
    Screenshot shot(d.window);
    const int keepRight = kChkKeepResolution.x + kChkKeepResolution.width - 2;
    for (POINT at :
         {POINT{4, 0}, {4, 7}, {4, 60}, {4, 135}, {4, 190}, {keepRight, 196}, {keepRight, 204}, {4, 264}, {4, 269}}) {
        const Rgb c = shot.At(d.Screen(at.x, at.y)), want = GradientColour(at.y, kDialogClientHeight);
        EXPECT_TRUE(std::abs(c.red - want.red) <= 2 && std::abs(c.green - want.green) <= 2 &&
                    std::abs(c.blue - want.blue) <= 2)
            << at.x << "," << at.y << ": " << int(c.red) << "," << int(c.green) << "," << int(c.blue);
    }
    const Rgb panel = shot.At(d.Screen(kPicC.x + 300, kPicC.y + 150));
    EXPECT_GT(panel.red, 180);
    EXPECT_NEAR(panel.red, panel.blue, 12);
    for (HWND text : {d.option(0), d.option(1), d.option(2), keep})
        EXPECT_GT(shot.Count(text, [](Rgb c) { return c.red + c.green + c.blue < 150; }), 15) << GetDlgCtrlID(text);
    EXPECT_GT(shot.Count(d.Part(kIdLblUrl), [](Rgb c) { return c.red > 240 && c.green > 240 && c.blue > 240; }), 60);
    EXPECT_GT(shot.Count(d.mark(0), IsBlueMark), 20);
    EXPECT_EQ(shot.Count(d.mark(1), IsBlueMark) + shot.Count(d.mark(2), IsBlueMark), 0);

    // A second launcher, for the settings or a preview, ends at once.
    for (const char* args : {"/c", "/p 123"}) {
        Launcher second(args);
        DWORD code = 1;
        EXPECT_TRUE(second.Ended(5000, &code)) << args;
        EXPECT_EQ(code, 0u) << args;
    }
    EXPECT_EQ(TopWindows(0, kCaption).size(), 1u);

    // The close box: a change made before it is not written.
    ClickAt(CentreOf(d.option(2)));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(d.file()) != FALSE; }, 2000));
    ClickAt({outer.right - GetSystemMetrics(SM_CXDLGFRAME) - GetSystemMetrics(SM_CXSIZE) / 2,
             outer.top + GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2});
    DWORD code = 1;
    EXPECT_TRUE(launcher.Ended(5000, &code)) << "the close box did not close the dialog";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ReadBytes(kIni), before);
}

TEST_F(SettingsDialogE2E, ChoosingTheCdByItsLabelAndKeepingTheModeSavesThemAfterTheOtherKeys)
{
    WriteBytes(kIni, Ini(" 0", " 0", ""));
    // The machine's default would choose a file: the user's own file wins.
    const std::string machine = Ini(" 2", " 0", "C:\\bf-dialog-e2e\\tune.wav");
    WriteBytes(kMachineIni, machine);
    Launcher launcher("/c");
    Dialog d(launcher);
    ASSERT_NE(d.window, nullptr);
    EXPECT_FALSE(IsWindowEnabled(d.file())) << "the machine's default was read";
    ClickAt(CentreOf(d.option(1)), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);  // any button chooses
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(d.repeat()) != FALSE; }, 2000));
    EXPECT_FALSE(IsWindowEnabled(d.file()));
    Screenshot shot(d.window);
    EXPECT_GT(shot.Count(d.mark(1), IsBlueMark), 20);
    EXPECT_EQ(shot.Count(d.mark(0), IsBlueMark), 0);
    HWND keep = d.Part(kIdChkKeepResolution);
    d.Press(kIdChkKeepResolution);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(keep, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 2000));
    d.Press(kIdCmdSet);
    ASSERT_TRUE(launcher.Ended(5000)) << "the set button did not close the dialog";
    // The music keys as before, byte for byte, then the new one.
    EXPECT_EQ(ReadBytes(kIni), Saved(" 1", " 0", "", " 1"));
    EXPECT_EQ(ReadBytes(kMachineIni), machine) << "the file beside the program was written";
    DeleteFileA(kMachineIni);
}

TEST_F(SettingsDialogE2E, ATypedTrackIsSavedWhateverTheKindAndANonNumberAsZero)
{
    struct Case {
        const wchar_t* typed;
        const char* saved;
    };
    for (const Case& c : {Case{L"7", " 7"}, Case{L"abc", " 0"}, Case{L"99999", " 0"}}) {
        SCOPED_TRACE(c.saved);
        WriteBytes(kIni, Ini(" 1", " 0", ""));
        Launcher launcher("/c");
        Dialog d(launcher);
        ASSERT_NE(d.window, nullptr);
        RECT field;
        GetWindowRect(d.repeat(), &field);
        ClickAt({field.left + 8, (field.top + field.bottom) / 2});  // into the text
        Type(c.typed);
        EXPECT_EQ(ShownText(d.repeat()), c.typed);
        ClickAt(CentreOf(d.mark(0)));  // "なし" by its mark: the typed text stays
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(d.repeat()); }, 2000));
        // Disabled, the drop-down lost the focus; the next control of the
        // focus order that can take it has it, so the keys still reach one.
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(d.window, nullptr), &gui));
        EXPECT_EQ(gui.hwndFocus, d.Part(kIdChkKeepResolution));
        d.Press(kIdCmdSet);
        ASSERT_TRUE(launcher.Ended(5000));
        EXPECT_EQ(ReadBytes(kIni), Saved(" 0", c.saved, ""));
    }
}

TEST_F(SettingsDialogE2E, AHandEditedKindSelectsNothingAndCancelWritesNothing)
{
    const std::string before = Ini(" 5", " 3", "", " 1");
    WriteBytes(kIni, before);
    Launcher launcher("/c");
    Dialog d(launcher);
    ASSERT_NE(d.window, nullptr);
    EXPECT_FALSE(IsWindowEnabled(d.repeat()));
    EXPECT_FALSE(IsWindowEnabled(d.file()));
    EXPECT_EQ(ShownText(d.repeat()), L"3");
    EXPECT_EQ(SendMessageW(d.Part(kIdChkKeepResolution), BM_GETCHECK, 0, 0), BST_CHECKED);
    Screenshot shot(d.window);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(shot.Count(d.mark(i), IsBlueMark), 0) << i;
    ClickAt(CentreOf(d.option(2)));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(d.file()) != FALSE; }, 2000));
    d.Press(kIdCmdCan);
    ASSERT_TRUE(launcher.Ended(5000)) << "the cancel button did not close the dialog";
    EXPECT_EQ(ReadBytes(kIni), before);
}

// The chooser beside planted system DLLs, which neither it nor the dialog
// loads. With no settings yet, saving makes the user's folder and file: the
// user's and SYSTEM's alone.
TEST_F(SettingsDialogE2E, TheFileChooserCancelledChangesNothingAndAChosenFileIsShownAndSaved)
{
    ASSERT_TRUE(PlantSystemDlls(BF_PLANTED_DLL_PATH, kFolder));
    const std::string folder = BrinefoldFolder(FOLDERID_RoamingAppData);
    DeleteFileA(kIni.c_str());
    RemoveDirectoryA(folder.c_str());
    ASSERT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    Launcher launcher("/c");
    Dialog d(launcher);
    ASSERT_NE(d.window, nullptr);
    ClickAt(CentreOf(d.mark(2)));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(d.file()) != FALSE; }, 2000));

    for (const wchar_t* typed : {L"", L"C:\\bf-dialog-e2e\\tune.wav"}) {
        d.Press(kIdCmdFile);
        HWND chooser = WaitForWindow(launcher, nullptr, L"#32770");
        ASSERT_NE(chooser, nullptr) << "no file chooser";
        EXPECT_EQ(TextOf(chooser), L"ﾌｧｲﾙを開く");
        Pause(300);  // its folder listed and its name field focused
        Type(typed);
        Type(L"", *typed ? VK_RETURN : VK_ESCAPE);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }, 3000)) << "the chooser stays";
        EXPECT_TRUE(WaitUntil([&] { return TextOf(d.Part(kIdLblFname)) == typed; }, 1000))
            << (*typed ? "chosen" : "cancelled");
    }
    d.Press(kIdCmdSet);
    ASSERT_TRUE(launcher.Ended(5000));
    EXPECT_EQ(ReadBytes(kIni), Saved(" 2", " 0", "C:\\bf-dialog-e2e\\tune.wav"));
    const std::vector<std::string> private_ = {"S-1-5-18", UserSid()};
    EXPECT_EQ(Grants(folder), private_);
    EXPECT_EQ(Grants(kIni), private_);
    EXPECT_EQ(PlantedDllsLoaded(kFolder), std::vector<std::string>{}) << "planted DLLs were loaded";
}

// A file whose name the ANSI code page cannot write is kept by its short
// name, which opens the same file; under code page 932 by its Shift-JIS name.
TEST_F(SettingsDialogE2E, AFileNameOutsideTheAnsiCodePageIsKeptAsANameThatOpensIt)
{
    const std::wstring chosen = L"C:\\bf-dialog-e2e\\曲のファイル.wav";
    HANDLE made = CreateFileW(chosen.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    CloseHandle(made);
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(chosen.c_str(), shortName, MAX_PATH), 0u);
    char ansi[MAX_PATH] = {};
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, chosen.c_str(), -1, ansi, MAX_PATH, nullptr, &lossy);
    if (lossy)
        WideCharToMultiByte(CP_ACP, 0, shortName, -1, ansi, MAX_PATH, nullptr, nullptr);
    std::cout << "code page " << GetACP() << ": kept as " << ansi << "\n";

    WriteBytes(kIni, Ini(" 0", " 0", ""));
    Launcher launcher("/c");
    Dialog d(launcher);
    ASSERT_NE(d.window, nullptr);
    ClickAt(CentreOf(d.option(2)));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(d.file()) != FALSE; }, 2000));
    d.Press(kIdCmdFile);
    HWND chooser = WaitForWindow(launcher, nullptr, L"#32770");
    ASSERT_NE(chooser, nullptr);
    Pause(300);
    Type(chosen);
    Type(L"", VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }, 3000));
    d.Press(kIdCmdSet);
    ASSERT_TRUE(launcher.Ended(5000));
    EXPECT_EQ(ReadBytes(kIni), Saved(" 2", " 0", ansi));
    wchar_t saved[MAX_PATH] = {}, longName[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, saved, MAX_PATH);
    ASSERT_GT(GetLongPathNameW(saved, longName, MAX_PATH), 0u);
    EXPECT_EQ(std::wstring(longName), chosen);
    DeleteFileW(chosen.c_str());
}

TEST_F(SettingsDialogE2E, OnADisplayAt150PercentEverythingIsOneAndAHalfTimesAsLargeAndTheTextsFit)
{
    WriteBytes(kIni, Ini(" 2", " 0", "C:\\bf-dialog-e2e\\tune.wav"));
    // Wine takes the display's DPI from the user's LogPixels when a program starts.
    HKEY desktop = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_SET_VALUE, &desktop), ERROR_SUCCESS);
    const DWORD dpi = 144;
    RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    Launcher launcher("/c");
    Dialog d(launcher);
    RegDeleteValueW(desktop, L"LogPixels");
    RegCloseKey(desktop);
    ASSERT_NE(d.window, nullptr);

    RECT client;
    GetClientRect(d.window, &client);
    EXPECT_EQ(client.right, 741);
    EXPECT_EQ(client.bottom, 405);
    // Every control at its designed edges times 1.5, rounded (worked out by
    // hand); inside the panel from its inner corner (19, 25). A label sized
    // to its text has its corner and at least its height fixed.
    struct Scaled {
        int id;
        DialogRect at;  // width 0: sized to its text
    };
    const Scaled controls[] = {
        {kIdPicC, {18, 24, 704, 248}},
        {kIdTitleLabel, {19 + 30, 25 + 36, 167, 20}},
        {kIdImgBgm0, {19 + 42, 25 + 114, 20, 20}},
        {kIdImgBgm0 + 1, {19 + 42, 25 + 84, 20, 20}},
        {kIdImgBgm0 + 2, {19 + 42, 25 + 144, 20, 20}},
        {kIdLblBgm0, {19 + 66, 25 + 114, 0, 20}},
        {kIdLblBgm0 + 1, {19 + 66, 25 + 84, 0, 20}},
        {kIdLblBgm0 + 2, {19 + 66, 25 + 144, 0, 20}},
        {kIdBgmRepeat, {19 + 168, 25 + 78, 62, 30}},
        {kIdRepeatLabel, {19 + 234, 25 + 84, 0, 20}},
        {kIdCmdFile, {19 + 168, 25 + 138, 62, 32}},
        {kIdLblFname, {19 + 66, 25 + 174, 614, 50}},
        {kIdChkKeepResolution, {18, 288, 240, 26}},
        {kIdLblUrl, {18, 348, 0, 20}},
        {kIdCmdSet, {474, 336, 122, 38}},
        {kIdCmdCan, {600, 336, 122, 38}},
    };
    for (const Scaled& c : controls) {
        SCOPED_TRACE(testing::Message() << "control " << c.id);
        const DialogRect at = d.Place(d.Part(c.id));
        if (c.at.width == 0) {
            EXPECT_EQ(at.x, c.at.x);
            EXPECT_EQ(at.y, c.at.y);
            EXPECT_GE(at.height, c.at.height);
        } else {
            EXPECT_EQ(at, c.at);
        }
    }
    // The texts grow too: a label sized to its text is about half as wide again.
    EXPECT_GT(d.Place(d.option(1)).width, kLblBgm[1].width * 4 / 3);
    EXPECT_EQ(TextOf(d.Part(kIdLblFname)), L"C:\\bf-dialog-e2e\\tune.wav");

    // The texts of the UI language (run once in Japanese, once in English),
    // each clear of the controls' edges, measured in the dialog's own font
    // at this scale; the check box's text follows its box and half a digit.
    const LANGID language = GetUserDefaultUILanguage();
    std::cout << "UI language " << std::hex << language << std::dec << "\n";
    const UserTextTable& texts = TextsForLanguage(language);
    WindowDc screen(nullptr);
    OwnedFont font(MakeFont(FontLook{}, dpi));
    Selection selected(screen, font.get());
    INT digit = 0;
    GetCharWidth32W(screen, L'0', L'0', &digit);
    const std::pair<int, const char*> shown[] = {
        {kIdTitleLabel, texts.musicTitle},
        {kIdLblBgm0, texts.musicOptions[0]},
        {kIdLblBgm0 + 1, texts.musicOptions[1]},
        {kIdLblBgm0 + 2, texts.musicOptions[2]},
        {kIdRepeatLabel, texts.repeatTrack},
        {kIdChkKeepResolution, texts.keepResolution},
        {kIdCmdSet, texts.set},
        {kIdCmdCan, texts.cancel},
    };
    for (const auto& [id, utf8] : shown) {
        const std::wstring text = WideFromUtf8(utf8);
        SCOPED_TRACE(utf8);
        HWND part = d.Part(id);
        EXPECT_EQ(TextOf(part), text);
        SIZE extent = {};
        GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &extent);
        const int box = id == kIdChkKeepResolution ? ScaleToDpi(13, static_cast<int>(dpi)) + digit / 2 : 0;
        EXPECT_LE(d.Place(part).x + box + extent.cx, RoomFor(d, part));
    }
    d.Press(kIdCmdFile);
    HWND chooser = WaitForWindow(launcher, nullptr, L"#32770");
    ASSERT_NE(chooser, nullptr) << "no file chooser";
    EXPECT_EQ(TextOf(chooser), WideFromUtf8(texts.chooserTitle));
    Pause(300);
    Type(L"", VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }, 3000));
    // The same keys and bytes whatever the language.
    d.Press(kIdCmdSet);
    ASSERT_TRUE(launcher.Ended(5000));
    EXPECT_EQ(ReadBytes(kIni), Saved(" 2", " 0", "C:\\bf-dialog-e2e\\tune.wav"));
}

}  // namespace

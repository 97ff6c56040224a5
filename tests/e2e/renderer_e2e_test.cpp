// The real Brinefold.dll, driven from another process the way Windows and
// the launcher meet it: the snapshot on C:, the window found by its title,
// messages posted to it, its exit code and the display mode around it.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/bmp_builder.h"
#include "tests/support/files.h"
#include "tests/support/win_test_support.h"

namespace {

const char kSnapshot[] = "C:\\velkor\\Brinefold.bmp";

// A small 24-bit bottom-up bitmap: enough for a texture, not what is tested here.
void WriteSnapshot(const std::string& path = kSnapshot)
{
    CreateDirectoryA("C:\\velkor", nullptr);
    const std::vector<uint8_t> file = bmp::Rgb24(8, 8, [](int x, int y) {
        const uint32_t k = 54 + 24 * y + 3 * x;  // each byte its offset in the file
        return (k + 2) % 256 << 16 | (k + 1) % 256 << 8 | k % 256;
    });
    ASSERT_TRUE(WriteBytes(path, file));
}

void WriteEmptySnapshot()
{
    CreateDirectoryA("C:\\velkor", nullptr);
    ASSERT_TRUE(WriteBytes(kSnapshot, ""));
}

struct Mode {
    DWORD width, height, bits;
};

Mode CurrentMode()
{
    DEVMODEA mode = {};
    mode.dmSize = sizeof(mode);
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    return {mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel};
}

void ExpectMode(const Mode& got, const Mode& want)
{
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.height, want.height);
    EXPECT_EQ(got.bits, want.bits);
}

class RendererTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        original_ = CurrentMode();
        // On a 1024x768 screen a mode never put back would go unseen.
        ASSERT_GT(original_.width, 1024u) << "not the larger test bed";
    }

    void TearDown() override
    {
        process_.reset();  // a renderer left running would spoil the next test's screen
        DeleteFileA(kSnapshot);
    }

    void Start(const std::string& args = "")
    {
        process_ = std::make_unique<TestProcess>(WindowsPath(BF_RENDERER_PATH), args);
        ASSERT_NE(process_->pi.hProcess, nullptr);
    }

    // The renderer's window, checked to be ours and to cover the 1024x768 screen.
    HWND StartAndFindWindow(const std::string& args = "")
    {
        Start(args);
        // The renderer's window exists a moment before it is shown.
        HWND window = WaitForWindow("Brinefold_VC", 10000, nullptr, true);
        EXPECT_NE(window, nullptr) << "no window titled Brinefold_VC";
        if (window == nullptr)
            return nullptr;
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        EXPECT_EQ(pid, process_->pi.dwProcessId);
        return window;
    }

    // The exit code once the process has ended, or -1 if it keeps running.
    long ExitCode(DWORD ms)
    {
        DWORD code = 0;
        return process_->Ended(ms, &code) ? static_cast<long>(code) : -1;
    }

    bool StillRunning(DWORD ms)
    {
        return !process_->Ended(ms);
    }

    void ExpectGoneAndModeRestored()
    {
        EXPECT_EQ(FindWindowA(nullptr, "Brinefold_VC"), nullptr);
        ExpectMode(CurrentMode(), original_);
    }

    std::unique_ptr<TestProcess> process_;
    Mode original_ = {};
};

TEST_F(RendererTest, CoversTheScreenAndEndsOnEscapeWithZero)
{
    WriteSnapshot();
    HWND window = StartAndFindWindow();
    ASSERT_NE(window, nullptr);

    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    EXPECT_STREQ(className, "OpenGL");
    RECT rect = {};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 1024);
    EXPECT_EQ(rect.bottom, 768);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));
    ExpectMode(CurrentMode(), {1024, 768, 32});
    // One monitor, nothing else to cover: its window is its only one, also
    // once the covers are laid out again.
    SendMessageA(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_EQ(TopWindows(process_->pi.dwProcessId), std::vector<HWND>{window});

    // The mouse does not end it.
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_TRUE(StillRunning(300));

    PostEscapeTap(window);
    EXPECT_EQ(ExitCode(5000), 0);
    ExpectGoneAndModeRestored();
}

// Asked to keep the screen's resolution, the renderer leaves the mode alone
// and covers the screen as it is.
TEST_F(RendererTest, TheKeepResolutionSwitchLeavesTheModeAsItIs)
{
    WriteSnapshot();
    HWND window = StartAndFindWindow(std::string("\"") + kSnapshot + "\" /KeepResolution");
    ASSERT_NE(window, nullptr);
    RECT rect = {};
    GetWindowRect(window, &rect);
    const RECT screen = {0, 0, static_cast<LONG>(original_.width), static_cast<LONG>(original_.height)};
    EXPECT_TRUE(EqualRect(&rect, &screen)) << rect.right << "x" << rect.bottom;
    EXPECT_TRUE(StillRunning(500)) << "the picture given before the switch was not read";
    ExpectMode(CurrentMode(), original_);
    PostEscapeTap(window);
    EXPECT_EQ(ExitCode(5000), 0);
    ExpectGoneAndModeRestored();
}

TEST_F(RendererTest, CloseFromAnotherProcessEndsWithZero)
{
    WriteSnapshot();
    HWND window = StartAndFindWindow();
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(ExitCode(5000), 0);
    ExpectGoneAndModeRestored();
}

// Messages that must leave the running renderer as it is.
TEST_F(RendererTest, ScreensaverPowerOffAndStrayKeyCodesChangeNothing)
{
    WriteSnapshot();
    HWND window = StartAndFindWindow();
    ASSERT_NE(window, nullptr);

    // Wine's default handling does nothing visible with either command, so
    // what shows that the renderer kept them is the system commands that
    // reached its default window procedure: a CBT hook there lists them.
    const std::string hookDll = WindowsPath(BF_SYSCOMMAND_HOOK_PATH);
    const std::string reached = hookDll + ".log";
    DeleteFileA(reached.c_str());
    HMODULE hookModule = LoadLibraryA(hookDll.c_str());
    ASSERT_NE(hookModule, nullptr);
    const auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(hookModule, "SysCommandHook")));
    HHOOK hook = SetWindowsHookExA(WH_CBT, proc, hookModule, GetWindowThreadProcessId(window, nullptr));
    ASSERT_NE(hook, nullptr);

    EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2), 0);
    // The low four bits are the system's own: set, it is the same command.
    EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_SCREENSAVE | 0x2, 0), 0);
    // Anyone can post a key message with any wParam; none may write outside
    // the renderer's table of 256 keys (or pass for Escape).
    PostMessageA(window, WM_KEYDOWN, 0x40000000, 0);
    PostMessageA(window, WM_KEYUP, static_cast<WPARAM>(-1), 0);
    PostMessageA(window, WM_KEYDOWN, 256 + VK_ESCAPE, 0);
    EXPECT_TRUE(StillRunning(500)) << "ended with " << ExitCode(0);
    EXPECT_EQ(FindWindowA(nullptr, "Brinefold_VC"), window);
    EXPECT_TRUE(IsWindowVisible(window));
    ExpectMode(CurrentMode(), {1024, 768, 32});

    // Other system commands still reach the default handling: SC_CLOSE
    // becomes WM_CLOSE and ends the renderer.
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(ExitCode(5000), 0);
    ExpectGoneAndModeRestored();
    UnhookWindowsHookEx(hook);
    FreeLibrary(hookModule);
    // The close alone got through (and shows the hook was there).
    EXPECT_EQ(ReadBytes(reached).value_or("<no log>"), "F060\n");
    DeleteFileA(reached.c_str());
}

TEST_F(RendererTest, MissingSnapshotEndsQuietlyWithZero)
{
    DeleteFileA(kSnapshot);
    Start();
    bool boxSeen = false;
    long code = -1;
    for (int k = 0; k < 500 && code == -1; ++k) {
        boxSeen = boxSeen || FindWindowA("#32770", "Error") != nullptr;
        code = ExitCode(20);
    }
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(boxSeen);
    ExpectGoneAndModeRestored();
}

TEST_F(RendererTest, EmptySnapshotShowsTheOpenFailureThenEndsWithZero)
{
    WriteEmptySnapshot();
    Start();
    HWND box = WaitForWindow("Error", 10000, "#32770", true);
    ASSERT_NE(box, nullptr) << "no \"Error\" box";
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    EXPECT_EQ(pid, process_->pi.dwProcessId);
    char text[256] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));  // the message box's text
    EXPECT_STREQ(text, "Failed to open DIB file c:\\velkor\\Brinefold.bmp.\n");
    // Until the box is closed the renderer waits.
    EXPECT_TRUE(StillRunning(200));

    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ExitCode(5000), 0);
    ExpectGoneAndModeRestored();
}

// The launcher names the user's own picture: a quoted path, blanks and any
// characters in it, read instead of the fixed one and named in the message.
TEST_F(RendererTest, AQuotedPathArgumentIsTheSnapshotItReads)
{
    const std::string folder = "C:\\bf renderer arg";
    const std::string picture = folder + "\\\u5199\u771f \u00e9.bmp";  // UTF-8
    std::wstring widePicture(picture.size(), L'\0');
    widePicture.resize(
        static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, picture.data(), static_cast<int>(picture.size()),
                                                widePicture.data(), static_cast<int>(widePicture.size()))));
    CreateDirectoryA(folder.c_str(), nullptr);
    auto write = [&](const std::string& bytes) {
        HANDLE file = CreateFileW(widePicture.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    };

    // An empty file there, a good one at the fixed path: the box names ours.
    WriteSnapshot();
    write("");
    Start("\"" + picture + "\"");
    HWND box = WaitForWindow("Error", 10000, "#32770", true);
    ASSERT_NE(box, nullptr) << "no \"Error\" box";
    wchar_t text[256] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 256);
    EXPECT_EQ(std::wstring(text), L"Failed to open DIB file " + widePicture + L".\n");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ExitCode(5000), 0);

    // A good file there and none at the fixed path: the water runs.
    WriteSnapshot(folder + "\\good.bmp");
    write(ReadBytes(folder + "\\good.bmp").value_or(""));
    DeleteFileA(kSnapshot);
    HWND window = StartAndFindWindow("\"" + picture + "\"");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(StillRunning(500)) << "the picture given was not read";
    PostEscapeTap(window);
    EXPECT_EQ(ExitCode(5000), 0);
    ExpectGoneAndModeRestored();

    DeleteFileW(widePicture.c_str());
    DeleteFileA((folder + "\\good.bmp").c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

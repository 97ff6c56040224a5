// The real Brinefold.dll, driven from another process the way Windows and
// the launcher meet it: the snapshot on C:, the window found by its title,
// messages posted to it, its exit code and the display mode around it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

const char kSnapshot[] = "C:\\velkor\\Brinefold.bmp";

// The build passes the program's Linux path; Wine sees Linux paths on Z:.
std::string RendererPath() {
    std::string path = BF_RENDERER_PATH;
    if (!path.empty() && path[0] == '/') {
        for (char& c : path) {
            if (c == '/') c = '\\';
        }
        path = "Z:" + path;
    }
    return path;
}

// A small 24-bit bottom-up bitmap: enough for a texture, not what is tested here.
void WriteSnapshot() {
    CreateDirectoryA("C:\\velkor", nullptr);
    const int side = 8;
    const int imageBytes = side * side * 3;  // 24-byte rows need no padding
    unsigned char file[54 + side * side * 3] = {};
    auto put32 = [&](int at, unsigned v) {
        for (int k = 0; k < 4; ++k) file[at + k] = static_cast<unsigned char>(v >> (8 * k));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, sizeof(file));
    put32(10, 54);
    put32(14, 40);
    put32(18, side);
    put32(22, side);
    file[26] = 1;
    file[28] = 24;
    put32(34, imageBytes);
    for (int k = 54; k < static_cast<int>(sizeof(file)); ++k) file[k] = static_cast<unsigned char>(k);
    FILE* f = std::fopen(kSnapshot, "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(file, 1, sizeof(file), f);
    std::fclose(f);
}

void WriteEmptySnapshot() {
    CreateDirectoryA("C:\\velkor", nullptr);
    FILE* f = std::fopen(kSnapshot, "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
}

struct Mode {
    DWORD width, height, bits;
};

Mode CurrentMode() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof(mode);
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    return {mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel};
}

void ExpectMode(const Mode& got, const Mode& want) {
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.height, want.height);
    EXPECT_EQ(got.bits, want.bits);
}

// Polls for a visible top-level window until it shows or the time is up.
// (The renderer's window exists a moment before it is shown.)
HWND WaitForWindow(const char* className, const char* title, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA(className, title);
        if (window != nullptr && IsWindowVisible(window)) return window;
        if (GetTickCount() - start > ms) return nullptr;
        Sleep(20);
    }
}

class RendererTest : public ::testing::Test {
protected:
    void SetUp() override { original_ = CurrentMode(); }

    void TearDown() override {
        if (process_.hProcess != nullptr) {
            // A renderer left running would spoil the next test's screen.
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process_.hProcess, 99);
                WaitForSingleObject(process_.hProcess, 5000);
            }
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        DeleteFileA(kSnapshot);
    }

    void Start() {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        std::string path = RendererPath();
        ASSERT_TRUE(CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process_))
            << path << " error " << GetLastError();
    }

    // The renderer's window, checked to be ours and to cover the 1024x768 screen.
    HWND StartAndFindWindow() {
        Start();
        HWND window = WaitForWindow(nullptr, "Brinefold_VC", 10000);
        EXPECT_NE(window, nullptr) << "no window titled Brinefold_VC";
        if (window == nullptr) return nullptr;
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        EXPECT_EQ(pid, process_.dwProcessId);
        return window;
    }

    // The exit code once the process has ended, or -1 if it keeps running.
    long ExitCode(DWORD ms) {
        if (WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<long>(code);
    }

    bool StillRunning(DWORD ms) { return WaitForSingleObject(process_.hProcess, ms) == WAIT_TIMEOUT; }

    void ExpectGoneAndModeRestored() {
        EXPECT_EQ(FindWindowA(nullptr, "Brinefold_VC"), nullptr);
        ExpectMode(CurrentMode(), original_);
    }

    PROCESS_INFORMATION process_ = {};
    Mode original_ = {};
};

TEST_F(RendererTest, CoversTheScreenAndEndsOnEscapeWithZero) {
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

    // The mouse does not end it.
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_TRUE(StillRunning(300));

    // A quick tap: key-down and key-up reach the queue together.
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(window, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    EXPECT_EQ(ExitCode(5000), 0);
    ExpectGoneAndModeRestored();
}

TEST_F(RendererTest, CloseFromAnotherProcessEndsWithZero) {
    WriteSnapshot();
    HWND window = StartAndFindWindow();
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(ExitCode(5000), 0);
    ExpectGoneAndModeRestored();
}

// Messages that must leave the running renderer as it is.
TEST_F(RendererTest, ScreensaverPowerOffAndStrayKeyCodesChangeNothing) {
    WriteSnapshot();
    HWND window = StartAndFindWindow();
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2), 0);
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
}

TEST_F(RendererTest, MissingSnapshotEndsQuietlyWithZero) {
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

TEST_F(RendererTest, EmptySnapshotShowsTheOpenFailureThenEndsWithZero) {
    WriteEmptySnapshot();
    Start();
    HWND box = WaitForWindow("#32770", "Error", 10000);
    ASSERT_NE(box, nullptr) << "no \"Error\" box";
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    EXPECT_EQ(pid, process_.dwProcessId);
    char text[256] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));  // the message box's text
    EXPECT_STREQ(text, "Failed to open DIB file c:\\velkor\\Brinefold.bmp.\n");
    // Until the box is closed the renderer waits.
    EXPECT_TRUE(StillRunning(200));

    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ExitCode(5000), 0);
    ExpectGoneAndModeRestored();
}

} // namespace

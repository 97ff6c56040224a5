// The screensaver show end to end: the real Brinefold.scr started the way
// Windows starts it, with the real renderer or a stand-in whose window comes
// and goes on a schedule (show_stand_in.cpp). Checked from outside: the
// snapshot file (against a known picture on the screen, its security, its
// lifetime), the renderer's command line (the stand-in records it), the
// windows by title, the processes' ends, the launcher's pointer count, that
// no DLL planted beside the programs is loaded; on two monitors, the screen
// of the other one.
//
// The pointer count belongs to the launcher's thread input; no other process
// can ask for it, and it is gone with the launcher. So the test reads it by
// joining the launcher's input for a moment (AttachThreadInput): once while
// the show runs, and once more when the launcher calls ExitProcess, where it
// is held at a breakpoint by this test acting as its debugger.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/win_test_support.h"

namespace {

constexpr char kRoot[] = "C:\\bf-show-e2e";
constexpr char kReal[] = "C:\\bf-show-e2e\\real";         // the real renderer beside the launcher
constexpr char kStandIn[] = "C:\\bf-show-e2e\\stand in";  // the stand-in as Brinefold.dll
// A renderer of the test build that can make no GL context on other monitors.
constexpr char kNoMonitorGl[] = "C:\\bf-show-e2e\\no monitor gl";
// The same, in a folder the ANSI code page cannot name (a fullwidth Q); its
// best-fit twin "bfQq" holds no renderer.
constexpr wchar_t kWideStandIn[] = L"C:\\bf-show-e2e\\bf\uFF31q";
// The launcher looks for the renderer's window every 500 ms; it ends at most
// that long after the window goes, and 200 ms more for its own end.
constexpr DWORD kLagBound = 500 + 200;

std::string Snapshot()
{
    return BrinefoldFolder(FOLDERID_LocalAppData) + "\\Brinefold.bmp";
}

// The user's settings, which the show reads.
std::string UserSettings()
{
    return BrinefoldFolder(FOLDERID_RoamingAppData) + "\\Brinefold.ini";
}

// Where the stand-in writes the command line it was started with.
constexpr char kStandInArgs[] = "C:\\bf-show-e2e\\stand-in-args.txt";

// The snapshot's path as the launcher quotes it for the renderer.
std::string QuotedSnapshot()
{
    std::string quoted = "\"";
    quoted += Snapshot();
    quoted += '"';
    return quoted;
}

// The stand-in's command line after its own quoted path.
std::string StandInArguments()
{
    const std::string line = ReadBytes(kStandInArgs).value_or("");
    const size_t end = line.find("\" ");
    return end == std::string::npos ? line : line.substr(end + 2);
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The stand-in renderer's schedule, inherited through the launcher.
void StandInSchedule(const char* schedule)
{
    SetEnvironmentVariableA("BF_STAND_IN", schedule);
}

// The pointer count of another thread: we join its input for a moment.
int PointerCountOf(DWORD thread)
{
    if (!AttachThreadInput(GetCurrentThreadId(), thread, TRUE)) {
        ADD_FAILURE() << "cannot share the input of thread " << thread;
        return 99;
    }
    const int count = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);
    AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
    return count;
}

// The launcher run under this test as its debugger, with a breakpoint on
// ExitProcess (the system DLLs lie at the same address in every process).
struct PointerCounts {
    int duringShow = 99;  // once the show form exists
    int atTheEnd = 99;    // when the launcher calls ExitProcess
    bool ended = false;
};

PointerCounts WatchThePointer(const std::string& launcher, const std::string& args, DWORD ms)
{
    PointerCounts counts;
    std::string commandLine = "\"" + launcher + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr,
                        &si, &pi)) {
        ADD_FAILURE() << "could not start " << commandLine;
        return counts;
    }
    auto* exitProcess = reinterpret_cast<uint8_t*>(GetProcAddress(GetModuleHandleA("kernel32"), "ExitProcess"));
    bool armed = false;
    DWORD formThread = 0;
    const DWORD start = GetTickCount();
    while (!counts.ended && GetTickCount() - start < ms) {
        if (!formThread) {
            if (HWND form = FindWindowA(nullptr, "Brinefold_Main")) {
                formThread = GetWindowThreadProcessId(form, nullptr);
                counts.duringShow = PointerCountOf(formThread);
            }
        }
        DEBUG_EVENT event;
        if (!WaitForDebugEvent(&event, 10))
            continue;
        DWORD verdict = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT: CloseHandle(event.u.CreateProcessInfo.hFile); break;
        case LOAD_DLL_DEBUG_EVENT: CloseHandle(event.u.LoadDll.hFile); break;
        case EXIT_PROCESS_DEBUG_EVENT: counts.ended = true; break;
        case EXCEPTION_DEBUG_EVENT: {
            const EXCEPTION_RECORD& e = event.u.Exception.ExceptionRecord;
            if (e.ExceptionCode != EXCEPTION_BREAKPOINT) {
                verdict = DBG_EXCEPTION_NOT_HANDLED;
            } else if (!armed) {
                // The loader's breakpoint: every DLL the launcher imports is in.
                const uint8_t trap = 0xCC;
                armed = WriteProcessMemory(pi.hProcess, exitProcess, &trap, 1, nullptr) &&
                        FlushInstructionCache(pi.hProcess, exitProcess, 1);
                EXPECT_TRUE(armed) << "no breakpoint on ExitProcess";
            } else if (e.ExceptionAddress == exitProcess) {
                counts.atTheEnd = PointerCountOf(event.dwThreadId);
                TerminateProcess(pi.hProcess, 0);  // it was ending anyway
            }
            break;
        }
        default: break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, verdict);
    }
    if (!counts.ended)
        TerminateProcess(pi.hProcess, 99);
    DebugActiveProcessStop(pi.dwProcessId);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return counts;
}

// A picture on every monitor whose every pixel tells where it is, lying
// where the desktop would: a show's windows come above it. The waits (Pump,
// WaitForWindow, TestProcess::Ended) serve this thread's messages: the
// pattern window must answer what the renderer's display switch sends to
// every window, or the switch waits for it.
COLORREF PatternAt(int x, int y)
{
    return RGB(x & 0xFF, y & 0xFF, ((x >> 8) * 37 + (y >> 8) * 71 + 11) & 0xFF);
}

RECT VirtualScreen()
{
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

uint32_t PatternRgb(int x, int y)
{
    const COLORREF c = PatternAt(x, y);
    return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

// A desktop of one colour on each monitor: red on the primary, green right of
// it. Under the water a monitor then shows nothing but its own colour.
uint32_t MonitorRgb(int x, int)
{
    static const int primaryWidth = GetSystemMetrics(SM_CXSCREEN);  // asked once: Wine answers slowly
    return x < primaryWidth ? 0xFF0000 : 0x00FF00;
}

// The desktop the pattern window shows.
uint32_t (*desktopRgb)(int x, int y) = PatternRgb;

LRESULT CALLBACK PatternProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        const RECT all = VirtualScreen();
        const int w = all.right - all.left, h = all.bottom - all.top;
        std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels[static_cast<size_t>(y) * w + x] = desktopRgb(all.left + x, all.top + y);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;  // top-down, like the loop
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, pixels.data(), &info, DIB_RGB_COLORS);
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

struct PatternWindow {
    HWND window = nullptr;
    PatternWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = PatternProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "BfShowPattern";
        RegisterClassA(&wc);
        const RECT all = VirtualScreen();
        window = CreateWindowExA(0, wc.lpszClassName, "pattern", WS_POPUP | WS_VISIBLE, all.left, all.top,
                                 all.right - all.left, all.bottom - all.top, nullptr, nullptr, wc.hInstance, nullptr);
        UpdateWindow(window);
        GdiFlush();
        Pump(300);  // let the picture reach the screen
    }
    ~PatternWindow()
    {
        DestroyWindow(window);
    }
};

// The share of a screen area's pixels that show the pattern, or that are black.
enum Look { kPattern, kBlack };
double Share(const RECT& area, Look look)
{
    const std::vector<uint32_t> pixels = ScreenPixels(area);
    const int w = area.right - area.left;
    int n = 0;
    for (size_t k = 0; k < pixels.size(); ++k)
        n += pixels[k] == (look == kBlack ? 0 : desktopRgb(area.left + int(k % w), area.top + int(k / w)));
    return pixels.empty() ? 0 : double(n) / pixels.size();
}

// The process of a renderer the launcher started, ended with this object if
// it still runs: the launcher never ends it, and a renderer left over by a
// failed check would keep the screen from the next test. Asked to close
// first, so that it puts the display mode back.
struct RendererProcess {
    HWND window = nullptr;
    HANDLE handle = nullptr;
    explicit RendererProcess(HWND rendererWindow) : window(rendererWindow)
    {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        handle = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id);
    }
    ~RendererProcess()
    {
        if (!handle)
            return;
        if (IsWindow(window))
            PostMessageA(window, WM_CLOSE, 0, 0);
        WaitUntil([&] { return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0; }, 5000);
        TerminateProcess(handle, 99);
        WaitForSingleObject(handle, 5000);
        CloseHandle(handle);
    }
    RendererProcess(const RendererProcess&) = delete;
    RendererProcess& operator=(const RendererProcess&) = delete;
    DWORD Id() const
    {
        return GetProcessId(handle);
    }
};

uint32_t Le32(const std::string& b, size_t at)
{
    auto byte = [&](size_t k) { return static_cast<uint32_t>(static_cast<uint8_t>(b[at + k])); };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

FILETIME LastWrite(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path, GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

class ShowE2E : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CreateDirectoryA(kRoot, nullptr);
        CreateDirectoryA(kReal, nullptr);
        CreateDirectoryA(kStandIn, nullptr);
        ASSERT_TRUE(CopyBuilt(BF_LAUNCHER_PATH, std::string(kReal) + "\\Brinefold.scr"));
        ASSERT_TRUE(CopyBuilt(BF_RENDERER_PATH, std::string(kReal) + "\\Brinefold.dll"));
        ASSERT_TRUE(CopyBuilt(BF_LAUNCHER_PATH, std::string(kStandIn) + "\\Brinefold.scr"));
        ASSERT_TRUE(CopyBuilt(BF_STAND_IN_PATH, std::string(kStandIn) + "\\Brinefold.dll"));
        CreateDirectoryA(kNoMonitorGl, nullptr);
        ASSERT_TRUE(CopyBuilt(BF_LAUNCHER_PATH, std::string(kNoMonitorGl) + "\\Brinefold.scr"));
        ASSERT_TRUE(CopyBuilt(BF_NO_MONITOR_GL_PATH, std::string(kNoMonitorGl) + "\\Brinefold.dll"));
        CreateDirectoryW(kWideStandIn, nullptr);
        for (const char* file : {"\\Brinefold.scr", "\\Brinefold.dll"}) {
            const std::wstring from = Wide(kStandIn + std::string(file)), to = kWideStandIn + Wide(file);
            ASSERT_TRUE(CopyFileW(from.c_str(), to.c_str(), FALSE));
        }
        CreateDirectoryA(BrinefoldFolder(FOLDERID_RoamingAppData).c_str(), nullptr);
    }
    void SetUp() override
    {
        // The defaults, whatever an earlier test left: no music, the mode switched.
        DeleteFileA(UserSettings().c_str());
        DeleteFileA(kStandInArgs);
        SetEnvironmentVariableA("BF_STAND_IN_ARGS", kStandInArgs);
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("BF_STAND_IN", nullptr);
        SetEnvironmentVariableA("BF_STAND_IN_ARGS", nullptr);
        desktopRgb = PatternRgb;
        DeleteFileA(UserSettings().c_str());
        ForgetPlantedDlls();
    }

    static std::string Launcher(const char* folder)
    {
        return std::string(folder) + "\\Brinefold.scr";
    }
};

TEST_F(ShowE2E, SnapshotsTheScreenPrivatelyRunsTheRendererAndEndsSoonAfterIt)
{
    // A show cut short (a power cut) left its picture: it is replaced.
    const std::string snapshot = Snapshot();
    CreateDirectoryA(BrinefoldFolder(FOLDERID_LocalAppData).c_str(), nullptr);
    WriteBytes(snapshot, "old");
    // An older version's folder, whose picture any account could read or plant.
    RemoveDirectoryA("C:\\velkor");
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    // Wine prefers its own DLLs; told to prefer the ones it finds, it would load
    // the planted copies if the programs searched their own folder.
    ASSERT_TRUE(PlantSystemDlls(BF_PLANTED_DLL_PATH, kReal));

    {
        PatternWindow pattern;
        TestProcess show(Launcher(kReal), "/s");
        HWND form = WaitForWindow("Brinefold_Main", 10000);
        ASSERT_NE(form, nullptr) << "no show form";
        EXPECT_FALSE(IsWindowVisible(form));

        HWND renderer = WaitForWindow("Brinefold_VC", 10000);
        ASSERT_NE(renderer, nullptr) << "the renderer's window did not appear";
        const RendererProcess rendererProcess(renderer);  // ended should a check fail

        // The snapshot: the whole screen at its size, pixel for pixel.
        const std::string file = ReadBytes(snapshot).value_or("");
        ASSERT_GE(file.size(), 54u);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(Le32(file, 14), 40u);
        EXPECT_EQ(static_cast<int32_t>(Le32(file, 18)), w);
        EXPECT_EQ(static_cast<int32_t>(Le32(file, 22)), h);  // bottom-up
        EXPECT_EQ(file[28], 24);
        const size_t stride = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
        ASSERT_EQ(file.size(), Le32(file, 10) + stride * h);
        int wrong = 0;
        std::string firstWrong;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const size_t at = Le32(file, 10) + (h - 1 - y) * stride + x * 3;
                const auto* p = reinterpret_cast<const uint8_t*>(&file[at]);
                const COLORREF want = PatternAt(x, y);
                if (p[2] != GetRValue(want) || p[1] != GetGValue(want) || p[0] != GetBValue(want)) {
                    if (wrong++ == 0)
                        firstWrong = std::to_string(x) + "," + std::to_string(y);
                }
            }
        EXPECT_EQ(wrong, 0) << "pixels differ from the screen, the first at " << firstWrong;
        EXPECT_FALSE(Exists(snapshot + ".new"));
        // The user's and SYSTEM's alone: no Everyone, Users or Authenticated Users.
        EXPECT_EQ(Grants(snapshot), (std::vector<std::string>{"S-1-5-18", UserSid()}));

        // A second show while this one runs ends at once and leaves the snapshot.
        const FILETIME written = LastWrite(snapshot.c_str());
        {
            TestProcess second(Launcher(kReal), "/S");
            DWORD code = 1;
            EXPECT_TRUE(second.Ended(3000, &code)) << "a second show did not end";
            EXPECT_EQ(code, 0u);
        }
        const FILETIME after = LastWrite(snapshot.c_str());
        EXPECT_EQ(CompareFileTime(&written, &after), 0) << "the second show rewrote the snapshot";
        EXPECT_FALSE(show.Ended(0));

        // Escape ends the renderer; the launcher follows at its next check.
        PostEscapeTap(renderer);
        DWORD gone = GetTickCount();
        while (FindWindowA(nullptr, "Brinefold_VC") && GetTickCount() - gone < 10000)
            Pump(1);
        ASSERT_EQ(FindWindowA(nullptr, "Brinefold_VC"), nullptr) << "the renderer's window stayed after Escape";
        gone = GetTickCount();
        DWORD code = 1;
        ASSERT_TRUE(show.Ended(3000, &code)) << "the launcher outlived the renderer";
        const DWORD lag = GetTickCount() - gone;
        EXPECT_LE(lag, kLagBound) << "the launcher ended " << lag << " ms after the renderer's window";
        EXPECT_EQ(code, 0u);
    }
    EXPECT_FALSE(Exists(snapshot)) << "the picture outlived the show";
    EXPECT_FALSE(Exists("C:\\velkor"));
    EXPECT_EQ(PlantedDllsLoaded(kReal), std::vector<std::string>{}) << "planted DLLs were loaded";
}

TEST_F(ShowE2E, TheLauncherEndsWithinOneCheckOfTheRenderersWindowGoing)
{
    // A window of this test stands in for the renderer's (the one started
    // ends at once). It goes at five moments 200 ms apart, a second after
    // the show form appears and on: a whole second of phases, so a watch
    // looking less often misses the bound at one of them, whatever its phase.
    StandInSchedule("0,0");
    for (DWORD after = 1000; after < 2000; after += 200) {
        SCOPED_TRACE(testing::Message() << "the window goes " << after << " ms after the form appears");
        HWND window = MakeHiddenWindow("Brinefold_VC");
        TestProcess show(Launcher(kStandIn), "/s");
        ASSERT_NE(WaitForWindow("Brinefold_Main", 10000), nullptr) << "no show form";
        Pump(after);
        ASSERT_FALSE(show.Ended(0)) << "the show ended while the window was there";
        DestroyWindow(window);
        const DWORD gone = GetTickCount();
        ASSERT_TRUE(show.Ended(3000)) << "the launcher outlived the window";
        const DWORD lag = GetTickCount() - gone;
        EXPECT_LE(lag, kLagBound) << "the launcher ended " << lag << " ms after the window";
    }
}

// The first show makes the user's picture folder: the user's and SYSTEM's alone.
TEST_F(ShowE2E, OnlyTheRunSwitchHidesThePointerAndGivesItBack)
{
    const std::string folder = BrinefoldFolder(FOLDERID_LocalAppData);
    DeleteFileA(Snapshot().c_str());
    RemoveDirectoryA(folder.c_str());
    ASSERT_FALSE(Exists(folder));
    StandInSchedule("0,800");
    const PointerCounts run = WatchThePointer(Launcher(kStandIn), "/s", 8000);
    EXPECT_EQ(Grants(folder), (std::vector<std::string>{"S-1-5-18", UserSid()}));
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.duringShow, -1);
    EXPECT_EQ(run.atTheEnd, 0);

    const PointerCounts plain = WatchThePointer(Launcher(kStandIn), "", 8000);
    EXPECT_TRUE(plain.ended);
    EXPECT_EQ(plain.duringShow, 0);
    EXPECT_EQ(plain.atTheEnd, 0);
}

// Run from the folder outside the ANSI code page: the renderer beside it starts.
TEST_F(ShowE2E, ClosingTheFormEndsTheShowAndLeavesTheRendererAlone)
{
    StandInSchedule("0,4000");
    TestProcess show(Utf8(kWideStandIn) + "\\Brinefold.scr", "/s");
    HWND form = WaitForWindow("Brinefold_Main", 10000);
    ASSERT_NE(form, nullptr);
    ASSERT_NE(WaitForWindow("Brinefold_VC", 5000), nullptr);
    PostMessageA(form, WM_CLOSE, 0, 0);
    DWORD code = 1;
    EXPECT_TRUE(show.Ended(1000, &code));
    EXPECT_EQ(code, 0u);
    HWND renderer = FindWindowA(nullptr, "Brinefold_VC");
    EXPECT_NE(renderer, nullptr);  // never closed by the launcher
    EXPECT_TRUE(Exists(Snapshot())) << "deleted while the renderer may still read it";

    RendererProcess standIn(renderer);  // ours to end before the next test
}

TEST_F(ShowE2E, ARendererThatNeverOpensItsWindowEndsTheShowAtTheFirstCheck)
{
    StandInSchedule("0,0");  // exits at once
    const DWORD start = GetTickCount();
    TestProcess show(Launcher(kStandIn), "/s");
    DWORD code = 1;
    ASSERT_TRUE(show.Ended(3000, &code));
    const DWORD took = GetTickCount() - start;
    EXPECT_EQ(code, 0u);
    EXPECT_GE(took, 450u) << "ended before the first check";
    EXPECT_LE(took, 1500u) << "ended " << took << " ms after its start";
    EXPECT_FALSE(Exists(Snapshot())) << "the picture outlived the show";
    // Started with the picture alone: the classic display-mode switch.
    EXPECT_EQ(StandInArguments(), QuotedSnapshot());
}

TEST_F(ShowE2E, ARendererStillStartingIsWaitedForAndHearsToKeepTheMode)
{
    // Its window comes 1.5 s after its start (three checks later) and stays 0.8 s.
    StandInSchedule("1500,800");
    WriteBytes(UserSettings(), "[Section]\r\nKeepResolution= 1\r\n");
    const DWORD start = GetTickCount();
    TestProcess show(Launcher(kStandIn), "/s");
    EXPECT_FALSE(show.Ended(1800)) << "the show ended while the renderer was starting";
    EXPECT_NE(WaitForWindow("Brinefold_VC", 2000), nullptr);
    ASSERT_TRUE(show.Ended(4000));
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 2300u) << "ended while the renderer's window was there";
    EXPECT_LE(took, 3800u);
    EXPECT_EQ(StandInArguments(), QuotedSnapshot() + " /keepresolution");
}

// One look at both monitors under the water of MonitorRgb's desktop: per
// pixel the level of the primary's red and of the other's green; -1 for any
// other colour. Water over nothing but its own monitor's colour: no -1, not
// the desktop's full colour, not all black, and rippling (the floor alone
// shows a few levels).
struct Both {
    std::vector<int> red, green;
    bool operator==(const Both&) const = default;
    static bool Water(const std::vector<int>& levels)
    {
        const long n = long(levels.size());
        return std::count(levels.begin(), levels.end(), -1) == 0 &&
               std::count(levels.begin(), levels.end(), 255) < n / 2 &&
               std::count(levels.begin(), levels.end(), 0) < n * 49 / 50 &&
               std::set<int>(levels.begin(), levels.end()).size() >= 16;
    }
};
Both LookAtBoth()
{
    const int split = GetSystemMetrics(SM_CXSCREEN), width = VirtualScreen().right;
    Both look;
    const std::vector<uint32_t> pixels = ScreenPixels(VirtualScreen());
    for (size_t k = 0; k < pixels.size(); ++k) {
        const uint32_t p = pixels[k];
        if (int(k % width) < split)
            look.red.push_back(p & 0x00FFFF ? -1 : int(p >> 16));
        else
            look.green.push_back(p & 0xFF00FF ? -1 : int(p >> 8 & 0xFF));
    }
    return look;
}

// The share of places where two pictures' levels differ by more than a little.
double Differ(const std::vector<int>& a, const std::vector<int>& b)
{
    int n = 0;
    for (size_t k = 0; k < a.size() && k < b.size(); ++k)
        n += std::abs(a[k] - b[k]) > 24;
    return a.empty() ? 0 : double(n) / a.size();
}

// The images put on the screen so far, one a window's frame, counted by the
// library the two-monitor ctest entry preloads (tests/bench/present_counter.c) into the file
// BF_PRESENT_COUNTER names.
std::string FrameCounter()
{
    char path[MAX_PATH] = {};
    GetEnvironmentVariableA("BF_PRESENT_COUNTER", path, MAX_PATH);
    return std::string("Z:") + path;
}
uint64_t FramesShown()
{
    uint64_t n = 0;
    const std::string bytes = ReadBytes(FrameCounter()).value_or("");
    std::memcpy(&n, bytes.data(), std::min(bytes.size(), sizeof n));
    return n;
}

// Runs only on the two-monitor test bed (ctest's show_e2e_test_two_monitors).
TEST_F(ShowE2E, DISABLED_OnTwoMonitorsEachShowsItsOwnWaterUntilTheShowEnds)
{
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "not the two-monitor test bed";
    const RECT primary = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const RECT other = {primary.right, 0, VirtualScreen().right, primary.bottom};  // on its right

    ASSERT_TRUE(WriteBytes(FrameCounter(), std::string(8, '\0'))) << "no frame counter";
    desktopRgb = MonitorRgb;
    PatternWindow desktop;
    TestProcess show(Launcher(kReal), "/s");
    HWND renderer = WaitForWindow("Brinefold_VC", 10000, nullptr, true);
    ASSERT_NE(renderer, nullptr) << "the renderer's window did not appear";
    const RendererProcess rendererProcess(renderer);
    const DWORD pid = rendererProcess.Id();

    // The snapshot is the whole desktop: the other monitor's green in it too.
    const std::string file = ReadBytes(Snapshot()).value_or("");
    ASSERT_GE(file.size(), 54u);
    EXPECT_EQ(static_cast<int32_t>(Le32(file, 18)), other.right);
    const size_t greenAt = Le32(file, 10) + size_t(other.left) * 3;  // bottom row, blue-green-red
    ASSERT_GT(file.size(), greenAt + 2);
    EXPECT_EQ(file.substr(greenAt, 3), std::string("\0\xFF\0", 3));

    // Each monitor shows water over its own colour, and nothing of the other's.
    EXPECT_TRUE(WaitUntil(
        [] {
            const Both l = LookAtBoth();
            return Both::Water(l.red) && Both::Water(l.green);
        },
        15000))
        << "not red water on the primary and green water on the other";
    // Both windows' frames together no faster than the display's 60 Hz.
    const uint64_t shown = FramesShown();
    const DWORD start = GetTickCount();
    Pump(2000);
    const double frames = double(FramesShown() - shown) / 2.0;  // a frame on each window
    EXPECT_GT(frames, 0.0) << "no frame counted: the bound below would prove nothing";
    EXPECT_LE(frames * 1000 / (GetTickCount() - start), 62.0);
    // The same scene on same-sized monitors: only the rain tells them apart.
    // Some rain first; then, the renderer told it is minimised, no monitor
    // draws and both keep a frame of the same pass to compare.
    WaitUntil(
        [] {
            const Both l = LookAtBoth();
            return Differ(l.red, l.green) > 0.002;
        },
        20000);
    SendMessageA(renderer, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, TRUE), 0);
    Pump(300);
    const Both held = LookAtBoth();
    Pump(300);
    EXPECT_EQ(LookAtBoth(), held) << "frames drawn while minimised";
    EXPECT_GT(Differ(held.red, held.green), 0.002) << "the same water on both monitors";
    SendMessageA(renderer, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(WaitUntil(
        [&] {
            const Both now = LookAtBoth();
            return Differ(now.red, held.red) > 0.02 && Differ(now.green, held.green) > 0.02;
        },
        5000))
        << "the water does not move on both monitors";

    // The water window: above what others raise, no title, and never the focus.
    const std::vector<HWND> windows = TopWindows(pid);
    ASSERT_EQ(windows.size(), 2u) << "not the renderer's window and one water window";
    HWND second = windows[0] == renderer ? windows[1] : windows[0];
    EXPECT_TRUE(GetWindowLongA(second, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(TextOf(second), L"") << "the launcher could take it for the renderer";
    Mouse(MOUSEEVENTF_MOVE, (other.left + other.right) / 2, (other.top + other.bottom) / 2);
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(MOUSEEVENTF_LEFTUP);
    Pump(500);
    EXPECT_FALSE(show.Ended(0)) << "the show ended";
    EXPECT_EQ(GetForegroundWindow(), renderer);

    // A display change keeps the water window over its monitor, with no cover.
    SendMessageA(renderer, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    EXPECT_EQ(TopWindows(pid), windows);
    RECT at = {};
    GetWindowRect(second, &at);
    EXPECT_TRUE(EqualRect(&at, &other));
    EXPECT_TRUE(WaitUntil([] { return Both::Water(LookAtBoth().green); }, 3000)) << "no water after a display change";

    // A real Escape ends the show on both monitors; the desktop comes back.
    keybd_event(VK_ESCAPE, 0, 0, 0);
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    DWORD code = 1;
    ASSERT_TRUE(show.Ended(5000, &code)) << "the show did not end on Escape";
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(WaitUntil([&] { return Share(primary, kPattern) == 1.0 && Share(other, kPattern) == 1.0; }, 3000))
        << "no desktop again";

    // Where the other monitor can have no GL context: a black cover there, the
    // water on the primary, and all of it gone at a close.
    TestProcess failing(Launcher(kNoMonitorGl), "/s");
    renderer = WaitForWindow("Brinefold_VC", 10000, nullptr, true);
    ASSERT_NE(renderer, nullptr);
    const RendererProcess failingProcess(renderer);
    EXPECT_TRUE(WaitUntil([&] { return Both::Water(LookAtBoth().red) && Share(other, kBlack) == 1.0; }, 15000))
        << "not water on the primary and black on the other";
    const std::vector<HWND> covered = TopWindows(failingProcess.Id());
    ASSERT_EQ(covered.size(), 2u) << "not the renderer's window and one cover";
    EXPECT_TRUE(GetWindowLongA(covered[0] == renderer ? covered[1] : covered[0], GWL_EXSTYLE) & WS_EX_TOPMOST);
    PostMessageA(renderer, WM_CLOSE, 0, 0);
    ASSERT_TRUE(failing.Ended(5000)) << "the show did not end on a close";
    EXPECT_TRUE(WaitUntil([&] { return Share(other, kPattern) == 1.0; }, 3000)) << "the cover stayed";
}

}  // namespace

// Brinefold.dll: the full-screen OpenGL water renderer (a GUI executable).
//
// Does: the program entry, the 1024x768x32 display mode and back (or, where
// that mode is refused or not wanted, the primary monitor as it is), the
// window of class "OpenGL" titled "Brinefold_VC" (the launcher finds us by
// that title), the WGL context, water on the other monitors too (each over
// its own part of the desktop; a black cover where it cannot be), the frame
// loop paced by the clock and the display, and the tear-down.
// Does not: read settings, show messages of its own (the snapshot reader may
// show its "Error" box), or decide which steps are due (renderer/pacing).
//
// Its arguments, both optional: the snapshot's full path in quotes (the
// launcher keeps the picture in the user's own folder; without one the
// renderer reads the fixed SnapshotPath, if the user, SYSTEM or the
// Administrators own it), then /keepresolution to leave the display mode
// alone.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/contract.h"
#include "common/system_libraries_win.h"
#include "common/utf8_win.h"
#include "renderer/monitor_covers_win.h"
#include "renderer/monitor_water_win.h"
#include "renderer/pacing.h"
#include "renderer/scene.h"
#include "renderer/snapshot.h"
#include "renderer/water.h"

namespace {

const char kClassName[] = "OpenGL";

HINSTANCE moduleHandle = nullptr;
HWND windowHandle = nullptr;
HDC deviceContext = nullptr;
HGLRC renderingContext = nullptr;
bool windowActive = true;  // frames are drawn only while true
bool keyDown[256] = {};    // by virtual-key code; only Escape is read
// An Escape press stays noticed even when its key-up is served before the
// next idle pass: with slow frames (software OpenGL) a quick tap brings both
// messages in one burst, and the held-key flag alone would miss it.
bool escapePressed = false;
// From the hidden cursor and the first covers to the tear-down.
bool showing = false;
// The display mode is ours to put back.
bool modeChanged = false;

// One line a group of fields.
// clang-format off
const PIXELFORMATDESCRIPTOR kPixelFormat = {
    sizeof(PIXELFORMATDESCRIPTOR),
    1,
    PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER,
    PFD_TYPE_RGBA,
    32,                // colour bits, as asked for
    0, 0, 0, 0, 0, 0,  // colour bits and shifts: any
    0, 0,              // no alpha
    0, 0, 0, 0, 0,     // no accumulation buffer
    16,                // depth
    0,                 // no stencil
    0,                 // no auxiliary buffers
    PFD_MAIN_PLANE,
    0,
    0, 0, 0,
};
// clang-format on

}  // namespace

LRESULT CALLBACK RendererWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Black covers over the monitors that have no water.
void CoverTheRest()
{
    std::vector<HWND> water = MonitorWaterWindows();
    water.push_back(windowHandle);
    CoverOtherMonitors(water);
}

// Releases what OpenRendererWindow made, newest first; safe after a partial open.
void CloseRendererWindow()
{
    if (showing) {
        // Cleared first: putting the mode back sends WM_DISPLAYCHANGE, which
        // must not lay the covers out again.
        showing = false;
        CloseMonitorWater();
        UncoverMonitors();
        if (modeChanged) {
            modeChanged = false;
            ChangeDisplaySettingsA(nullptr, 0);  // back to the mode stored in the system
        }
        ShowCursor(TRUE);
    }
    if (renderingContext != nullptr) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(renderingContext);
        renderingContext = nullptr;
    }
    if (deviceContext != nullptr) {
        ReleaseDC(windowHandle, deviceContext);
        deviceContext = nullptr;
    }
    if (windowHandle != nullptr) {
        DestroyWindow(windowHandle);
        windowHandle = nullptr;
    }
    if (moduleHandle != nullptr) {
        UnregisterClassA(kClassName, moduleHandle);
        moduleHandle = nullptr;
    }
}

// One line for a debugger on why start-up stopped (the program itself ends
// silently, as it always has).
void TraceStartupFailure(const char* step, unsigned long code)
{
    char line[128];
    std::snprintf(line, sizeof line, "Brinefold.dll: start-up stopped: %s (%lu)\n", step, code);
    OutputDebugStringA(line);
}

// A failed step after the display changed: traced, and everything made so far undone.
bool StartupFailed(const char* step)
{
    TraceStartupFailure(step, GetLastError());
    CloseRendererWindow();
    return false;
}

// Switches the display to width x height x bitsPerPixel, unless keepMode, and
// opens a popup over the primary monitor with a current OpenGL context and
// the scene ready. Where the mode is refused or kept, the popup covers the
// primary monitor at the size it has.
bool OpenRendererWindow(const char* title, int32_t width, int32_t height, int32_t bitsPerPixel, bool keepMode)
{
    HINSTANCE module = GetModuleHandleA(nullptr);

    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = RendererWindowProc;
    windowClass.hInstance = module;
    windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassA(&windowClass) == 0) {
        TraceStartupFailure("RegisterClassA", GetLastError());
        return false;
    }
    moduleHandle = module;

    // Where each monitor's part of the desktop picture lies: the picture was
    // taken before the display mode changes.
    const DesktopLayout layout = ReadDesktopLayout();
    if (!keepMode) {
        DEVMODEA mode = {};
        // The classic 148-byte record, without the panning fields newer headers add.
        static_assert(offsetof(DEVMODEA, dmPanningWidth) == 148);
        mode.dmSize = offsetof(DEVMODEA, dmPanningWidth);
        mode.dmPelsWidth = static_cast<DWORD>(width);
        mode.dmPelsHeight = static_cast<DWORD>(height);
        mode.dmBitsPerPel = static_cast<DWORD>(bitsPerPixel);
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        const LONG modeResult = ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
        modeChanged = modeResult == DISP_CHANGE_SUCCESSFUL;
        if (!modeChanged) {
            // Remote sessions, virtual machines, panels without the mode: the
            // water is shown all the same, on the screen as it is.
            char line[96];
            std::snprintf(line, sizeof line, "Brinefold.dll: display mode refused (%ld): the screen as it is\n",
                          modeResult);
            OutputDebugStringA(line);
        }
    }
    if (!modeChanged) {
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
    }
    RECT rect = {0, 0, width, height};

    const DWORD exStyle = WS_EX_APPWINDOW;
    const DWORD style = WS_POPUP;
    ShowCursor(FALSE);
    showing = true;

    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    windowHandle =
        CreateWindowExA(exStyle, kClassName, title, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                        rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, moduleHandle, nullptr);
    if (windowHandle == nullptr) {
        return StartupFailed("CreateWindowExA");
    }
    deviceContext = GetDC(windowHandle);
    if (deviceContext == nullptr) {
        return StartupFailed("GetDC");
    }
    const int format = ChoosePixelFormat(deviceContext, &kPixelFormat);
    if (format == 0 || !SetPixelFormat(deviceContext, format, &kPixelFormat)) {
        return StartupFailed("no pixel format");
    }
    renderingContext = wglCreateContext(deviceContext);
    if (renderingContext == nullptr) {
        return StartupFailed("wglCreateContext");
    }
    if (!wglMakeCurrent(deviceContext, renderingContext)) {
        return StartupFailed("wglMakeCurrent");
    }

    ShowWindow(windowHandle, SW_SHOW);
    SetForegroundWindow(windowHandle);
    SetFocus(windowHandle);
    CoverTheRest();
    ResizeScene(width, height);
    RgbImage* desktop = LoadSnapshotImage(floorSnapshotPath);
    const auto primary =
        std::find_if(layout.monitors.begin(), layout.monitors.end(), [](const MonitorPlace& m) { return m.primary; });
    RgbImage* part = desktop != nullptr && primary != layout.monitors.end()
                         ? MonitorFloor(layout, primary->rect, *desktop)
                         : nullptr;
    // The whole picture on every monitor: no larger than the texture can use.
    if (part == nullptr)
        desktop = FitForFloor(desktop);
    const bool ready = InitGlStateFrom(part != nullptr ? part : desktop);
    FreeRgbImage(part);
    if (!ready) {  // no snapshot, no show
        return StartupFailed("no snapshot to show");
    }
    OpenMonitorWater(layout, *desktop, MonitorWindowProc);
    FreeRgbImage(desktop);
    CoverTheRest();
    return true;
}

LRESULT CALLBACK RendererWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATE:
        // Drawing stops only while minimised; losing the focus keeps it going.
        windowActive = HIWORD(wParam) == 0;
        return 0;
    case WM_SYSCOMMAND:
        // Neither a screensaver nor monitor power-saving while the water runs.
        // The low four bits are the system's own and may be set.
        if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER) {
            return 0;
        }
        break;
    case WM_CLOSE: PostQuitMessage(0); return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        // Key messages can be posted by anyone with any wParam: keep inside the table.
        if (wParam < sizeof(keyDown)) {
            keyDown[wParam] = message == WM_KEYDOWN;
        }
        if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
            escapePressed = true;
        }
        return 0;
    case WM_DISPLAYCHANGE:
        // Monitors added, removed or moved while the water runs. On a screen
        // taken as it is, the water follows the primary monitor's new size.
        if (showing) {
            if (!modeChanged) {
                SetWindowPos(window, nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                             SWP_NOZORDER | SWP_NOACTIVATE);
            }
            PlaceMonitorWater();
            CoverTheRest();
        }
        return 0;
    case WM_SIZE:
        // The first one comes before the context is current; its GL calls do nothing.
        ResizeScene(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: return 0;  // the mouse does not end the renderer
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The other monitors' water windows: never activated, placed by the program,
// and the display change is the renderer's window's to handle; the rest (a
// close, the screensaver commands, the mouse) as on the renderer's window.
LRESULT CALLBACK MonitorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;  // Windows does so for WS_EX_NOACTIVATE alone; Wine needs this
    case WM_ACTIVATE:
    case WM_SIZE:
    case WM_DISPLAYCHANGE: return 0;
    default: return RendererWindowProc(window, message, wParam, lParam);
    }
}

// The command line's arguments in UTF-8.
std::string Arguments()
{
    return ArgumentsOf(Utf8FromWide(GetCommandLineW()));
}

// Seconds on the performance counter, a monotonic clock.
double Now()
{
    static const double ticksPerSecond = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart);
    }();
    LARGE_INTEGER ticks;
    QueryPerformanceCounter(&ticks);
    return static_cast<double>(ticks.QuadPart) / ticksPerSecond;
}

// The display's refresh period in seconds.
double DisplayRefreshPeriod()
{
    return RefreshPeriod(GetDeviceCaps(deviceContext, VREFRESH));
}

// Sleeps until a message arrives (served at once: Escape above all) or the
// time is up; INFINITE waits for a message alone.
void WaitForMessages(DWORD milliseconds)
{
    MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (!UseSystemFolderLibrariesOnly({&BF_DELAY_IMPORT(opengl32), &BF_DELAY_IMPORT(glu32), &BF_DELAY_IMPORT(winmm)})) {
        return 0;
    }
    std::string arguments = Arguments();
    const bool keepMode = TakeLastSwitch(arguments, kKeepResolutionSwitch);
    const std::string snapshot = PathArgument(arguments);
    if (!snapshot.empty()) {
        floorSnapshotPath = snapshot.c_str();
    }
    InitRippleSettings();
    if (!OpenRendererWindow(kRendererWindowTitle, 1024, 768, 32, keepMode)) {
        return 0;
    }
    InitWaterGrid();

    // Messages first. A pass that finds the queue empty draws a frame when a
    // water step is due and, unless vsync keeps the pace, the frame's place
    // on the refresh grid has come; else it sleeps until then, or until a
    // message comes. Minimised, it sleeps until a message comes.
    // The exit code is the quit message's wParam, and 0 on Escape: not the
    // wParam of whatever message came last (after a key, the key's code).
    const double refreshPeriod = SetSwapInterval(1) ? 0.0 : DisplayRefreshPeriod();
    timeBeginPeriod(1);  // waits of a few milliseconds, not of the 15.6 ms default tick
    Pacing pacing{.framePeriod = refreshPeriod};
    int exitCode = 0;
    bool done = false;
    while (!done) {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                exitCode = static_cast<int>(msg.wParam);
                done = true;
            } else {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        } else if (keyDown[VK_ESCAPE] || escapePressed) {
            done = true;  // no frame is shown after Escape
        } else if (!windowActive || IsIconic(windowHandle)) {
            // Minimised: nothing to draw until a message brings the window
            // back. HACK: Wine minimises a window with a WM_ACTIVATE that
            // lacks the minimised flag, so the window's own state is asked too.
            WaitForMessages(INFINITE);
        } else {
            const double now = Now();
            const double wait = SecondsToNextFrame(pacing, now);
            if (wait > 0.0) {
                WaitForMessages(static_cast<DWORD>(std::ceil(wait * 1000.0)));
            } else if (const Pacing before = pacing; DrawDueFrame(pacing, now)) {
                DrawMonitorWater(before, now);
                SwapBuffers(deviceContext);
            }
        }
    }
    timeEndPeriod(1);
    CloseRendererWindow();
    return exitCode;
}

// Brinefold.dll: the full-screen OpenGL water renderer (a GUI executable).
//
// Does: the program entry, the 1024x768x32 display mode and back, the window
// of class "OpenGL" titled "Brinefold_VC" (the launcher finds us by that
// title), black covers over the other monitors, the WGL context, the
// flat-out frame loop and the tear-down.
// Does not: read settings, show messages of its own (the snapshot reader may
// show its "Error" box), or keep any clock.
//
// Its one argument, optional, is the snapshot's full path in quotes: the
// launcher keeps the picture in the user's own folder. Without one the
// renderer reads the fixed SnapshotPath, if the user, SYSTEM or the
// Administrators own it.
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "common/command_line.h"
#include "common/contract.h"
#include "common/system_libraries_win.h"
#include "renderer/monitor_covers_win.h"
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
bool displayChanged = false;

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

// Releases what OpenRendererWindow made, newest first; safe after a partial open.
void CloseRendererWindow()
{
    if (displayChanged) {
        // Cleared first: putting the mode back sends WM_DISPLAYCHANGE, which
        // must not lay the covers out again.
        displayChanged = false;
        UncoverMonitors();
        ChangeDisplaySettingsA(nullptr, 0);  // back to the mode stored in the system
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

// Switches the display to width x height x bitsPerPixel and opens a popup
// over all of it with a current OpenGL context and the scene ready.
bool OpenRendererWindow(const char* title, int32_t width, int32_t height, int32_t bitsPerPixel)
{
    RECT rect = {0, 0, width, height};
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

    DEVMODEA mode = {};
    // The classic 148-byte record, without the panning fields newer headers add.
    static_assert(offsetof(DEVMODEA, dmPanningWidth) == 148);
    mode.dmSize = offsetof(DEVMODEA, dmPanningWidth);
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bitsPerPixel);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    // A refused mode ends start-up as it is: no window, no fallback.
    const LONG modeResult = ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
    if (modeResult != DISP_CHANGE_SUCCESSFUL) {
        TraceStartupFailure("ChangeDisplaySettingsA refused 1024x768x32", static_cast<unsigned long>(modeResult));
        return false;
    }

    const DWORD exStyle = WS_EX_APPWINDOW;
    const DWORD style = WS_POPUP;
    ShowCursor(FALSE);
    displayChanged = true;

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
    CoverOtherMonitors(windowHandle);
    ResizeScene(width, height);
    if (!InitGlState()) {  // no snapshot, no show
        return StartupFailed("no snapshot to show");
    }
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
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) {
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
        // Monitors added, removed or moved while the water runs.
        if (displayChanged) {
            CoverOtherMonitors(window);
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

// The snapshot path given on the command line, in UTF-8; empty without one.
std::string SnapshotArgument()
{
    const wchar_t* line = GetCommandLineW();
    const int n = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) {
        return std::string();
    }
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8.data(), n, nullptr, nullptr);
    utf8.pop_back();  // the terminating zero
    return PathArgument(ArgumentsOf(utf8));
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (!UseSystemFolderLibrariesOnly({&BF_DELAY_IMPORT(opengl32), &BF_DELAY_IMPORT(glu32)})) {
        return 0;
    }
    const std::string snapshot = SnapshotArgument();
    if (!snapshot.empty()) {
        floorSnapshotPath = snapshot.c_str();
    } else if (!OwnedByUserOrSystem(SnapshotPath)) {
        floorSnapshotPath = nullptr;  // any account may write there: another's picture counts as none
    }
    InitRippleSettings();
    if (!OpenRendererWindow(kRendererWindowTitle, 1024, 768, 32)) {
        return 0;
    }
    InitWaterGrid();

    // Messages first; every pass that finds the queue empty draws a frame.
    // No timer and no sleep: the water and the tilt move with the frame rate.
    // The exit code is the quit message's wParam, and 0 on Escape: not the
    // wParam of whatever message came last (after a key, the key's code).
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
        } else if (windowActive && !DrawFrame()) {
            done = true;
        } else if (keyDown[VK_ESCAPE] || escapePressed) {
            done = true;  // the frame just drawn is not shown
        } else {
            SwapBuffers(deviceContext);
            tiltAngle = static_cast<float>(tiltAngle + 0.2);
        }
    }
    CloseRendererWindow();
    return exitCode;
}

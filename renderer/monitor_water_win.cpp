#include "renderer/monitor_water_win.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include "renderer/desktop_part.h"
#include "renderer/pacing.h"
#include "renderer/scene.h"
#include "renderer/snapshot.h"
#include "renderer/water.h"

namespace {

const char kWaterClass[] = "BrinefoldWater";

// One monitor's window, context and scene state. While the monitor is drawn
// its state is swapped into the scene's (waterGrid, the rain, tiltAngle,
// floorTexture and its texel at the origin), and back after.
struct MonitorWater {
    std::string device;
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
    std::unique_ptr<WaterState> water = std::make_unique<WaterState>();
    float tilt = 0.0f;
    unsigned int texture = 0;
    float texelAtOrigin[3] = {1.0f, 1.0f, 1.0f};
};

std::vector<MonitorWater> monitors;
HINSTANCE waterModule = nullptr;  // set while the class is registered

void SwapScene(MonitorWater& monitor)
{
    SwapWater(*monitor.water);
    std::swap(tiltAngle, monitor.tilt);
    std::swap(floorTexture, monitor.texture);
    std::swap(floorTexelAtOrigin, monitor.texelAtOrigin);
}

void Trace(const std::string& device, const char* step)
{
    char line[160];
    std::snprintf(line, sizeof line, "Brinefold.dll: no water on %s: %s (%lu)\n", device.c_str(), step, GetLastError());
    OutputDebugStringA(line);
}

// Releases what OpenOne made for a monitor; safe after a partial open.
void CloseOne(MonitorWater& monitor)
{
    if (monitor.context != nullptr) {
        if (wglGetCurrentContext() == monitor.context)
            wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(monitor.context);  // its texture goes with it
    }
    if (monitor.dc != nullptr)
        ReleaseDC(monitor.window, monitor.dc);
    if (monitor.window != nullptr)
        DestroyWindow(monitor.window);
    monitor.context = nullptr;
    monitor.dc = nullptr;
    monitor.window = nullptr;
}

int Width(const RECT& r)
{
    return r.right - r.left;
}
int Height(const RECT& r)
{
    return r.bottom - r.top;
}

// The window over `place`, in the primary's pixel format, with a context
// current and the scene ready on `floor`; false (and nothing left) on a failure.
bool OpenOne(MonitorWater& monitor, const RECT& place, const RgbImage& floor, HDC primaryDc)
{
    monitor.window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kWaterClass, nullptr,
                                     WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, place.left, place.top, Width(place),
                                     Height(place), nullptr, nullptr, waterModule, nullptr);
    const char* failed = nullptr;
    PIXELFORMATDESCRIPTOR format = {};
    const int formatIndex = GetPixelFormat(primaryDc);
    if (monitor.window == nullptr) {
        failed = "CreateWindowExA";
    } else if ((monitor.dc = GetDC(monitor.window)) == nullptr) {
        failed = "GetDC";
    } else if (formatIndex == 0 || DescribePixelFormat(primaryDc, formatIndex, sizeof format, &format) == 0 ||
               !SetPixelFormat(monitor.dc, formatIndex, &format)) {
        failed = "no pixel format";
    } else if ((monitor.context = wglCreateContext(monitor.dc)) == nullptr) {
        failed = "wglCreateContext";
    } else if (!wglMakeCurrent(monitor.dc, monitor.context)) {
        failed = "wglMakeCurrent";
    }
#ifdef BF_TEST_REFUSE_MONITOR_CONTEXT
    if (failed == nullptr)
        failed = "refused by the test build";
#endif
    if (failed != nullptr) {
        Trace(monitor.device, failed);
        CloseOne(monitor);
        return false;
    }
    // The primary's window alone keeps the pace; this one shows at once.
    SetSwapInterval(0);
    ShowWindow(monitor.window, SW_SHOWNOACTIVATE);
    ResizeScene(Width(place), Height(place));
    monitor.tilt = tiltAngle;
    SwapScene(monitor);
    InitWaterGrid();
    InitGlStateFrom(&floor);
    SwapScene(monitor);
    return true;
}

}  // namespace

DesktopLayout ReadDesktopLayout()
{
    DesktopLayout layout = {};
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    layout.virtualScreen = {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR handle, HDC, LPRECT, LPARAM param) -> BOOL {
            MONITORINFOEXA info = {};
            info.cbSize = sizeof info;
            if (GetMonitorInfoA(handle, &info)) {
                reinterpret_cast<DesktopLayout*>(param)->monitors.push_back(
                    {info.szDevice, info.rcMonitor, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&layout));
    return layout;
}

RgbImage* MonitorFloor(const DesktopLayout& layout, const RECT& monitor, const RgbImage& desktop)
{
    const RECT& all = layout.virtualScreen;
    if (desktop.width != Width(all) || desktop.height != Height(all))
        return nullptr;  // another picture, or another layout than the one copied: all of it everywhere
    if (EqualRect(&monitor, &all))
        return nullptr;  // one monitor: the picture as it is
    return CropRgbImage(desktop, {monitor.left - all.left, monitor.top - all.top, Width(monitor), Height(monitor)});
}

void OpenMonitorWater(const DesktopLayout& layout, const RgbImage& desktop, WNDPROC windowProc)
{
    const DesktopLayout now = ReadDesktopLayout();  // after the display mode changed
    if (now.monitors.size() < 2)
        return;
    WNDCLASSA waterClass = {};
    waterClass.style = CS_OWNDC;
    waterClass.lpfnWndProc = windowProc;
    waterClass.hInstance = GetModuleHandleA(nullptr);
    waterClass.lpszClassName = kWaterClass;
    if (RegisterClassA(&waterClass) == 0)
        return;
    waterModule = waterClass.hInstance;

    HDC primaryDc = wglGetCurrentDC();
    HGLRC primaryContext = wglGetCurrentContext();
    uint32_t seed = 1;
    for (const MonitorPlace& place : now.monitors) {
        if (place.primary)
            continue;
        // Where this monitor lay when the picture was taken.
        const auto before = std::find_if(layout.monitors.begin(), layout.monitors.end(),
                                         [&](const MonitorPlace& m) { return m.device == place.device; });
        RgbImage* part = before == layout.monitors.end() ? nullptr : MonitorFloor(layout, before->rect, desktop);
        MonitorWater monitor;
        monitor.device = place.device;
        monitor.water->randomState = ++seed;  // rain of its own
        const bool opened = OpenOne(monitor, place.rect, part != nullptr ? *part : desktop, primaryDc);
        FreeRgbImage(part);
        if (opened)
            monitors.push_back(std::move(monitor));
    }
    wglMakeCurrent(primaryDc, primaryContext);
}

std::vector<HWND> MonitorWaterWindows()
{
    std::vector<HWND> windows;
    for (const MonitorWater& monitor : monitors)
        windows.push_back(monitor.window);
    return windows;
}

void DrawMonitorWater(const Pacing& before, double now)
{
    if (monitors.empty())
        return;
    HDC primaryDc = wglGetCurrentDC();
    HGLRC primaryContext = wglGetCurrentContext();
    for (MonitorWater& monitor : monitors) {
        if (!wglMakeCurrent(monitor.dc, monitor.context))
            continue;  // else its frame would land on the primary's
        SwapScene(monitor);
        Pacing pacing = before;  // the same steps as the primary's
        DrawDueFrame(pacing, now);
        SwapScene(monitor);
        SwapBuffers(monitor.dc);
    }
    wglMakeCurrent(primaryDc, primaryContext);
}

void PlaceMonitorWater()
{
    const DesktopLayout now = ReadDesktopLayout();
    HDC primaryDc = wglGetCurrentDC();
    HGLRC primaryContext = wglGetCurrentContext();
    for (MonitorWater& monitor : monitors) {
        const auto place = std::find_if(now.monitors.begin(), now.monitors.end(), [&](const MonitorPlace& m) {
            return m.device == monitor.device && !m.primary;
        });
        if (place == now.monitors.end()) {
            CloseOne(monitor);
            continue;
        }
        const RECT& r = place->rect;
        SetWindowPos(monitor.window, nullptr, r.left, r.top, Width(r), Height(r), SWP_NOZORDER | SWP_NOACTIVATE);
        wglMakeCurrent(monitor.dc, monitor.context);
        ResizeScene(Width(r), Height(r));
    }
    monitors.erase(std::remove_if(monitors.begin(), monitors.end(), [](const MonitorWater& m) { return !m.window; }),
                   monitors.end());
    wglMakeCurrent(primaryDc, primaryContext);
}

void CloseMonitorWater()
{
    for (MonitorWater& monitor : monitors)
        CloseOne(monitor);
    monitors.clear();
    if (waterModule != nullptr) {
        UnregisterClassA(kWaterClass, waterModule);
        waterModule = nullptr;
    }
}

bool SetSwapInterval(int interval)
{
    using ExtensionsProc = const char*(WINAPI*)();
    using SwapIntervalProc = BOOL(WINAPI*)(int);
    const auto extensions =
        reinterpret_cast<ExtensionsProc>(reinterpret_cast<void*>(wglGetProcAddress("wglGetExtensionsStringEXT")));
    // Some drivers hand out an address for any name: the extension string says what is real.
    if (extensions != nullptr && std::strstr(extensions(), "WGL_EXT_swap_control") == nullptr) {
        return false;
    }
    const auto swapInterval =
        reinterpret_cast<SwapIntervalProc>(reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT")));
    return swapInterval != nullptr && swapInterval(interval);
}

// Water on the monitors beside the primary. Each gets a borderless topmost
// window over the whole monitor that never takes the activation and bears no
// title (the launcher finds the renderer by its title), with a GL context of
// its own, the projection for its size, its own part of the desktop picture
// as its floor, and water of its own: its own grid, its own rain, its own
// tilt. The primary's window, context and state stay the program's (main.cpp).
// A monitor whose window or context cannot be made is left to the covers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct Pacing;
struct RgbImage;

// A monitor by its device name, which stays the same through a display mode
// change, and where it lies in virtual-screen pixels.
struct MonitorPlace {
    std::string device;
    RECT rect;
    bool primary;
};

// The virtual screen and its monitors as they are now.
struct DesktopLayout {
    RECT virtualScreen;
    std::vector<MonitorPlace> monitors;
};
DesktopLayout ReadDesktopLayout();

// What a monitor that lay at `monitor` in `layout` shows: its part of the
// desktop picture when the picture is that virtual screen, else the whole
// picture (nullptr: `desktop` itself). A part is the caller's to free.
RgbImage* MonitorFloor(const DesktopLayout& layout, const RECT& monitor, const RgbImage& desktop);

// Opens water on every monitor but the primary, each with its part of
// `desktop` as `layout` had it when the picture was taken; its windows use
// `windowProc`. The context current before is current again after.
void OpenMonitorWater(const DesktopLayout& layout, const RgbImage& desktop, WNDPROC windowProc);

// The water windows, to keep the covers off their monitors.
std::vector<HWND> MonitorWaterWindows();

// Every monitor's water the steps the primary's just took from `before`
// (a copy of its pacing), drawn and shown. The current context stays.
void DrawMonitorWater(const Pacing& before, double now);

// After a display change: each window over its monitor's new place; the
// water of a monitor that is gone goes with it.
void PlaceMonitorWater();

// Closes every monitor's water; safe when there is none.
void CloseMonitorWater();

// The current context's swap interval where the driver offers
// WGL_EXT_swap_control; true when it took. With 1, SwapBuffers waits for the
// display's refresh by itself.
bool SetSwapInterval(int interval);

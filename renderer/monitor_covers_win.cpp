#include "renderer/monitor_covers_win.h"

#include <utility>
#include <vector>

namespace {

const char kCoverClass[] = "BrinefoldCover";

std::vector<HWND> covers;
HINSTANCE coverModule = nullptr;  // set while the class is registered

struct Layout {
    std::vector<RECT> water;
    std::vector<HWND> made;
};

LRESULT CALLBACK CoverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A click activates nothing, so the keyboard focus stays with the
    // renderer. Windows does so for WS_EX_NOACTIVATE alone; Wine needs this.
    if (message == WM_MOUSEACTIVATE) {
        return MA_NOACTIVATE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

BOOL CALLBACK CoverMonitor(HMONITOR, HDC, LPRECT monitor, LPARAM param)
{
    auto* layout = reinterpret_cast<Layout*>(param);
    for (const RECT& water : layout->water) {
        RECT overlap;
        if (IntersectRect(&overlap, monitor, &water)) {
            return TRUE;  // a monitor with water
        }
    }
    HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kCoverClass, nullptr, WS_POPUP,
                                 monitor->left, monitor->top, monitor->right - monitor->left,
                                 monitor->bottom - monitor->top, nullptr, nullptr, coverModule, nullptr);
    if (cover != nullptr) {
        ShowWindow(cover, SW_SHOWNOACTIVATE);
        layout->made.push_back(cover);
    }
    return TRUE;
}

}  // namespace

void CoverOtherMonitors(const std::vector<HWND>& water)
{
    if (coverModule == nullptr) {
        WNDCLASSA coverClass = {};
        coverClass.lpfnWndProc = CoverWindowProc;
        coverClass.hInstance = GetModuleHandleA(nullptr);
        coverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        coverClass.lpszClassName = kCoverClass;
        if (RegisterClassA(&coverClass) == 0) {
            return;
        }
        coverModule = coverClass.hInstance;
    }
    Layout layout = {};
    for (HWND window : water) {
        RECT rect;
        GetWindowRect(window, &rect);
        layout.water.push_back(rect);
    }
    EnumDisplayMonitors(nullptr, nullptr, CoverMonitor, reinterpret_cast<LPARAM>(&layout));
    // The new covers are up before the old ones go: no flash of the desktop.
    for (HWND old : covers) {
        DestroyWindow(old);
    }
    covers = std::move(layout.made);
}

void UncoverMonitors()
{
    for (HWND cover : covers) {
        DestroyWindow(cover);
    }
    covers.clear();
    if (coverModule != nullptr) {
        UnregisterClassA(kCoverClass, coverModule);
        coverModule = nullptr;
    }
}

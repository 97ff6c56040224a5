#include "launcher/ui/dpi_win.h"

#include "launcher/ui/gdi_win.h"

int SystemDpi()
{
    const int dpi = GetDeviceCaps(WindowDc(nullptr), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

// Windows 10's per-window DPI calls are looked up, so that an older system
// (or one without them) falls back to the system DPI.
UINT DpiOf(HWND window)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
    return dpi ? dpi : static_cast<UINT>(SystemDpi());
}

SIZE OuterSizeForDpi(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi)
{
    using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = reinterpret_cast<AdjustForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    RECT r = {0, 0, clientWidth, clientHeight};
    if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

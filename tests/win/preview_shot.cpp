// preview_shot: shows the preview form in a stand-in for the Display
// settings' monitor picture, in this same process (Wine draws a child of
// another process's window blank), and saves what the screen shows as a
// 24-bit BMP. Makes the README's docs/preview.png:
//   source build/<testbed>/env
//   wine build/<win64>/tests/bin/preview_shot.exe shot.bmp && convert shot.bmp docs/preview.png
// Exits non-zero when the form does not embed or does not unload with its host.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "launcher/preview/preview_win.h"
#include "launcher/runtime/toolkit_win.h"
#include "tests/support/win_test_support.h"

namespace {

constexpr int kScreenW = 152, kScreenH = 112;  // the monitor picture's screen area
constexpr int kBezel = 10;
constexpr int kPanelW = kScreenW + 2 * kBezel + 40;
constexpr int kScreenX = (kPanelW - kScreenW) / 2, kScreenY = 16;
constexpr int kPanelH = kScreenY + kScreenH + kBezel + 18 + 12;  // screen, bezel, stand, margin

// The panel: a light dialog background with a monitor bezel and stand.
LRESULT CALLBACK PanelProc(HWND window, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        auto fill = [dc](int l, int t, int r, int b, COLORREF c) {
            RECT rc = {l, t, r, b};
            HBRUSH brush = CreateSolidBrush(c);
            FillRect(dc, &rc, brush);
            DeleteObject(brush);
        };
        fill(0, 0, kPanelW, kPanelH, RGB(240, 240, 240));
        const int bezelBottom = kScreenY + kScreenH + kBezel;
        fill(kScreenX - kBezel, kScreenY - kBezel, kScreenX + kScreenW + kBezel, bezelBottom, RGB(48, 52, 58));
        fill(kPanelW / 2 - 12, bezelBottom, kPanelW / 2 + 12, bezelBottom + 12, RGB(120, 124, 130));
        fill(kPanelW / 2 - 40, bezelBottom + 12, kPanelW / 2 + 40, bezelBottom + 18, RGB(90, 94, 100));
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcA(window, msg, wp, lp);
}

bool SaveScreenArea(const RECT& r, const char* path)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int stride = (w * 3 + 3) & ~3;
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;  // bottom row first, as BMP files keep it
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(stride * h);
    std::vector<unsigned char> bits(info.biSizeImage);

    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    const int rows = GetDIBits(mem, bmp, 0, h, bits.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    if (rows != h)
        return false;

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    FILE* out = std::fopen(path, "wb");
    if (!out)
        return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
              std::fwrite(bits.data(), 1, bits.size(), out) == bits.size();
    return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: preview_shot <file.bmp>\n");
        return 2;
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "BfPreviewShotPanel";
    RegisterClassA(&wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "BfPreviewShotScreen";
    RegisterClassA(&wc);

    HWND panel = CreateWindowExA(0, "BfPreviewShotPanel", "panel", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40,
                                 kPanelW, kPanelH, nullptr, nullptr, wc.hInstance, nullptr);
    HWND screen = CreateWindowExA(0, "BfPreviewShotScreen", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, kScreenX,
                                  kScreenY, kScreenW, kScreenH, panel, nullptr, wc.hInstance, nullptr);
    ShowPreview(static_cast<int32_t>(reinterpret_cast<LONG_PTR>(screen)));
    HWND preview = GetWindow(screen, GW_CHILD);
    if (!preview) {
        std::fprintf(stderr, "preview_shot: the preview did not embed\n");
        return 1;
    }
    UpdateWindow(panel);
    Pump(200);

    RECT area;
    GetWindowRect(panel, &area);
    if (!SaveScreenArea(area, argv[1])) {
        std::fprintf(stderr, "preview_shot: cannot save %s\n", argv[1]);
        return 1;
    }
    DestroyWindow(panel);
    if (IsWindow(preview)) {
        std::fprintf(stderr, "preview_shot: the preview outlived its host\n");
        return 1;
    }
    return 0;
}
